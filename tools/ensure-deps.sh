#!/usr/bin/env bash
# Installs the build and test packages when any of them is missing, so the
# build and test commands work on a fresh Debian 12 machine.
set -u

root=$(cd "$(dirname "$0")/.." && pwd)
missing=()
for command in cmake ninja g++ clang++ i686-w64-mingw32-g++-win32 x86_64-w64-mingw32-g++-win32 \
  Xvfb import python3; do
  command -v "$command" >/dev/null || missing+=("$command")
done
# Wine's own fonts (fonts-wine), which the Wine prefix gets, and the 32-bit
# C++ library of the i386 copy of the Wine tests' pass-through library.
for file in /usr/include/gtest/gtest.h /usr/include/benchmark/benchmark.h /usr/lib/wine/wine64 \
  /usr/share/wine/fonts/marlett.ttf \
  /usr/lib/gcc/x86_64-linux-gnu/12/32/libstdc++.a; do
  [[ -e $file ]] || missing+=("$file")
done
compgen -G '/usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a' >/dev/null ||
  missing+=(libFuzzer)
((${#missing[@]} == 0)) && exit 0

echo "Missing: ${missing[*]}; installing the kit's build and test packages"
if ((EUID == 0)); then
  "$root/.ci/install-deps"
else
  sudo "$root/.ci/install-deps"
fi
