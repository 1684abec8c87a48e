#!/usr/bin/env bash
# tests/fuzz/run.sh [SECONDS]: fuzzes the module engine with libFuzzer (clang, AddressSanitizer
# and UndefinedBehaviorSanitizer), SECONDS for each of two targets, from a seed corpus of
# modules written by tools/xmseeds:
#   loader_fuzzer  header check, size walk and parse only, thousands of inputs a second
#   module_fuzzer  the same, then a short render through the replayer and mixer
# Crashing inputs land in build/fuzz/artifacts; each target's executions per second are printed
# at the end.
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
cd "$here"
seconds=${1:-60}
out=build/fuzz
mkdir -p "$out/seeds" "$out/artifacts"
if ! command -v clang++ >/dev/null; then
  echo "fuzz: clang++ missing: apt-get install clang libclang-rt-14-dev" >&2
  exit 1
fi

engine=(audio/ModuleLoader.cpp audio/Replayer.cpp audio/Mixer.cpp audio/Pitch.cpp audio/Waveform.cpp
        audio/Envelope.cpp)
flags=(-std=c++17 -O2 -g -I. -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all)
clang++ "${flags[@]}" tests/fuzz/LoaderFuzzer.cpp "${engine[@]}" -o "$out/loader_fuzzer"
clang++ "${flags[@]}" tests/fuzz/ModuleFuzzer.cpp "${engine[@]}" -o "$out/module_fuzzer"
clang++ -std=c++17 -O2 -I. tools/xmseeds/xmseeds.cpp tools/xmseeds/Seeds.cpp audio/XmWriter.cpp -o "$out/xmseeds"
"$out/xmseeds" "$out/seeds"

summary=()
status=0
for target in loader_fuzzer module_fuzzer; do
  mkdir -p "$out/corpus-$target"
  echo "fuzz: $target for ${seconds} s"
  log="$out/$target.log"
  if ! "$out/$target" -max_total_time="$seconds" -max_len=65536 -timeout=20 -rss_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix="$out/artifacts/" "$out/corpus-$target" "$out/seeds" 2>"$log"; then
    status=1
    tail -n 40 "$log"
  fi
  runs=$(grep -m1 'stat::number_of_executed_units' "$log" | awk '{print $2}')
  rate=$(grep -m1 'stat::average_exec_per_sec' "$log" | awk '{print $2}')
  summary+=("$target: ${runs:-?} executions in ${seconds} s, ${rate:-?} per second")
done
printf 'fuzz: %s\n' "${summary[@]}"
exit $status
