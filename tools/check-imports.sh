#!/usr/bin/env bash
# Checks Windows programs and libraries before they ship: every imported DLL
# must be one that all supported Windows versions have, and 32-bit files must
# import only functions of the allowlist (tools/win98-imports.txt: each one
# present on Windows 98 and on NT 4.0 SP6) and carry no subsystem version
# the Windows 9x loader refuses (above 4).
#
# Usage: tools/check-imports.sh FILE-OR-FOLDER...
#   A folder stands for the .exe and .dll files directly inside it.
#   KIT_IMPORT_ALLOWLIST names another allowlist (the self-test uses it).
set -euo pipefail

objdump=x86_64-w64-mingw32-objdump  # reads 32-bit and 64-bit files alike
allowlist=${KIT_IMPORT_ALLOWLIST:-$(dirname "$0")/win98-imports.txt}

allowed_dlls=" kernel32 user32 gdi32 advapi32 comctl32 comdlg32 shell32 ole32 oleaut32
  winmm version msvcrt "
# Compared as " name " below, so every separator must be a single space.
allowed_dlls=$(echo " "$allowed_dlls" ")

if (($# == 0)); then
  echo "usage: $0 FILE-OR-FOLDER..." >&2
  exit 2
fi
if ! command -v "$objdump" >/dev/null; then
  echo "check-imports: $objdump not found (package binutils-mingw-w64-x86-64)" >&2
  exit 2
fi
if [[ ! -f $allowlist ]]; then
  echo "check-imports: no allowlist at $allowlist" >&2
  exit 2
fi
# " dll:function " for every line of the allowlist, comments and blanks left out.
allowed_functions=" $(sed 's/#.*//' "$allowlist" | awk 'NF >= 2 { printf "%s:%s ", tolower($1), $2 }')"

files=()
for arg in "$@"; do
  if [[ -d $arg ]]; then
    while IFS= read -r -d '' file; do files+=("$file"); done < <(
      find "$arg" -maxdepth 1 -type f \( -iname '*.exe' -o -iname '*.dll' \) -print0 | sort -z)
  elif [[ -f $arg ]]; then
    files+=("$arg")
  else
    echo "check-imports: no such file or folder: $arg" >&2
    exit 2
  fi
done
if ((${#files[@]} == 0)); then
  echo "check-imports: no .exe or .dll file in: $*" >&2
  exit 2
fi

# One line per fact: "format F", "subsystem N", "dll NAME", "function DLL NAME".
facts() {
  "$objdump" -p "$1" | awk '
    /file format/ { print "format", $NF }
    /^MajorSubsystemVersion/ { print "subsystem", $2 }
    /^The Import Tables/ { imports = 1; next }
    /^[A-Za-z]/ { imports = 0 }
    imports && /DLL Name:/ { dll = $3; print "dll", dll; next }
    imports && dll != "" && /^\t[0-9a-f]+\t/ { print "function", dll, $NF }'
}

failures=0
for file in "${files[@]}"; do
  if ! dump=$(facts "$file" 2>/dev/null) || [[ -z $dump ]]; then
    echo "$file: not a Windows program or library"
    failures=$((failures + 1))
    continue
  fi
  format=$(awk '$1 == "format" { print $2 }' <<<"$dump")
  problems=()
  while read -r kind first second; do
    case $kind in
      dll)
        base=${first,,}
        base=${base%.dll}
        [[ $allowed_dlls == *" $base "* ]] || problems+=("imports $first, which is not a system DLL")
        ;;
      function)
        base=${first,,}
        base=${base%.dll}
        if [[ $format == pei-i386 && $allowed_functions != *" $base:$second "* ]]; then
          problems+=("imports $second from $first, which is not on the allowlist of functions Windows 98 and NT 4.0 have")
        fi
        ;;
      subsystem)
        if [[ $format == pei-i386 && ${file,,} == *.exe ]] && ((first > 4)); then
          problems+=("has subsystem version $first; the Windows 9x loader refuses it")
        fi
        ;;
    esac
  done <<<"$dump"
  if ((${#problems[@]} > 0)); then
    for problem in "${problems[@]}"; do echo "$file: $problem"; done
    failures=$((failures + 1))
  fi
done

if ((failures > 0)); then
  echo "check-imports: $failures of ${#files[@]} file(s) failed"
  exit 1
fi
echo "check-imports: ${#files[@]} file(s) import only system DLLs"
