# The two set-up commands: `make run` and `make test`.
BUILD_DIR := build
CHECKED_DIR := build-sanitize
JOBS := $(shell nproc 2>/dev/null || echo 2)
FUZZ_SECONDS := 600
WITH_SANITIZERS := ./tests/sanitizer/environment.sh

.PHONY: deps build run test bench checked-build check-sanitize fuzz clean

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

# The checked build: clang with AddressSanitizer, UndefinedBehaviorSanitizer
# and LeakSanitizer, plus the script fuzzer.
checked-build: deps
	cmake -S . -B $(CHECKED_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCMAKE_CXX_COMPILER=clang++ -DORU_SANITIZE=ON -DORU_FUZZ=ON
	cmake --build $(CHECKED_DIR) -j $(JOBS)

# The whole test suite in the checked build, with a short fuzzing run.
check-sanitize: checked-build
	cd $(CHECKED_DIR) && ctest --output-on-failure -j $(JOBS)

# Fuzzes the script host for FUZZ_SECONDS, keeping what it learns in the
# checked build's corpus; a crash is saved there as crash-*.
fuzz: checked-build
	mkdir -p $(CHECKED_DIR)/tests/fuzz/corpus
	$(WITH_SANITIZERS) ./tests/with_display.sh $(CHECKED_DIR)/tests/fuzz/script_fuzzer \
	  -close_fd_mask=1 -detect_leaks=0 -max_len=4096 -len_control=20 -timeout=20 -rss_limit_mb=4096 \
	  -print_final_stats=1 \
	  -max_total_time=$(FUZZ_SECONDS) -artifact_prefix=$(CHECKED_DIR)/tests/fuzz/ \
	  $(CHECKED_DIR)/tests/fuzz/corpus tests/fuzz/corpus

clean:
	rm -rf $(BUILD_DIR) $(CHECKED_DIR)
