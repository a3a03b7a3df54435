# The README's commands. Each first installs what is missing.
BUILD ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=
SOURCES = $(shell git ls-files '*.cpp' '*.h' 2>/dev/null)

.PHONY: deps build run test test-fast format format-check asan bench soak fuzz install package clean \
	replays-update

deps:
	@scripts/install-deps

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS)

build: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j$(JOBS)

run: build
	cd $(BUILD)/run && ../brisco2

format:
	clang-format -i $(SOURCES)

format-check:
	clang-format --dry-run -Werror $(SOURCES)

test-fast: build
	cd $(BUILD) && ctest --output-on-failure -j$(JOBS)

asan: deps
	cmake -S . -B $(ASAN_BUILD) -DBRISCO2_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug $(CMAKE_FLAGS)
	cmake --build $(ASAN_BUILD) -j$(JOBS)
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --output-on-failure -j$(JOBS)

test: deps format-check test-fast asan

# The stored dumps of tests/replays rewritten from what the replays give now, on
# purpose; the diff shows what changed.
replays-update: build
	cd $(BUILD) && BRISCO2_REPLAYS_UPDATE=1 ./brisco2-tests --gtest_brief=1 \
	  --gtest_filter='Replays/GoldenReplay.*'
	@git status --short -- tests/replays
	@git --no-pager diff --stat -- tests/replays
	@git --no-pager diff -- tests/replays

bench: build
	cmake --build $(BUILD) --target bench-run

soak: build
	cmake --build $(BUILD) --target soak-run

# libFuzzer needs clang: a build folder of its own.
fuzz: deps
	CC=clang-14 CXX=clang++-14 cmake -S . -B $(FUZZ_BUILD) -DBRISCO2_FUZZ=ON $(CMAKE_FLAGS)
	cmake --build $(FUZZ_BUILD) -j$(JOBS) --target fuzz-run

install: build
	cmake --install $(BUILD)

package: build
	cd $(BUILD) && cpack -G DEB

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD)
