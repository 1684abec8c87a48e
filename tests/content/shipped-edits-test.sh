#!/usr/bin/env bash
# Editor files go through the real build: the 64 curves are exported with timeline-dump, edited
# a little, put in a folder that a scratch build of timeline-dump takes as its content's editor
# files (NIMBRA_ROCKET_DIR), and the rebuilt timeline-dump must print exactly the built-in keys
# with those edits (a track muted in the editor plays its keys, and the build warns). Then a file
# with an unknown track and a malformed file must each stop the build with file and line, and
# removing the file must make it build again.
#
# usage: shipped-edits-test.sh SOURCE_DIR HOST_TIMELINE_DUMP SCRATCH_DIR
set -euo pipefail
src=$1
dump=$2
scratch=$3
edits=$scratch/edits
build=$scratch/build
mkdir -p "$scratch"
rm -rf "$edits"
mkdir -p "$edits"

for tool in cmake ninja awk; do
    command -v "$tool" > /dev/null || { echo "missing $tool: apt-get install cmake ninja-build gawk"; exit 1; }
done

fail() { echo "FAIL: $*"; exit 1; }

"$dump" keys > "$scratch/built-in.txt"
"$dump" rocket "$scratch/exported.rocket"

# The edits, made in the file as an editor would save them:
# - FRAME (curve 13) gets three keys of its own; 0.1 needs all nine digits, the first is Quartic;
# - CameraPosX (curve 0) becomes an empty track, so its curve loses its keys;
# - KRNSIZE (curve 11, no built-in keys) moves to a second file and gets one key there.
awk '
    /<track name="FRAME">/ {
        print "\t\t<track name=\"FRAME\" folded=\"0\" color=\"ff00ff00\">"
        print "\t\t\t<key interpolation=\"4\" value=\"0.100000001\" row=\"0\"/>"
        print "\t\t\t<key row=\"320\" value=\"-7.25\" interpolation=\"1\"/>"
        print "\t\t\t<key row=\"640\" value=\"80\" interpolation=\"0\"/>"
        print "\t\t</track>"
        skip = 1; next
    }
    /<track name="CameraPosX">/ { print "\t\t<track name=\"CameraPosX\"/>"; skip = 1; next }
    /<track name="KRNSIZE"\/>/ { next }
    skip { if (/<\/track>/) skip = 0; next }
    { print }
' "$scratch/exported.rocket" > "$edits/a-choreography.rocket"
# The emoon editor's shape, with KRNSIZE muted there: the demo plays its key all the same.
cat > "$edits/b-kernel.rocket" <<'EOF'
<?xml version="1.0" encoding="utf-8"?>
<rootElement>
<tracks rows="10000" startRow="0" endRow="2176" rowsPerBeat="8" beatsPerMin="125">
	<track name="KRNSIZE" folded="0" muteKeyCount="1" color="ff00ff00" muteValue="0.000000">
		<key row="0" value="8.000000" interpolation="0" />
	</track>
</tracks>
</rootElement>
EOF

# The expected keys, from the built-in ones and the edits as written above.
{
    awk -F, '$1 != 0 && $1 < 11' "$scratch/built-in.txt"
    echo "11,0,8,0"
    awk -F, '$1 == 12' "$scratch/built-in.txt"
    echo "13,0,0.100000001,4"
    echo "13,320,-7.25,1"
    echo "13,640,80,0"
    awk -F, '$1 > 13' "$scratch/built-in.txt"
} > "$scratch/expected.txt"
[ "$(wc -l < "$scratch/expected.txt")" -eq $((4154 - 2 - 2 + 1 + 3)) ] || fail "expected keys miscounted"

configure() {
    cmake -S "$src" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release "-DNIMBRA_ROCKET_DIR=$edits" \
        > "$scratch/configure.log" 2>&1 || { cat "$scratch/configure.log"; fail "configure"; }
}
rebuild() {
    cmake --build "$build" --target timeline-dump > "$scratch/build.log" 2>&1
}

configure
rebuild || { cat "$scratch/build.log"; fail "the build with the editor files"; }
"$build/tools/timeline-dump/timeline-dump" keys > "$scratch/got.txt"
diff "$scratch/expected.txt" "$scratch/got.txt" > "$scratch/diff.txt" ||
    { head -20 "$scratch/diff.txt"; fail "the built timeline does not hold the exported keys with the edits"; }
echo "export -> build -> keys: $(wc -l < "$scratch/got.txt") keys as expected"
grep -q 'b-kernel.rocket:4: warning: the track "KRNSIZE" is muted in the editor; the demo plays its 1 key' \
    "$scratch/build.log" || { cat "$scratch/build.log"; fail "no warning with file and line for the muted track"; }
echo "muted track: its keys play, and the build says so with file and line"

# A new file naming an unknown track: found by the next build (no configure by hand) and refused.
printf '<sync rows="8">\n<tracks>\n<track name="NOT_A_VARIABLE">\n</track>\n</tracks>\n</sync>\n' > "$edits/c-bad.rocket"
if rebuild; then fail "a build with an unknown track succeeded"; fi
grep -q 'c-bad.rocket:3: error: the track "NOT_A_VARIABLE" is not a variable' "$scratch/build.log" ||
    { cat "$scratch/build.log"; fail "no file and line for the unknown track"; }
echo "unknown track: refused with file and line"

# A key the demo cannot read.
printf '<sync rows="8">\n<tracks>\n<track name="FRAME">\n<key row="1" value="fast" interpolation="0"/>\n</track>\n</tracks>\n</sync>\n' \
    > "$edits/c-bad.rocket"
if rebuild; then fail "a build with a malformed key succeeded"; fi
grep -q 'c-bad.rocket:4: error: value "fast" is not a finite number' "$scratch/build.log" ||
    { cat "$scratch/build.log"; fail "no file and line for the malformed key"; }
echo "malformed key: refused with file and line"

# The same track in two files is ambiguous.
printf '<tracks>\n<track name="KRNSIZE"/>\n</tracks>\n' > "$edits/c-bad.rocket"
if rebuild; then fail "a build with a track in two files succeeded"; fi
grep -q 'c-bad.rocket:2: error: the track "KRNSIZE" is also in .*b-kernel.rocket:4' "$scratch/build.log" ||
    { cat "$scratch/build.log"; fail "no file and line for the track set twice"; }
echo "track in two files: refused with file and line"

rm "$edits/c-bad.rocket"
rebuild || { cat "$scratch/build.log"; fail "the build after removing the bad file"; }
"$build/tools/timeline-dump/timeline-dump" keys | diff -q "$scratch/expected.txt" - > /dev/null ||
    fail "the keys after removing the bad file"
echo "bad file removed: builds again"
