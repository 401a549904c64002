# Thin wrapper over CMake: `make run` builds and starts the engine, `make test` runs the suite.
BUILD ?= build
JOBS  ?= 2

.PHONY: all build run test test-sanitize test-tsan bench bench-check soak fuzz-build fuzz fuzz-replay format \
        format-check clean windows test-windows dist gomocup-check web serve-web bench-web test-web \
        web-pace

all: build

build:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BUILD) -j$(JOBS)

run: build
	./$(BUILD)/pbrain-gravik

test: build
	cd $(BUILD) && ctest --output-on-failure -j$(JOBS)

# The whole suite again under AddressSanitizer and UndefinedBehaviorSanitizer.
test-sanitize:
	cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g" -DGRAVIK_SANITIZE=ON
	cmake --build build-sanitize -j$(JOBS)
	cd build-sanitize && ctest --output-on-failure -j$(JOBS) -LE soak

# The engine's threads under ThreadSanitizer: the protocol tests drive the instrumented
# binary, whose reader thread takes input while it thinks. Timeouts stretch for the slower
# engine.
test-tsan:
	cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g" -DGRAVIK_TSAN=ON
	cmake --build build-tsan -j$(JOBS) --target pbrain-gravik test_protocol
	@TSAN_OPTIONS="halt_on_error=1 exitcode=66" GRAVIK_TIMEOUT_SCALE=3 \
	  ./build-tsan/tests/test_protocol > build-tsan/tsan.log 2>&1; rc=$$?; cat build-tsan/tsan.log; \
	  [ $$rc -eq 0 ] && ! grep -q "WARNING: ThreadSanitizer" build-tsan/tsan.log

# A long self-play run: make soak GAMES=200 TURN=1000
GAMES ?= 40
TURN  ?= 200
soak: build
	./$(BUILD)/tests/gravik-soak $(GAMES) $(TURN) 1

# Protocol fuzzing with libFuzzer (the harness works in a temporary directory, so paths are absolute): make fuzz FUZZ_SECONDS=1800 (new inputs go to build-fuzz/corpus).
FUZZ_SECONDS ?= 60
fuzz-build:
	CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g" -DGRAVIK_FUZZ=ON -DGRAVIK_TESTS=OFF
	cmake --build build-fuzz -j$(JOBS) --target gravik-fuzz

fuzz: fuzz-build
	mkdir -p build-fuzz/corpus
	$(CURDIR)/build-fuzz/gravik-fuzz -max_total_time=$(FUZZ_SECONDS) -timeout=20 -rss_limit_mb=4096 \
	  -max_len=2048 -artifact_prefix=$(CURDIR)/build-fuzz/ \
	  $(CURDIR)/build-fuzz/corpus $(CURDIR)/tests/fuzz/corpus

# Replays the kept corpus once: every input must run clean.
fuzz-replay: fuzz-build
	$(CURDIR)/build-fuzz/gravik-fuzz -runs=0 -rss_limit_mb=4096 -artifact_prefix=$(CURDIR)/build-fuzz/ \
	  $(CURDIR)/tests/fuzz/corpus

bench: build
	./$(BUILD)/gravik-bench

# The node count at fixed depths must match the newest "Bench: N" line of the history.
bench-check: build
	@ref=$$(git log --format=%B | grep -m1 -oE '^Bench: [0-9]+' | cut -d' ' -f2); \
	got=$$(./$(BUILD)/gravik-bench | awk '/^Nodes searched/ {print $$NF}'); \
	echo "bench signature $$got, recorded $$ref"; \
	[ -n "$$ref" ] && [ "$$ref" = "$$got" ]

# The house style of .clang-format: `make format` applies it, `make format-check` only looks.
SOURCES = $(shell git ls-files '*.cpp' '*.h')
format:
	clang-format -i $(SOURCES)

format-check:
	clang-format --dry-run --Werror $(SOURCES)

# The Windows x64 engine, cross-compiled with MinGW-w64 and linked statically:
# build-windows/pbrain-gravik.exe and build-windows/gravik-bench.exe.
WINDOWS_BUILD ?= build-windows
windows:
	cmake -S . -B $(WINDOWS_BUILD) -DCMAKE_BUILD_TYPE=Release -DGRAVIK_TESTS=OFF \
	  -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-w64-x86_64.cmake
	cmake --build $(WINDOWS_BUILD) -j$(JOBS)

# The .exe under Wine: it must end at end of input with status 0 (the first start also makes
# the Wine prefix), print the recorded bench signature, pass the protocol tests of the Linux
# test program and play a short self-play soak against itself, with one search thread and with two. Each step reports its time.
WINE_TIMEOUT_SCALE ?= 4
WINE_GAMES         ?= 4
WINE_ENV    = WINEDEBUG=-all WINEPREFIX=$(CURDIR)/$(WINDOWS_BUILD)/wine
WINE_ENGINE = GRAVIK_ENGINE="wine $(CURDIR)/$(WINDOWS_BUILD)/pbrain-gravik.exe" \
              GRAVIK_TIMEOUT_SCALE=$(WINE_TIMEOUT_SCALE)
WINESERVER ?= $(firstword $(wildcard /usr/lib/wine/wineserver64 /usr/bin/wineserver) wineserver)
define timed
	@start=$$(date +%s%N); $(2); rc=$$?; \
	echo "wine step: $(1): $$(( ($$(date +%s%N) - start) / 1000000 )) ms"; exit $$rc
endef
test-windows: build windows
	$(call timed,start and end of input,$(WINE_ENV) wine $(WINDOWS_BUILD)/pbrain-gravik.exe </dev/null >/dev/null)
	@# One Wine server for all the engines the tests start, kept for 30 s after the last one:
	@# a server shutting down just as the next engine starts would refuse that engine.
	-@$(WINE_ENV) $(WINESERVER) -k
	$(WINE_ENV) $(WINESERVER) -p30
	$(call timed,bench signature,ref=$$(git log --format=%B | grep -m1 -oE '^Bench: [0-9]+' | cut -d' ' -f2); \
	  got=$$($(WINE_ENV) wine $(WINDOWS_BUILD)/gravik-bench.exe | tr -d '\r' | awk '/^Nodes searched/ {print $$NF}'); \
	  echo "windows bench signature $$got (recorded $$ref)"; [ -n "$$ref" ] && [ "$$ref" = "$$got" ])
	$(call timed,protocol tests,$(WINE_ENV) $(WINE_ENGINE) ./$(BUILD)/tests/test_protocol)
	$(call timed,self-play soak,$(WINE_ENV) $(WINE_ENGINE) ./$(BUILD)/tests/gravik-soak $(WINE_GAMES) 100 7)
	$(call timed,threaded self-play soak,$(WINE_ENV) $(WINE_ENGINE) ./$(BUILD)/tests/gravik-soak $(WINE_GAMES) 100 11 0 2)
	$(WINE_ENV) $(WINESERVER) -k

# The browser build with Emscripten: build-web/site/ is a static site (the page, its worker and
# the engine's .js and .wasm in two builds), build-web/gravik-bench.js and
# gravik-bench-plain.js the benches for Node. emcc finds its
# JavaScript helpers through NODE_PATH when node is not Debian's own.
WEB_BUILD ?= build-web
WEB_PORT  ?= 8000
EMSCRIPTEN_ENV = NODE_PATH=$${NODE_PATH:-/usr/share/nodejs}
web:
	$(EMSCRIPTEN_ENV) emcmake cmake -S . -B $(WEB_BUILD) -DCMAKE_BUILD_TYPE=Release
	$(EMSCRIPTEN_ENV) cmake --build $(WEB_BUILD) -j$(JOBS)

serve-web: web
	@echo "Gravik in a browser: http://127.0.0.1:$(WEB_PORT)/"
	python3 web/serve.py $(WEB_BUILD)/site $(WEB_PORT)

# Both WebAssembly benches under Node (the vector build, then the plain one) must print the
# recorded signature too; each line gives the build's nodes per second.
bench-web: web
	@ref=$$(git log --format=%B | grep -m1 -oE '^Bench: [0-9]+' | cut -d' ' -f2); ok=1; \
	for bench in gravik-bench gravik-bench-plain; do \
	  node $(WEB_BUILD)/$$bench.js > $(WEB_BUILD)/$$bench.txt; \
	  got=$$(awk '/^Nodes searched/ {print $$NF}' $(WEB_BUILD)/$$bench.txt); \
	  speed=$$(awk '/^Nodes\/second/ {print $$3}' $(WEB_BUILD)/$$bench.txt); \
	  echo "webassembly $$bench: signature $$got (recorded $$ref), $$speed nodes/s"; \
	  [ -n "$$ref" ] && [ "$$ref" = "$$got" ] || ok=0; \
	done; [ $$ok = 1 ]

# The WebAssembly builds' pace against the native build's: their benches in turn, in Node and
# in a worker of headless Chromium, five rounds of three timed passes each, and each one's best
# as a share of native.
ROUNDS ?= 5
PASSES ?= 3
web-pace: build web
	cd tests/web && npm ci --no-audit --no-fund
	node tools/web-pace.js $(ROUNDS) $(PASSES)

# The page in headless Chromium (Debian's /usr/bin/chromium) through Playwright, and the
# page's rules and the engine module under Node's test runner.
test-web: web
	cd tests/web && npm ci --no-audit --no-fund && GRAVIK_SITE=$(CURDIR)/$(WEB_BUILD)/site npm test

# The downloads in dist/: the Windows zip, the Linux tarball, the browser board's zip and
# SHA256SUMS. Both engines are built afresh in build-dist/ as shipped
# (GRAVIK_DIST); the same commit gives the same bytes, whatever folder it is checked out in.
DIST_BUILD ?= build-dist
WEB_SITE   ?= build-web/site
dist: web
	cmake -S . -B $(DIST_BUILD)/linux -DCMAKE_BUILD_TYPE=Release -DGRAVIK_TESTS=OFF -DGRAVIK_DIST=ON
	cmake --build $(DIST_BUILD)/linux -j$(JOBS) --target pbrain-gravik
	cmake -S . -B $(DIST_BUILD)/windows -DCMAKE_BUILD_TYPE=Release -DGRAVIK_TESTS=OFF \
	  -DGRAVIK_DIST=ON -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-w64-x86_64.cmake
	cmake --build $(DIST_BUILD)/windows -j$(JOBS) --target pbrain-gravik
	python3 tools/dist.py --cache $(DIST_BUILD)/linux/CMakeCache.txt \
	  --linux $(DIST_BUILD)/linux/pbrain-gravik --windows $(DIST_BUILD)/windows/pbrain-gravik.exe \
	  --web $(WEB_SITE) --out dist

# Gomocup's limits on the downloads: the .exe's name, size and DLLs, and the peak memory of the
# Linux engine through a self-play soak (the same tables as the .exe).
gomocup-check: build dist
	tools/check-gomocup dist ./$(BUILD)/tests/gravik-soak

clean:
	rm -rf $(BUILD) build-sanitize build-fuzz $(WINDOWS_BUILD) $(DIST_BUILD) dist $(WEB_BUILD)
