# Everything starts here. `make run` plays the demo, `make test` runs every test; both install
# what is missing first (scripts/setup.sh) and are safe to re-run.
JOBS ?= $(shell nproc)
HOST := build/host
WIN := build/win64
ASAN := build/asan
GEN := -G Ninja

.PHONY: all setup build host win64 asan test test-host test-win64 test-asan run bench clean assets

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

test: setup host win64 asan
	@bash scripts/run-tests.sh

run: build
	@bash scripts/play.sh

# Regenerates the committed content data (fonts, text cells, palettes, picture).
assets: host
	$(HOST)/tools/assetgen/nimbra_assetgen content/assets/data

clean:
	rm -rf build
