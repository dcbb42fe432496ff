#!/usr/bin/env bash
# Builds the kit as users get it: dist/OD-K818R_Update/ with the two shipped
# 32-bit programs, the firmware image and a short README.TXT, and
# dist/OD-K818R_Update.zip of that folder. The same commit gives the same
# bytes in any build folder.
#
# Usage: tools/make-release.sh [IMAGE]
#   IMAGE  the firmware image to ship as K818R_10.BIN; without it the build's
#          made-up demo image, which only the simulated drive accepts (the
#          folder's README.TXT then says so).
#   KIT_BUILD_ROOT  folder for the build trees (default: build/ of the checkout)
#   KIT_DIST_DIR    where the folder and the zip go (default: dist/ of the checkout)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build_root=${KIT_BUILD_ROOT:-$root/build}
dist=${KIT_DIST_DIR:-$root/dist}
image=${1:-}
if [[ -n $image && ! -f $image ]]; then
  echo "make-release: no image file at $image" >&2
  exit 2
fi
image=${image:+$(cd "$(dirname "$image")" && pwd)/$(basename "$image")}
cd "$root"
tools/ensure-deps.sh || exit 1

build=$build_root/win32
[[ -f $build/CMakeCache.txt ]] || cmake --preset win32 -B "$build"
cmake --build "$build" -j 2 --target FlashK818R UpdaterK818R demo_image

name=OD-K818R_Update
folder=$dist/$name
rm -rf "$folder" "$dist/$name.zip"
mkdir -p "$folder"
cp "$build/launcher/UpdaterK818R.exe" "$build/app/FlashK818R.exe" "$folder/"
if [[ -n $image ]]; then
  cp "$image" "$folder/K818R_10.BIN"
  image_note="K818R_10.BIN is the firmware image for the drive."
else
  cp "$build/K818R_10.BIN" "$folder/K818R_10.BIN"
  image_note="K818R_10.BIN in this folder is a DEMO IMAGE made by the build: it is
not firmware, and only the kit's simulated drive accepts it. Do not use it
on a real drive."
fi
"$build/tools/host-image-tool/k818r-image" inspect "$folder/K818R_10.BIN" >/dev/null || {
  echo "make-release: $folder/K818R_10.BIN is not an image the flasher accepts" >&2
  exit 1
}

# Windows users read it with Notepad: CR LF line ends.
sed 's/$/\r/' >"$folder/README.TXT" <<TEXT
OD-K818R firmware update
========================

This folder updates the firmware of the QUAV OD-K818R CD-RW drive on
Windows 98, 98 SE, ME, NT 4.0 SP6, 2000 and XP.

1. Close all other programs and take any disc out of the drive.
2. Start UpdaterK818R.exe from this folder.
   - Windows 98/ME: the first run asks to switch the drive's automatic
     insert notification off and restarts Windows. Start UpdaterK818R.exe
     again after the restart; the update then runs and Windows restarts
     once more, with the setting switched back on.
   - Windows NT 4.0/2000/XP: the update starts at once (on later Windows,
     confirm the administrator prompt).
3. Read and accept the licence, pick the drive and confirm. Do not switch
   the computer off while the update runs.

$image_note

Files: UpdaterK818R.exe (start this), FlashK818R.exe (started by it),
K818R_10.BIN (the firmware image), README.TXT (this text).
TEXT

tools/check-imports.sh "$folder"
python3 tools/make-zip.py "$dist/$name.zip" "$dist" "$name"

echo "The release is in $folder and $dist/$name.zip:"
(cd "$dist" && ls -l "$name" "$name.zip")
