# The two set-up commands: `make run` and `make test`.
BUILD_DIR := build
JOBS := $(shell nproc 2>/dev/null || echo 2)

.PHONY: deps build run test bench clean

deps:
	./tools/install-deps.sh

build: deps
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	./$(BUILD_DIR)/oru

test: build
	cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

bench: build
	./bench/run.sh

clean:
	rm -rf $(BUILD_DIR)
