# Everything starts here. `make run` plays the demo, `make test` runs every test; both install
# what is missing first (scripts/setup.sh) and are safe to re-run. NIMBRA_D3D=wined3d or dxvk
# picks the Direct3D 11 that Windows programs run on under Wine (scripts/direct3d.sh).
JOBS ?= $(shell nproc)
HOST := build/host
WIN := build/win64
ASAN := build/asan
GEN := -G Ninja

.PHONY: all setup build host win64 asan test test-host test-win64 test-asan run bench bench-shell bench-xm clean fuzz assets

all: build

setup:
	@bash scripts/setup.sh

build: setup host win64

host:
	@test -f $(HOST)/build.ninja || cmake -S . -B $(HOST) $(GEN) -DCMAKE_BUILD_TYPE=Release
	cmake --build $(HOST) -j $(JOBS)

win64:
	@test -f $(WIN)/build.ninja || cmake -S . -B $(WIN) $(GEN) -DCMAKE_BUILD_TYPE=Release \
		-DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
	cmake --build $(WIN) -j $(JOBS)

# The portable code again, with AddressSanitizer and UndefinedBehaviorSanitizer.
asan:
	@test -f $(ASAN)/build.ninja || cmake -S . -B $(ASAN) $(GEN) -DCMAKE_BUILD_TYPE=Debug \
		-DNIMBRA_SANITIZE=ON -DNIMBRA_TOOLS=OFF
	cmake --build $(ASAN) -j $(JOBS)

# The soundtrack: regenerate content/song/song.xm from its score, or render it to out/song.wav.
.PHONY: song listen
song: host
	$(HOST)/tools/songgen/songgen content/song/score.txt content/song/song.xm

listen: host
	@mkdir -p out
	$(HOST)/tools/xmrender/xmrender content/song/song.xm out/song.wav --loops 1

test: setup host win64 asan
	@bash scripts/run-tests.sh

run: build
	@bash scripts/play.sh

# Every benchmark; each area adds its own target as a prerequisite.
bench: bench-shell bench-xm bench-sync bench-d3d bench-refill bench-editor

# The time demo-sync's editor takes a frame on the frame thread beside the whole frame's, under Wine.
.PHONY: bench-editor
bench-editor: setup win64
	@bash scripts/bench-editor.sh

# Seconds per frame of demo-capture on Wine's own Direct3D and on DXVK, at 320 x 180 and 640 x 360.
.PHONY: bench-d3d
bench-d3d: setup win64
	@bash scripts/bench-d3d.sh

# Start-up time and frame rate of the window, device and frame loop under Wine at 640 x 360.
bench-shell: setup win64
	@bash scripts/bench-shell.sh 640x360

# The XM engine against xmp and openmpt123 (installed here if missing): real-time factor and
# user CPU per render, medians of REPS runs.
REPS ?= 7
bench-xm: host
	@bash scripts/bench-xm.sh $(REPS)

# Message rate of the sync editor link under a burst of 10,000 SET_KEY messages, in memory (the
# reader alone beside the link) and through demo-sync.exe under Wine, and its seek to row 1600.
.PHONY: bench-sync
bench-sync: setup host win64
	$(HOST)/tools/sync-bench/sync-bench 10000
	@python3 tests/e2e/demo-sync-test.py $(WIN)/demo-sync.exe $(CURDIR) $(WIN)/bench-sync \
		DemoSyncTest.test_burst_of_ten_thousand_keys DemoSyncTest.test_edits_seeks_pauses_reports_and_saves \
		2>&1 | grep -oE '(burst|seek to row 1600|Escape): .*'

# How far ahead of a Windows sound device the refill writes, in model time: the worst margin
# with a fine timer and, the peer, on the default 15.6 ms tick.
.PHONY: bench-refill
bench-refill: host
	@$(HOST)/tools/refill-bench/refill-bench

# Breaks each rule listed in tests/mutants/*.txt once, builds, runs the tests that must catch it
# and restores the file; one line per entry: make mutants [MUTANTS="name-regex ..."]
MUTANTS ?=
.PHONY: mutants
mutants:
	@python3 scripts/mutants.py $(MUTANTS)

# Formats the C++ of app core gfx audio sync content tools tests with .clang-format (clang-format
# 14). scripts/format-check.sh lists the files that drift without touching them.
.PHONY: format
format:
	bash scripts/format-check.sh --fix

# Fuzzes the module loader alone, then loader, replayer and mixer, for SECONDS seconds each
# (libFuzzer, clang), and prints each target's executions per second: make fuzz SECONDS=600
SECONDS ?= 60
fuzz:
	bash tests/fuzz/run.sh $(SECONDS)

# Regenerates the committed content data (fonts, text cells, palettes, picture).
assets: host
	$(HOST)/tools/assetgen/nimbra_assetgen content/assets/data

clean:
	rm -rf build

# The live workflow on this display: demo-sync with the sync editor's keys, the tree's shaders and
# its song, each changed while it runs (scripts/live.sh; LIVE="--width 960 --height 540" adds
# options).
.PHONY: live
live: build
	@bash scripts/live.sh $(LIVE)

# The party release: out/nimbra.zip with demo.exe, demo-capture.exe, nimbra.nfo, file_id.diz and a
# screenshot at 70 s, 1920 x 1080 (scripts/release.sh).
.PHONY: release
release: setup win64
	@bash scripts/release.sh

# The whole presentation rendered offline and streamed into a film: `make video` gives
# out/video.mp4 (1920 x 1080, 30 fps), `make capture` out/demo.mp4 (1280 x 720, 60 fps), on the
# faster Direct3D (DXVK). FILM adds options of scripts/capture.sh, which win over the defaults:
#   make video FILM="--size 1280x720 --fps 60 --from 10 --to 20 --film out/clip.mp4"
FILM ?=
.PHONY: capture video bench-film
capture: setup win64
	@bash scripts/capture.sh $(FILM)

video: setup win64
	@bash scripts/capture.sh --size 1920x1080 --fps 30 --film out/video.mp4 $(FILM)

# The film's seconds per frame at 640 x 360, 1280 x 720 and 1920 x 1080 over 2 s of the show, and
# the old route through PNG files beside it: make bench-film [BENCH_FILM="SECONDS FROM WxH..."]
BENCH_FILM ?=
bench-film: setup win64
	@bash scripts/bench-film.sh $(BENCH_FILM)
