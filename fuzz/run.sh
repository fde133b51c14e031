#!/usr/bin/env bash
# fuzz/run.sh SECONDS [TARGET...]
# Builds every fuzz target with clang (AddressSanitizer, UndefinedBehavior-
# Sanitizer, leak checking) and runs each for SECONDS.  Exits non-zero on
# any crash, hang (over 1 s for one input, 5 s for the RTF reader, which lays
# out), leak or undefined behaviour.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
shift || true
bash scripts/install-deps.sh clang libclang-rt-14-dev

build=build-fuzz
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DLUMORA_FUZZ=ON -DBUILD_TESTING=OFF >/dev/null
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  targets=($(sed -n 's/^lumora_add_fuzzer(\([a-z_]*\).*/\1/p' fuzz/CMakeLists.txt))
fi
cmake --build "$build" -j"$(nproc)" --target "${targets[@]}"

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/fuzz/lsan.supp
status=0
for t in "${targets[@]}"; do
  corpus=$build/fuzz/corpus/$t
  mkdir -p "$corpus" "$build/fuzz/findings/$t"
  seeds=(fuzz/seeds/"$t")
  case $t in
    fuzz_rtf_reader) seeds+=(tests/document/data/rtf-corpus/rtf) ;;
    fuzz_text_decoder) seeds+=(tests/document/data/rtf-corpus/text) ;;
  esac
  extra=()
  # The RTF target lays out in a real editing area: the first layout of a
  # file naming hundreds of fonts matches each of them (over 1 s under the
  # sanitizers on a busy machine), so it gets a longer limit per input.
  [ "$t" = fuzz_rtf_reader ] && extra+=(-dict=fuzz/rtf.dict -timeout=5)
  existing=()
  for s in "${seeds[@]}"; do [ -d "$s" ] && existing+=("$s"); done
  echo "== $t for ${seconds}s"
  if ! "$build/fuzz/bin/$t" "$corpus" "${existing[@]}" -max_total_time="$seconds" -timeout=1 \
       -rss_limit_mb=2048 -max_len=65536 -print_final_stats=1 \
       -artifact_prefix="$build/fuzz/findings/$t/" "${extra[@]}" 2>"$build/fuzz/$t.log"; then
    echo "!! $t found a fault; see $build/fuzz/$t.log and $build/fuzz/findings/$t/"
    tail -40 "$build/fuzz/$t.log"
    status=1
  fi
  grep -E "stat::number_of_executed_units|stat::peak_rss_mb" "$build/fuzz/$t.log" | sed "s/^/   /"
done
exit $status
