# SPDX-FileCopyrightText: 2026 Brisco2 developers
# SPDX-License-Identifier: GPL-3.0-or-later

# The README's commands. Each first installs what is missing.
BUILD ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
WEB_BUILD ?= build-web
WEB_PORT ?= 8000
# Emscripten's tools are Node.js programs that need Debian's node modules. (Debian's
# package brings its system libraries prebuilt, in a cache it keeps frozen.)
EMENV = NODE_PATH=/usr/share/nodejs
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=
SOURCES = $(shell git ls-files '*.cpp' '*.h' 2>/dev/null)

.PHONY: deps build run test test-fast format format-check asan bench soak fuzz install package clean \
	web web-run web-test replays-update

deps:
	@scripts/install-deps

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) -DBRISCO2_WEB_BUILD=$(abspath $(WEB_BUILD)) $(CMAKE_FLAGS)

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

test: deps format-check test-fast asan web-test

# The browser edition: a static folder any web host can serve as it is. The music is the
# tune the desktop build renders; the decoder comes from the npm registry, pinned in
# package-lock.json.
node_modules/.package-lock.json: package.json package-lock.json
	npm ci --no-audit --no-fund

# The browser edition takes the desktop build's tune and font tables: those first.
web: deps $(BUILD)/CMakeCache.txt node_modules/.package-lock.json
	cmake --build $(BUILD) -j$(JOBS) --target brisco2-tune-file brisco2fonttables \
	  brisco2-tests brisco2-twin-tests brisco2-replay
	[ -f $(WEB_BUILD)/CMakeCache.txt ] || $(EMENV) emcmake cmake -S . -B $(WEB_BUILD) \
	  -DBRISCO2_WEB=ON -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_CROSSCOMPILING_EMULATOR=$$(command -v node) -DBRISCO2_NATIVE_BUILD=$(abspath $(BUILD)) \
	  -DBRISCO2_TUNE=$(abspath $(BUILD))/run/Brisco.wma \
	  -DBRISCO2_FONT_TABLES=$(abspath $(BUILD))/tools/font_tables/font_tables.cpp
	$(EMENV) cmake --build $(WEB_BUILD) -j$(JOBS)

web-run: web
	scripts/serve-web $(WEB_BUILD) $(WEB_PORT)

web-test: web
	cd $(WEB_BUILD) && $(EMENV) ctest --output-on-failure -j$(JOBS)

# The stored dumps of tests/replays rewritten from what the replays give now, on
# purpose; the diff shows what changed.
replays-update: build
	cd $(BUILD) && BRISCO2_REPLAYS_UPDATE=1 ./brisco2-tests --gtest_brief=1 \
	  --gtest_filter='Replays/GoldenReplay.*'
	@git status --short -- tests/replays
	@git --no-pager diff --stat -- tests/replays
	@git --no-pager diff -- tests/replays

bench: build web
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
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD) $(WEB_BUILD)
