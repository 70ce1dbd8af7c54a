# The two set-up commands: `make run` and `make test`.
BUILD_DIR := build
CHECKED_DIR := build-sanitize
JOBS := $(shell nproc 2>/dev/null || echo 2)
FUZZ_SECONDS := 600
# A memory budget for the fuzzed scripts, in MiB (empty: the program's own);
# a small one (48) fuzzes what happens after running out of memory.
FUZZ_MEMORY_MIB :=
PREFIX := /usr/local
DEB_DIR := build-deb
# make install builds in a folder of its own, so that `sudo make install`
# never touches the folder a user's `make run` builds in.
INSTALL_BUILD_DIR := build-install

.PHONY: deps configure build program run test test-debian13 debian13-root install uninstall deb \
  lint-package test-package test-package-debian13 test-debian-testing test-package-debian-testing \
  bench checked-build check-sanitize fuzz check-format check-shell clean

deps:
	./tools/install-deps.sh

configure: deps
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=$(PREFIX)

# Everything: the program, its manual page and the tests.
build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

# What is installed: the program, its manual page and changelog, no test,
# built in INSTALL_BUILD_DIR.
program: deps
	cmake -S . -B $(INSTALL_BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=$(PREFIX) \
	  -DBUILD_TESTING=OFF
	cmake --build $(INSTALL_BUILD_DIR) -j $(JOBS) --target oru manual changelog

# Only what it runs: the program, not the tests or the manual page.
run: configure
	cmake --build $(BUILD_DIR) -j $(JOBS) --target oru
	./$(BUILD_DIR)/oru

# The browsers of the web player's tests are installed for the tests alone.
test: build
	./tools/install-deps.sh chromium firefox-esr
	cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

# The program, examples, README and manual page under PREFIX (DESTDIR
# honoured); what was installed is listed in
# $(INSTALL_BUILD_DIR)/install_manifest.txt, which `make uninstall` reads.
# Run through sudo, the build folder is handed back to the user who ran it,
# so that nothing is left behind that the user cannot write or remove.
install: program
	DESTDIR="$(DESTDIR)" cmake --install $(INSTALL_BUILD_DIR) --strip
	if [ -n "$${SUDO_UID:-}" ]; then chown -R "$$SUDO_UID:$${SUDO_GID:-$$SUDO_UID}" $(INSTALL_BUILD_DIR); fi

uninstall:
	DESTDIR="$(DESTDIR)" cmake -DMANIFEST=$(INSTALL_BUILD_DIR)/install_manifest.txt -P packaging/uninstall.cmake

# A Debian package for this machine's release, $(DEB_DIR)/oru_<version>-<revision>_<arch>.deb,
# its dependencies worked out from the binary by dpkg-shlibdeps, built with
# the release's hardening flags as Debian builds its packages.
deb: export DEB_BUILD_MAINT_OPTIONS = hardening=+all
deb: deps
	./tools/install-deps.sh dpkg-dev file
	cmake -S . -B $(DEB_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=/usr -DBUILD_TESTING=OFF \
	  -DCMAKE_CXX_FLAGS="$$(dpkg-buildflags --get CPPFLAGS) $$(dpkg-buildflags --get CXXFLAGS)" \
	  -DCMAKE_EXE_LINKER_FLAGS="$$(dpkg-buildflags --get LDFLAGS)"
	cmake --build $(DEB_DIR) -j $(JOBS)
	rm -f $(DEB_DIR)/oru_*.deb
	cd $(DEB_DIR) && cpack -G DEB

# The package installed with apt-get into a fresh minimal root of this
# machine's release, where it runs scripts on a virtual X server; needs root.
test-package: deb
	$(MAKE) lint-package
	./tools/install-deps.sh debootstrap
	./tests/package/fresh_install.sh "$$(. /etc/os-release && echo $$VERSION_CODENAME)" $(DEB_DIR)/oru_*.deb

# lintian, the release's own, on the package `make deb` built: any error or
# warning fails.
lint-package:
	./tools/install-deps.sh lintian
	lintian --fail-on error,warning --display-info $(DEB_DIR)/oru_*.deb

# The whole suite, and the package as test-package makes and checks it
# (lintian on 13 only), on Debian 13 (SpiderMonkey 128, SDL 1.2 through
# sdl12-compat) and on Debian testing (SpiderMonkey 140, sdl12-compat over
# sdl2-compat over SDL 3), each in a root made with debootstrap and kept for
# the next run, with this folder as /oru; needs root (tools/debian-release.sh). Testing moves: when its archive
# cannot be installed, before oru's own build starts, its targets print
# "SKIPPED: Debian testing archive unavailable: <reason>" and succeed.
ON_DEBIAN := ./tools/debian-release.sh
DEBIAN13_ROOT := /var/cache/oru/debian-13
DEBIAN13_BUILD_DIR := build-debian13
DEBIAN13_DEB_DIR := build-deb-debian13
DEBIAN_TESTING_ROOT := /var/cache/oru/debian-testing
DEBIAN_TESTING_BUILD_DIR := build-debian-testing
DEBIAN_TESTING_DEB_DIR := build-deb-debian-testing
test-debian13:
	$(ON_DEBIAN) test 13 "$(DEBIAN13_ROOT)" $(DEBIAN13_BUILD_DIR)

test-package-debian13:
	$(ON_DEBIAN) package 13 "$(DEBIAN13_ROOT)" $(DEBIAN13_DEB_DIR)

# The Debian 13 root alone, made when missing or unfinished.
debian13-root:
	$(ON_DEBIAN) root 13 "$(DEBIAN13_ROOT)"

test-debian-testing:
	$(ON_DEBIAN) test testing "$(DEBIAN_TESTING_ROOT)" $(DEBIAN_TESTING_BUILD_DIR)

test-package-debian-testing:
	$(ON_DEBIAN) package testing "$(DEBIAN_TESTING_ROOT)" $(DEBIAN_TESTING_DEB_DIR)

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
	./tools/install-deps.sh chromium firefox-esr
	cd $(CHECKED_DIR) && ctest --output-on-failure -j $(JOBS)

# Fuzzes the script host for FUZZ_SECONDS (with the scripts' memory budget
# FUZZ_MEMORY_MIB, if given), keeping what it learns in the checked build's
# corpus; a crash is saved there as crash-*.
fuzz: checked-build
	mkdir -p $(CHECKED_DIR)/tests/fuzz/corpus
	$(if $(FUZZ_MEMORY_MIB),ORU_MEMORY_LIMIT=$(FUZZ_MEMORY_MIB)) ./tests/fuzz/run.sh $(CHECKED_DIR)/tests/fuzz/script_fuzzer \
	  -max_total_time=$(FUZZ_SECONDS) -artifact_prefix=$(CHECKED_DIR)/tests/fuzz/ \
	  $(CHECKED_DIR)/tests/fuzz/corpus tests/fuzz/corpus

# Whether every C++ source and header of ours is formatted as .clang-format
# says (clang-format 14, Debian 12's); lists each difference.
FORMATTED_DIRS := app script engine tests bench
check-format:
	./tools/install-deps.sh clang-format
	find $(FORMATTED_DIRS) -name '*.cpp' -o -name '*.h' | sort | xargs clang-format --dry-run --Werror

# shellcheck over every shell script of ours; any finding fails.
SHELL_SCRIPTS := .ci/run $(wildcard tools/*.sh tests/*.sh tests/*/*.sh bench/*.sh)
check-shell:
	./tools/install-deps.sh
	shellcheck $(SHELL_SCRIPTS)

# Every build folder the targets above make.
clean:
	rm -rf $(BUILD_DIR) $(INSTALL_BUILD_DIR) $(CHECKED_DIR) $(DEB_DIR) $(DEBIAN13_BUILD_DIR) $(DEBIAN13_DEB_DIR) \
	  $(DEBIAN_TESTING_BUILD_DIR) $(DEBIAN_TESTING_DEB_DIR)
