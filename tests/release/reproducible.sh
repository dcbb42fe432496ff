#!/usr/bin/env bash
# Builds the release twice from this checkout, in two build folders of
# different names, and checks that every file of the folder and the zip are
# the same bytes, and that no build path found its way into the programs.
set -euo pipefail

root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for side in first second-with-a-longer-name; do
  KIT_BUILD_ROOT=$work/$side/build KIT_DIST_DIR=$work/$side/dist \
    "$root/tools/make-release.sh" >"$work/$side.log" 2>&1 || {
    echo "FAIL: the release build in $side failed:"
    tail -n 20 "$work/$side.log"
    exit 1
  }
done

failed=0
a=$work/first/dist
b=$work/second-with-a-longer-name/dist
for file in OD-K818R_Update.zip OD-K818R_Update/UpdaterK818R.exe OD-K818R_Update/FlashK818R.exe \
  OD-K818R_Update/K818R_10.BIN OD-K818R_Update/README.TXT; do
  if cmp -s "$a/$file" "$b/$file"; then
    echo "ok   $file is the same in both builds ($(stat -c %s "$a/$file") bytes)"
  else
    echo "FAIL $file differs between the two builds"
    failed=1
  fi
done
for program in "$a"/OD-K818R_Update/*.exe; do
  if grep -qaF -e "$work" -e "$root" "$program"; then
    echo "FAIL $(basename "$program") holds a build or source path"
    failed=1
  fi
done
unzip_list=$(python3 -c 'import sys, zipfile; print("\n".join(i.filename + " " + str(i.date_time) for i in zipfile.ZipFile(sys.argv[1]).infolist()))' "$a/OD-K818R_Update.zip")
echo "$unzip_list" | sed 's/^/     /'
exit $failed
