#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the normal build, the same tests
# under AddressSanitizer + UndefinedBehaviorSanitizer, the threaded tests under
# ThreadSanitizer, and a bounded fuzzing run of the WAV reader.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

bash scripts/install-deps.sh

step() { printf '\n==== %s ====\n' "$*"; }

step "formatting"
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run -Werror

step "build (RelWithDebInfo)"
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOVANEK_WERROR=ON >/dev/null
cmake --build build -j"$jobs"
step "tests"
(cd build && ctest --output-on-failure -j"$jobs" --timeout 600)

step "build (ASan + UBSan)"
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DTOVANEK_SANITIZE="address;undefined" >/dev/null
cmake --build build-asan -j"$jobs"
step "tests under ASan + UBSan"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$PWD/tests/lsan.supp:print_suppressions=0}
# The sanitizers' dlopen interceptor loses the executable's RUNPATH ($ORIGIN), so the
# encoder library, loaded by its plain name, is found through the library path instead.
export LD_LIBRARY_PATH=$PWD/build-asan/bin${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}
(cd build-asan && ctest --output-on-failure -j"$jobs" --timeout 900 -LE no-asan)
unset ASAN_OPTIONS UBSAN_OPTIONS LSAN_OPTIONS LD_LIBRARY_PATH

step "build (TSan, threaded parts)"
cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=Debug -DTOVANEK_SANITIZE=thread -DTOVANEK_GTK=OFF >/dev/null
cmake --build build-tsan -j"$jobs" --target tsan_tests
step "threaded tests under TSan"
export TSAN_OPTIONS=${TSAN_OPTIONS:-halt_on_error=1:second_deadlock_stack=1}
export LD_LIBRARY_PATH=$PWD/build-tsan/bin
(cd build-tsan && ctest --output-on-failure -j"$jobs" --timeout 900 -L threads)
unset TSAN_OPTIONS LD_LIBRARY_PATH

step "fuzzing the WAV reader"
cmake -S . -B build-fuzz -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOVANEK_GTK=OFF -DTOVANEK_TESTS=ON -DTOVANEK_FUZZ=ON >/dev/null
bash tests/libs/gogo/fuzz/run.sh build-fuzz "${TOVANEK_FUZZ_SECONDS:-60}"

step "all tests passed"
