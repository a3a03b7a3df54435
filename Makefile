# SPDX-FileCopyrightText: 2026 Brisco2 developers
# SPDX-License-Identifier: GPL-3.0-or-later

# The README's commands. Each first installs what is missing.
BUILD ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
WEB_BUILD ?= build-web
WEB_PORT ?= 8000
# Emscripten's tools are Python and Node.js programs that need Debian's Python and node
# modules. (Debian's package brings its system libraries prebuilt, in a cache it keeps
# frozen.)
EMENV = NODE_PATH=/usr/share/nodejs EMSDK_PYTHON=/usr/bin/python3
PACKAGE_BUILD ?= build-package
# The music decoder's few parts of FFmpeg, built once from Debian's source package.
FFMPEG_PREFIX ?= $(CURDIR)/.deps/ffmpeg
# The same parts built with Emscripten, for the page's decoder and the Node.js replay tool.
FFMPEG_WEB_PREFIX ?= $(CURDIR)/.deps/ffmpeg-web
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=
SOURCES = $(shell git ls-files '*.cpp' '*.h' 2>/dev/null)

.PHONY: deps build run test test-trees test-fast format format-check asan asan-build bench soak fuzz install package clean \
	web web-run web-test replays-update ffmpeg ffmpeg-web package-tree package-test

deps:
	@scripts/install-deps

ffmpeg: deps
	@scripts/build-ffmpeg $(FFMPEG_PREFIX)

ffmpeg-web: deps
	@scripts/build-ffmpeg --web $(FFMPEG_WEB_PREFIX)

# The configure looks for the decoder's libraries: they come first, also when make runs
# several things at once.
$(BUILD)/CMakeCache.txt: | ffmpeg
	cmake -S . -B $(BUILD) -DBRISCO2_WEB_BUILD=$(abspath $(WEB_BUILD)) \
	  -DBRISCO2_FFMPEG_PREFIX=$(FFMPEG_PREFIX) $(CMAKE_FLAGS)

# A tree configured before the decoder was built here is pointed at it.
build: deps ffmpeg $(BUILD)/CMakeCache.txt
	@grep -qx 'BRISCO2_FFMPEG_PREFIX:PATH=$(FFMPEG_PREFIX)' $(BUILD)/CMakeCache.txt || \
	  cmake -S . -B $(BUILD) -DBRISCO2_FFMPEG_PREFIX=$(FFMPEG_PREFIX)
	cmake --build $(BUILD) -j$(JOBS)

run: build
	cd $(BUILD)/run && ../brisco2

format:
	clang-format -i $(SOURCES)

format-check:
	clang-format --dry-run -Werror $(SOURCES)

test-fast: build
	cd $(BUILD) && ctest --output-on-failure -j$(JOBS)

asan-build: deps ffmpeg
	cmake -S . -B $(ASAN_BUILD) -DBRISCO2_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug \
	  -DBRISCO2_FFMPEG_PREFIX=$(FFMPEG_PREFIX) $(CMAKE_FLAGS)
	cmake --build $(ASAN_BUILD) -j$(JOBS)

asan: asan-build
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --output-on-failure -j$(JOBS)

# Every tree first, two things at a time: FFmpeg's configure for the browser runs one
# compiler after another for minutes, and the other core builds meanwhile. Then the tests,
# one suite after another, on a machine that does nothing else.
test: deps format-check
	$(MAKE) --no-print-directory -j2 -Otarget test-trees
	$(MAKE) --no-print-directory test-fast asan web-test package-test

test-trees: build asan-build ffmpeg-web package-tree

# The browser edition. What a host serves is $(WEB_BUILD)/site, and only that; the build's
# own files, the Node.js tools and the tests stay beside it. The music is the tune the
# desktop build renders; the decoder is the game's own media code on FFmpeg's few parts,
# built with Emscripten. npm brings only the browser tests' driver and the build's list of
# the files the service worker keeps.
node_modules/.package-lock.json: package.json package-lock.json
	npm ci --no-audit --no-fund

# The browser edition takes the desktop build's tune, font tables, icon tool and the
# generator of the page's shared constants: those first.
web: deps ffmpeg-web $(BUILD)/CMakeCache.txt node_modules/.package-lock.json
	cmake --build $(BUILD) -j$(JOBS) --target brisco2-tune-file brisco2fonttables \
	  brisco2-tests brisco2-twin-tests brisco2-replay brisco2-make-icons brisco2-shared-constants
	[ -f $(WEB_BUILD)/CMakeCache.txt ] || $(EMENV) emcmake cmake -S . -B $(WEB_BUILD) \
	  -DBRISCO2_WEB=ON -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_CROSSCOMPILING_EMULATOR=$$(command -v node) -DBRISCO2_NATIVE_BUILD=$(abspath $(BUILD)) \
	  -DBRISCO2_FFMPEG_PREFIX=$(FFMPEG_WEB_PREFIX) \
	  -DBRISCO2_TUNE=$(abspath $(BUILD))/run/Brisco.wma \
	  -DBRISCO2_FONT_TABLES=$(abspath $(BUILD))/tools/font_tables/font_tables.cpp
	$(EMENV) cmake --build $(WEB_BUILD) -j$(JOBS)

web-run: web
	scripts/serve-web $(WEB_BUILD)/site $(WEB_PORT)

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

# The Debian package: Debian's shared FFmpeg, as its rules want, and only what gets
# installed.
package-tree: deps
	[ -f $(PACKAGE_BUILD)/CMakeCache.txt ] || cmake -S . -B $(PACKAGE_BUILD) -DBRISCO2_TESTS=OFF \
	  -DBRISCO2_FFMPEG_PREFIX= $(CMAKE_FLAGS)
	cmake --build $(PACKAGE_BUILD) -j$(JOBS)

package: package-tree
	cd $(PACKAGE_BUILD) && cpack -G DEB

package-test: package-tree
	cd $(PACKAGE_BUILD) && ctest --output-on-failure -j$(JOBS)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD) $(WEB_BUILD) $(PACKAGE_BUILD)
