# Thin wrapper over CMake: `make run` builds and starts the engine, `make test` runs the suite.
BUILD ?= build
JOBS  ?= 2

.PHONY: all build run test test-sanitize bench soak clean

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

# A long self-play run: make soak GAMES=200 TURN=1000
GAMES ?= 40
TURN  ?= 200
soak: build
	./$(BUILD)/tests/gravik-soak $(GAMES) $(TURN) 1

bench: build
	./$(BUILD)/gravik-bench

clean:
	rm -rf $(BUILD) build-sanitize
