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
clang++ -std=c++17 -O2 -I. tools/xmseeds/xmseeds.cpp audio/XmWriter.cpp -o "$out/xmseeds"
"$out/xmseeds" "$out/seeds"

echo "fuzz: running for ${seconds} s"
"$out/module_fuzzer" -max_total_time="$seconds" -max_len=65536 -timeout=20 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$out/artifacts/" "$out/corpus" "$out/seeds"

# The sync editor link (an editor's byte stream) and the editor's file reader, the same number
# of seconds each, from seeds written here: an exchange of every message, and small files.
sync_engine=(sync/MessageReader.cpp sync/TrackKeys.cpp sync/SyncLink.cpp sync/RocketFileReader.cpp
             sync/RocketFileWriter.cpp core/Timeline.cpp)
for target in SyncLink RocketFile; do
    clang++ -std=c++17 -O2 -g -I. -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
        "tests/fuzz/${target}Fuzzer.cpp" "${sync_engine[@]}" -o "$out/${target,,}_fuzzer"
done
mkdir -p "$out/synclink-corpus" "$out/synclink-seeds" "$out/rocketfile-corpus" "$out/rocketfile-seeds"
# \x01 puts the greeting in front: SET_KEY, DELETE_KEY, SET_ROW, PAUSE, SAVE_TRACKS.
printf '\x01\x00\x00\x00\x00\x03\x00\x00\x00\x10\x3f\xc0\x00\x00\x04\x01\x00\x00\x00\x03\x00\x00\x00\x10\x03\x00\x00\x06\x40\x04\x01\x04\x00\x05' \
    > "$out/synclink-seeds/exchange"
printf '\x00hello, demo!\x03\x00\x00\x00\x01' > "$out/synclink-seeds/greeting"
printf '<?xml version="1.0"?>\n<sync rows="32">\n\t<tracks>\n\t\t<track name="a&amp;b">\n\t\t\t<key row="0" value="1.5" interpolation="4"/>\n\t\t\t<key row="8" value="-2e-05" interpolation="1"/>\n\t\t</track>\n\t\t<track name="empty"/>\n\t</tracks>\n\t<bookmarks><bookmark row="4"/></bookmarks>\n</sync>\n' \
    > "$out/rocketfile-seeds/sync.rocket"
printf '<rootElement>\n<group name="g"/>\n<tracks rows="10000" startRow="0">\n<track name="g:x" folded="1" color="ff00ff00">\n<key row="3" value="0.000000" interpolation="2" />\n</track>\n</tracks>\n</rootElement>\n' \
    > "$out/rocketfile-seeds/tracks.rocket"
for target in synclink rocketfile; do
    echo "fuzz: ${target} for ${seconds} s"
    "$out/${target}_fuzzer" -max_total_time="$seconds" -max_len=65536 -timeout=20 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$out/artifacts/${target}-" "$out/${target}-corpus" "$out/${target}-seeds"
done
