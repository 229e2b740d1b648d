# Aevorium: the two commands are `make run` and `make test`.
BUILD_DIR ?= build
BUILD_TYPE ?= Release
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
MAKEFLAGS += --no-print-directory
CMAKE_FLAGS ?=

.PHONY: all deps configure build run test bench sanitize package fuzz clean

all: build

deps:
	@scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) $(CMAKE_FLAGS) > /dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

# Builds the program only (not the tests) and starts it on the default data set.
run: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS) --target aevorium
	cd $(BUILD_DIR)/bin && ./aevorium

test: build
	cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

bench: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS) --target aev_bench
	cd $(BUILD_DIR)/bin && ./aev_bench

# The Debian package aevorium_<version>_<arch>.deb in $(BUILD_DIR)/: the program,
# its icons, manual pages and changelog and the screenshot of its window (made
# under Xvfb), then CPack.
package: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS) --target aevorium aev_icons aev_package_docs aev_screenshot
	cd $(BUILD_DIR) && cpack -G DEB

# The tests built with AddressSanitizer and UndefinedBehaviorSanitizer. Leak
# reports are off: the GUI libraries keep process-lifetime allocations.
sanitize: deps
	@cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DAEV_SANITIZE=ON -DAEV_BUILD_BENCH=OFF > /dev/null
	@cmake --build build-asan -j $(JOBS)
	cd build-asan && ASAN_OPTIONS=detect_leaks=0 ctest --output-on-failure -j $(JOBS)

# The libFuzzer programs of tests/fuzz/, built with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer in build-fuzz, each run FUZZ_SECONDS over its corpus.
FUZZ_SECONDS ?= 60
FUZZ_TARGETS ?= ini number scale events rtf picture tour
fuzz: deps
	@if ! command -v clang++ >/dev/null || ! ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-*.a >/dev/null 2>&1; then \
	  SUDO=$$( [ "$$(id -u)" -ne 0 ] && echo sudo ); \
	  $$SUDO apt-get update -qq && $$SUDO apt-get install -y -qq --no-install-recommends clang libclang-rt-14-dev \
	    || $$SUDO apt-get install -y -qq --no-install-recommends clang; fi
	@CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DAEV_FUZZ=ON \
	  -DAEV_BUILD_TESTS=OFF -DAEV_BUILD_BENCH=OFF > /dev/null
	@cmake --build build-fuzz -j $(JOBS) --target aev_fuzzers
	tools/run_fuzz.sh build-fuzz $(FUZZ_SECONDS) $(FUZZ_TARGETS)

clean:
	rm -rf $(BUILD_DIR) build-asan build-fuzz
