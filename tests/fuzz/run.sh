#!/usr/bin/env bash
# Fuzzes the module loader, replayer and mixer with libFuzzer (clang, AddressSanitizer and
# UndefinedBehaviorSanitizer) for the given number of seconds, starting from a seed corpus of
# modules written by tools/xmseeds. Crashing inputs land in build/fuzz/artifacts.
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
cd "$here"
seconds=${1:-60}
out=build/fuzz
mkdir -p "$out/corpus" "$out/seeds" "$out/artifacts"

engine=(audio/ModuleLoader.cpp audio/Replayer.cpp audio/Mixer.cpp audio/Pitch.cpp audio/Waveform.cpp
        audio/Envelope.cpp)
clang++ -std=c++17 -O2 -g -I. -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
    tests/fuzz/ModuleFuzzer.cpp "${engine[@]}" -o "$out/module_fuzzer"
clang++ -std=c++17 -O2 -I. tools/xmseeds/xmseeds.cpp tools/xmseeds/Seeds.cpp audio/XmWriter.cpp -o "$out/xmseeds"
"$out/xmseeds" "$out/seeds"

echo "fuzz: running for ${seconds} s"
"$out/module_fuzzer" -max_total_time="$seconds" -max_len=65536 -timeout=20 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$out/artifacts/" "$out/corpus" "$out/seeds"
