# Thin wrapper over CMake: `make run` and `make test` do everything.
BUILD ?= build
JOBS ?= $(shell nproc)

.PHONY: all build run test install package clean fuzz

all: build

build:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BUILD) -j $(JOBS)

run: build
	cd examples && ../$(BUILD)/analysis/pedscreen

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

install: build
	cmake --install $(BUILD)

package:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BUILD) -j $(JOBS) --target package

# Fuzzing: clang++ 15 or newer with libFuzzer (Debian: clang-16, libclang-rt-16-dev).
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
FUZZ_CXX ?= $(shell command -v clang++-16 || command -v clang++)

fuzz:
	cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCMAKE_CXX_COMPILER=$(FUZZ_CXX) -DPEDSCREEN_FUZZ=ON \
	  -DPEDSCREEN_TESTS=OFF -DPEDSCREEN_TOOLS=OFF
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzz_harnesses
	fuzz/run_all.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

clean:
	rm -rf $(BUILD) $(FUZZ_BUILD)
