#!/usr/bin/env bash
# tests/fuzz/run.sh [SECONDS]: fuzzes with libFuzzer (clang, AddressSanitizer and
# UndefinedBehaviorSanitizer), SECONDS for each of six targets:
#   loader_fuzzer      header check, size walk and parse only, thousands of inputs a second
#   module_fuzzer      the same, then a short render through the replayer and mixer
#   synclink_fuzzer    the sync editor link over an editor's byte stream
#   rocketfile_fuzzer  the sync editor's file reader and writer
#   xmlscanner_fuzzer  the XML scanner under that reader, alone
#   editsequence_fuzzer  the editor's key edits, undo and redo, over any sequence of them
# The module targets start from modules written by tools/xmseeds, the sync targets from seeds
# written here. Crashing inputs land in build/fuzz/artifacts; each target's executions per
# second are printed at the end.
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
clang++ -std=c++17 -O2 -I. tools/xmseeds/xmseeds.cpp tools/xmseeds/Seeds.cpp tools/common/XmWriter.cpp -o "$out/xmseeds"
"$out/xmseeds" "$out/seeds"

summary=()
status=0
# fuzz TARGET SEEDS: runs build/fuzz/TARGET for the given seconds over its own corpus and SEEDS,
# and adds its executions to the summary.
fuzz() {
  local target=$1 seeds=$2 log="$out/$1.log"
  mkdir -p "$out/corpus-$target"
  echo "fuzz: $target for ${seconds} s"
  if ! "$out/$target" -max_total_time="$seconds" -max_len=65536 -timeout=20 -rss_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix="$out/artifacts/$target-" "$out/corpus-$target" "$seeds" 2>"$log"; then
    status=1
    tail -n 40 "$log"
  fi
  local runs rate
  runs=$(grep -m1 'stat::number_of_executed_units' "$log" | awk '{print $2}')
  rate=$(grep -m1 'stat::average_exec_per_sec' "$log" | awk '{print $2}')
  summary+=("$target: ${runs:-?} executions in ${seconds} s, ${rate:-?} per second")
}
fuzz loader_fuzzer "$out/seeds"
fuzz module_fuzzer "$out/seeds"

# The sync editor link (an editor's byte stream) and the editor's file reader, the same number
# of seconds each, from seeds written here (an exchange of every message, a small file) and the
# tests' editor files of every shape.
sync_engine=(sync/MessageReader.cpp sync/TrackKeys.cpp sync/SyncLink.cpp sync/XmlScanner.cpp
             sync/RocketFileReader.cpp sync/RocketFileWriter.cpp core/Timeline.cpp)
clang++ "${flags[@]}" tests/fuzz/SyncLinkFuzzer.cpp "${sync_engine[@]}" -o "$out/synclink_fuzzer"
clang++ "${flags[@]}" tests/fuzz/RocketFileFuzzer.cpp "${sync_engine[@]}" -o "$out/rocketfile_fuzzer"
clang++ "${flags[@]}" tests/fuzz/XmlScannerFuzzer.cpp sync/XmlScanner.cpp -o "$out/xmlscanner_fuzzer"
mkdir -p "$out/seeds-synclink_fuzzer" "$out/seeds-rocketfile_fuzzer"
# \x01 puts the greeting in front: SET_KEY, DELETE_KEY, SET_ROW, PAUSE, SAVE_TRACKS.
printf '\x01\x00\x00\x00\x00\x03\x00\x00\x00\x10\x3f\xc0\x00\x00\x04\x01\x00\x00\x00\x03\x00\x00\x00\x10\x03\x00\x00\x06\x40\x04\x01\x04\x00\x05' \
    > "$out/seeds-synclink_fuzzer/exchange"
printf '\x00hello, demo!\x03\x00\x00\x00\x01' > "$out/seeds-synclink_fuzzer/greeting"
printf '<?xml version="1.0"?>\n<sync rows="32">\n\t<tracks>\n\t\t<track name="a&amp;b">\n\t\t\t<key row="0" value="1.5" interpolation="4"/>\n\t\t\t<key row="8" value="-2e-05" interpolation="1"/>\n\t\t</track>\n\t\t<track name="empty"/>\n\t</tracks>\n\t<bookmarks><bookmark row="4"/></bookmarks>\n</sync>\n' \
    > "$out/seeds-rocketfile_fuzzer/sync.rocket"
# The editors' own shapes, as the tests read them.
cp tests/support/editor-files/*.rocket "$out/seeds-rocketfile_fuzzer/"
fuzz synclink_fuzzer "$out/seeds-synclink_fuzzer"
fuzz rocketfile_fuzzer "$out/seeds-rocketfile_fuzzer"
# The scanner starts from the same files: XML of every shape the reader meets.
fuzz xmlscanner_fuzzer "$out/seeds-rocketfile_fuzzer"

# The editor's model: sequences of its edits, from a seed that lays keys and tries each action once.
clang++ "${flags[@]}" tests/fuzz/EditSequenceFuzzer.cpp app/live/edit/EditHistory.cpp app/live/edit/EditModel.cpp \
    sync/TrackKeys.cpp sync/Rows.cpp core/Timeline.cpp -o "$out/editsequence_fuzzer"
mkdir -p "$out/seeds-editsequence_fuzzer"
printf '\x04\x00\x00\x90\x01\x00\x08\x88\x02\x01\x04\xa0\x00\x03\x10\x84\x03\x00\x02\x04\x80\x02\x01\x00\x00\x02\x00\x00\x02\x10\x03\x00\x08\x04\x00\x02\x00\x10\x04\x05\x00\x02\x00\x10\x06\x03\x06\x07\x05\x81\x82\x83\x84\x85\x86\x87\x88\x08\x08\x09\x0a\x00\x01\xf8\x81\x02\x0b\x08' \
    > "$out/seeds-editsequence_fuzzer/every-action"
fuzz editsequence_fuzzer "$out/seeds-editsequence_fuzzer"

printf 'fuzz: %s\n' "${summary[@]}"
exit $status
