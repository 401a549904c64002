# Thin wrapper over CMake: `make run` builds and starts the engine, `make test` runs the suite.
BUILD ?= build
JOBS  ?= 2

.PHONY: all build run test bench clean

all: build

build:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BUILD) -j$(JOBS)

run: build
	./$(BUILD)/pbrain-gravik

test: build
	cd $(BUILD) && ctest --output-on-failure -j$(JOBS)

bench: build
	./$(BUILD)/gravik-bench

clean:
	rm -rf $(BUILD)
