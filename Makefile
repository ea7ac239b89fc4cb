# The two commands: `make run` and `make test`. Both install what is missing from debian-packages.txt.
BUILD      ?= build
ASAN_BUILD ?= build-asan
JOBS       ?= $(shell nproc)
SUDO       := $(shell [ "$$(id -u)" = 0 ] || echo sudo)
CMAKE_FLAGS ?=

.PHONY: run test deps build build-asan test-asan windows fuzz bench clean

deps:
	@missing=$$(grep -v '^\s*#' debian-packages.txt | grep -v '^\s*$$' | while read -r p; do \
	    dpkg-query -W -f='$${Status}' "$$p" 2>/dev/null | grep -q 'install ok installed' || echo "$$p"; done); \
	if [ -n "$$missing" ]; then \
	    echo "Installing:" $$missing; \
	    $(SUDO) apt-get update -q && DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -q $$missing; \
	fi

build: deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS)
	cmake --build $(BUILD) -j $(JOBS)

build-asan: deps
	cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVORLANE_SANITIZE=ON $(CMAKE_FLAGS)
	cmake --build $(ASAN_BUILD) -j $(JOBS)

run: build
	$(BUILD)/shell/vorlane

test: build build-asan windows
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS) --timeout 300
	cd $(ASAN_BUILD) && QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0 \
	    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ctest --output-on-failure -j $(JOBS) --timeout 600

# Ostrel for Windows, cross-compiled so its Windows layer always builds.
windows: deps
	cmake -S bootstrap -B build-windows -G Ninja -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-w64.cmake
	cmake --build build-windows -j $(JOBS)

# libFuzzer targets (clang); not part of `make test`. FUZZ_SECONDS bounds each target's run. Link extraction
# gets pages up to the crawl's 8 MiB limit and 3 seconds for each.
FUZZ_SECONDS ?= 600
fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVORLANE_FUZZ=ON
	cmake --build build-fuzz -j $(JOBS) --target fuzzers
	for f in build-fuzz/fuzz/fuzz_*; do [ -f $$f ] && [ -x $$f ] || continue; name=$$(basename $$f); \
	    mkdir -p fuzz-corpus/$$name; \
	    case $$name in fuzz_extract) limits="-timeout=3 -max_len=8388608";; *) limits="-timeout=5";; esac; \
	    $$f -max_total_time=$(FUZZ_SECONDS) -rss_limit_mb=2048 $$limits -dict=fuzz/html.dict \
	        fuzz-corpus/$$name fuzz/seeds/$$name || exit 1; done

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) build-windows build-fuzz
