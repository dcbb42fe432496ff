#!/bin/sh
# Line coverage of update/ and transport/ over the whole-update corpus:
#   tests/fuzz/coverage.sh [corpus folder ...]
# Builds the update fuzz target with clang's source-based coverage (no
# sanitizers) into build/fuzz-coverage, runs every input of the committed
# corpus (and of the folders given) once, and prints llvm-cov's report.
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${COVERAGE_BUILD_DIR:-$root/build/fuzz-coverage}
mkdir -p "$build"
cd "$build"

coverage="-fprofile-instr-generate -fcoverage-mapping"
kit_sources=$(ls "$root"/transport/*.cpp "$root"/update/*.cpp)
app_sources="$root/app/MessageCatalogue.cpp $root/app/ProgressSchedule.cpp
  $root/app/ProgressWindow.cpp $root/app/UpdateOutcome.cpp $root/app/UpdateWorker.cpp"
rig_sources="$root/tests/fuzz/UpdateFuzzCase.cpp $root/app/CatalogueTexts.cpp
  $root/tools/image/ImageBuilder.cpp $(ls "$root"/sim/*.cpp)"

# Only the kit's code is measured; the simulated PC and the checks are not.
for source in $kit_sources $app_sources; do
  object=kit-$(basename "$source" .cpp).o
  [ "$object" -nt "$source" ] || clang++ -std=c++17 -O1 -g $coverage -I"$root" -c "$source" -o "$object"
done
for source in $rig_sources; do
  object=rig-$(basename "$source" .cpp).o
  [ "$object" -nt "$source" ] || clang++ -std=c++17 -O2 -I"$root" -c "$source" -o "$object"
done
clang++ -std=c++17 -O1 $coverage -fsanitize=fuzzer -I"$root" "$root/tests/fuzz/UpdateFuzzer.cpp" \
  kit-*.o rig-*.o -o update_coverage

rm -f runs.profraw
LLVM_PROFILE_FILE=runs.profraw ./update_coverage -runs=0 "$root/tests/fuzz/corpus/update" "$@" \
  >runs.log 2>&1
llvm-profdata merge -o runs.profdata runs.profraw
llvm-cov report ./update_coverage -instr-profile=runs.profdata $kit_sources $app_sources
