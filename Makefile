# The two everyday commands. Both install what is missing first, so they work on a fresh machine.
BUILD_DIR ?= build
ASAN_DIR ?= build-asan
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=
SAMPLE := resources/sample.bam

.PHONY: run test build deps bench bench-build asan-test clean

deps:
	@bash scripts/install-deps

$(BUILD_DIR)/CMakeCache.txt: | deps
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS)

build: deps $(BUILD_DIR)/CMakeCache.txt
	cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	./$(BUILD_DIR)/src/app/celwright $(SAMPLE)

test: build
	cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

# The benchmarks are not part of every build; this builds and runs them.
bench-build: build
	cmake --build $(BUILD_DIR) -j $(JOBS) --target benchmarks

bench: bench-build
	@for b in $(BUILD_DIR)/bench/bench_*; do [ -x "$$b" ] && "$$b"; done

# The core tests once more under AddressSanitizer and UndefinedBehaviorSanitizer.
asan-test: deps
	cmake -S . -B $(ASAN_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCELWRIGHT_SANITIZE=ON -DCELWRIGHT_BUILD_APP=OFF $(CMAKE_FLAGS)
	cmake --build $(ASAN_DIR) -j $(JOBS)
	cd $(ASAN_DIR) && ctest --output-on-failure -j $(JOBS) -L core

clean:
	rm -rf $(BUILD_DIR) $(ASAN_DIR)
