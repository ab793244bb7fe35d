# Entry points for a fresh machine: `make run` and `make test` install what is
# missing, configure, build and then run the program or every test.
BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc)

.PHONY: all deps configure build test run bench format clean

all: build

deps:
	./scripts/install-deps.sh

$(BUILD_DIR)/build.ninja:
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE)

configure: deps $(BUILD_DIR)/build.ninja

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

test: build
	cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

# Plovik on the user's X11 session when there is one; otherwise a demonstration on a
# private virtual desktop (a GTK window), the simulated desktop and the corrector.
run: build
	./scripts/run-plovik.sh $(BUILD_DIR)

bench: build
	./scripts/run-benchmarks.sh $(BUILD_DIR)

format:
	find core platform app tools tests bench -name '*.h' -o -name '*.cpp' | xargs clang-format -i

clean:
	rm -rf $(BUILD_DIR)
