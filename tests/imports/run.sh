#!/usr/bin/env bash
# Proves that tools/check-imports.sh rejects what it must: small programs
# built here with the faults it exists to catch, next to clean ones.
set -euo pipefail

root=$(cd "$(dirname "$0")/../.." && pwd)
check=$root/tools/check-imports.sh
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cat >"$work/clean.cpp" <<'CPP'
#include <windows.h>
int main() { return static_cast<int>(GetTickCount() & 1); }
CPP
cat >"$work/system.cpp" <<'CPP'
#include <windows.h>
#include <oleauto.h>
int main() {
  VARIANT value;
  VariantInit(&value);
  return static_cast<int>(GetFileVersionInfoSizeA("a", nullptr) + value.vt);
}
CPP
cat >"$work/runtime.cpp" <<'CPP'
#include <string>
int main(int argc, char**) { return static_cast<int>(std::string(static_cast<size_t>(argc), 'x').size()); }
CPP
# A guarded static: the runtime's lock behind it makes a semaphore.
cat >"$work/locks.cpp" <<'CPP'
#include <string>
int Count(int argc) {
  static const std::string name(static_cast<size_t>(argc), 'x');
  return static_cast<int>(name.size());
}
int main(int argc, char**) { return Count(argc); }
CPP
cat >"$work/newer.cpp" <<'CPP'
#include <windows.h>
extern "C" __declspec(dllimport) ULONGLONG WINAPI GetTickCount64();
int main() { return static_cast<int>(GetTickCount64() & 1); }
CPP

i686=i686-w64-mingw32-g++-win32
x64=x86_64-w64-mingw32-g++-win32
static=(-static -static-libgcc -static-libstdc++)
$i686 "${static[@]}" -o "$work/clean32.exe" "$work/clean.cpp"
$i686 "${static[@]}" -o "$work/system32.exe" "$work/system.cpp" -loleaut32 -lversion
$i686 -o "$work/runtime32.exe" "$work/runtime.cpp" -shared-libgcc
$i686 "${static[@]}" -o "$work/newer32.exe" "$work/newer.cpp"
$i686 "${static[@]}" -o "$work/locks32.exe" "$work/locks.cpp"
$i686 "${static[@]}" -o "$work/shimmed32.exe" "$work/locks.cpp" \
  "$root/platform/win32/AnsiRuntimeShims.cpp"
$i686 "${static[@]}" -Wl,--subsystem,windows:6.0 -o "$work/vista32.exe" "$work/clean.cpp"
$x64 "${static[@]}" -o "$work/newer64.exe" "$work/newer.cpp"
$x64 "${static[@]}" -o "$work/system64.exe" "$work/system.cpp" -loleaut32 -lversion

failed=0
# expect FILE WANTED-EXIT-CODE TEXT-THE-OUTPUT-MUST-HOLD
expect() {
  local output code=0
  output=$("$check" "$work/$1" 2>&1) || code=$?
  if [[ $code != "$2" || $output != *"$3"* ]]; then
    echo "FAIL $1: wanted exit $2 and \"$3\", got exit $code:"
    echo "$output" | sed 's/^/    /'
    failed=1
  else
    echo "ok   $1"
  fi
}

expect clean32.exe 0 "import only system DLLs"
# A system DLL is not enough for a 32-bit program: each function must be listed.
expect system32.exe 1 "imports VariantInit from OLEAUT32.dll, which is not on the allowlist"
expect runtime32.exe 1 "libstdc++-6.dll, which is not a system DLL"
expect newer32.exe 1 "imports GetTickCount64 from KERNEL32.dll, which is not on the allowlist"
expect vista32.exe 1 "subsystem version 6"
# The runtime's locks call a wide function that 95/98/ME only stub; the shim
# routes them to the ANSI one.
expect locks32.exe 1 "imports CreateSemaphoreW from KERNEL32.dll"
expect shimmed32.exe 0 "import only system DLLs"
expect system64.exe 0 "import only system DLLs"  # the function list is for 32-bit files only
expect newer64.exe 0 "import only system DLLs"

# The list is read as written: a function taken off it fails the program that imports it.
grep -v "GetTickCount" "$root/tools/win98-imports.txt" >"$work/short-list.txt"
KIT_IMPORT_ALLOWLIST=$work/short-list.txt expect clean32.exe 1 "imports GetTickCount from KERNEL32.dll"

# A folder is checked file by file, and one bad file fails it.
mkdir "$work/folder"
cp "$work/clean32.exe" "$work/newer32.exe" "$work/folder/"
expect folder 1 "1 of 2 file(s) failed"

exit $failed
