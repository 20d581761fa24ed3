# Thin wrapper over CMake: `make run` and `make test` do everything.
BUILD ?= build
JOBS ?= $(shell nproc)

.PHONY: all build run test install package clean

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

clean:
	rm -rf $(BUILD)
