# Entry points for a fresh machine: `make run` and `make test` install what is
# missing, configure, build and then run the program or every test.
BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc)

.PHONY: all deps configure build test test-apps run bench soak format check-format clean sanitize fuzz package check-package

all: build

deps:
	./scripts/install-deps.sh

# Configures the build folder when it is new or was configured for another BUILD_TYPE
# (CMake keeps the first one it is given).
configure: deps
	@configured=$$(sed -n 's/^CMAKE_BUILD_TYPE:[A-Z]*=//p' $(BUILD_DIR)/CMakeCache.txt 2>/dev/null); \
	if [ ! -f $(BUILD_DIR)/build.ninja ] || [ "$$configured" != "$(BUILD_TYPE)" ]; then \
	    echo "cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE)"; \
	    cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE); \
	fi

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

# The desktop tests type into real windows on a private X server; on a crowded machine one
# of them can miss its moment, so a failed test gets one more run, on its own: the last
# lines name it as flaky if it then passes, and a second failure fails the run.
# The typist's unbroken fast bursts need a quiet machine (see soak).
test: build
	./scripts/run-tests.sh $(BUILD_DIR) -LE apps -j $(JOBS) -E '$(QUIET_ONLY)'

# Plovik in real applications (GTK 3 and 4, Qt, LibreOffice, Firefox, Chromium, terminals),
# each on a desktop of its own; installs the applications first. One at a time: each
# starts a whole desktop, a browser or an office suite.
test-apps: build
	./scripts/install-deps.sh --apps
	./scripts/run-tests.sh $(BUILD_DIR) -L apps

# Plovik on the user's X11 session when there is one; otherwise a demonstration on a
# private virtual desktop (a GTK window), the simulated desktop and the corrector.
run: build
	./scripts/run-plovik.sh $(BUILD_DIR)

# The whole suite under AddressSanitizer and UndefinedBehaviorSanitizer, in its own build
# folder; any report fails the run. A test that fails without a report gets one more run, as
# in `make test` (the sanitizers' slowness tightens the desktop tests' timing). Left out: the
# applications of others (`apps`), the tests whose point is how long something takes or how
# much memory it needs, which the sanitizers' slowdown and memory overhead decide instead,
# and the check that installed programs hold no path of the trees they were built from: the
# sanitizers' checks carry their source files' paths, and such a build is never shipped.
SANITIZE_DIR ?= build-sanitize
# Line tables are all a report needs, and compile in far less time than full debug data.
SANITIZE_FLAGS ?= -O1 -g1 -DNDEBUG
QUIET_ONLY ?= UnbrokenFastBursts
SANITIZE_EXCLUDED ?= LongLinesTakeTimeAndMemoryInProportion|HungApplicationTest|Install.programs|$(QUIET_ONLY)
# intercept_tls_get_addr=0: GCC 12's runtime takes a thread-local block that glibc allocated
# 16 bytes past a page start for an old glibc's header, reads a bogus range from it, and the
# leak check at exit crashes on it (hunspell's, loaded by Enchant). glibc allocates these
# blocks with malloc, so the leak check still finds what they point to.
sanitize: deps
	cmake -S . -B $(SANITIZE_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPLOVIK_SANITIZE=ON \
	      -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="$(SANITIZE_FLAGS)"
	cmake --build $(SANITIZE_DIR) -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1:intercept_tls_get_addr=0 \
	LSAN_OPTIONS=suppressions=$(CURDIR)/scripts/lsan-suppressions.txt:print_suppressions=0 \
	UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	./scripts/run-tests.sh $(SANITIZE_DIR) -j $(JOBS) -LE apps -E '$(SANITIZE_EXCLUDED)'

# The libFuzzer harnesses under fuzz/ (clang only), each run for FUZZ_SECONDS from a seed
# corpus out of tests/data. Not part of `make test`.
FUZZ_DIR ?= build-fuzz
FUZZ_SECONDS ?= 60
fuzz:
	./scripts/install-deps.sh --fuzz
	./scripts/run-fuzzers.sh $(FUZZ_DIR) $(FUZZ_SECONDS)

bench: build
	./scripts/run-benchmarks.sh $(BUILD_DIR)

# The typist's long run (about 3 minutes per 1,000 words and window), then the same words
# with every key 3-10 ms apart; on a quiet machine: bench/README.md.
soak: build
	./bench/typist-soak.sh $(BUILD_DIR) $(or $(WORDS),5000)
	$(BUILD_DIR)/tests/test_endtoend --gtest_filter='*$(QUIET_ONLY)*'

# The Debian package, in build-package/ (install it with `apt install ./build-package/plovik_*.deb`).
package:
	./scripts/install-deps.sh --package
	./scripts/build-package.sh build-package

# Installs that package with apt, runs it, purges it and checks nothing of it remains.
check-package: package configure
	cmake --build $(BUILD_DIR) -j $(JOBS) --target plovik-autostart-probe
	./scripts/check-package.sh build-package $(BUILD_DIR)/tests/install/plovik-autostart-probe

# `format` rewrites the tracked C++ sources; `check-format` (run by CI) only names those
# that differ.
format:
	git ls-files -- '*.h' '*.cpp' | xargs clang-format -i

check-format:
	./scripts/check-format.sh

clean:
	rm -rf $(BUILD_DIR) build-package
