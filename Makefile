# Quarvenix: the two commands are `make run` and `make test`.
BUILD   ?= build
TYPE    ?= RelWithDebInfo
CMAKE_FLAGS ?=
JOBS    ?= $(shell nproc)
# The install prefix: an installed program keeps its data in the user's folders.
PREFIX  ?= /usr

.PHONY: all setup configure build run test sanitize bench demo package clean format

all: build

setup:
	@sh tools/setup-deps.sh

configure: setup
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=$(TYPE) -DQUARVENIX_WERROR=ON \
	    -DCMAKE_INSTALL_PREFIX=$(PREFIX) $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	$(BUILD)/bin/quarvenix

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

# Every test again in a build with AddressSanitizer, LeakSanitizer and
# UndefinedBehaviorSanitizer (folder build-asan).
sanitize: setup
	@cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUARVENIX_BENCH=OFF \
	    -DCMAKE_CXX_FLAGS="-fsanitize=address,undefined -fno-omit-frame-pointer" \
	    -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
	@cmake --build build-asan -j $(JOBS)
	cd build-asan && QT_QPA_PLATFORM=offscreen UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	    LSAN_OPTIONS=suppressions=$(CURDIR)/tests/support/lsan.supp \
	    ctest --output-on-failure -j $(JOBS)

bench: build
	@for b in $(BUILD)/bin/bench_*; do echo "== $$b"; QT_QPA_PLATFORM=offscreen $$b || exit 1; done

# Tries the program without a handset: a simulated handset with a few hundred
# records is linked as COM1 beside the program (the stored port is set to 1),
# and ends when the program ends. Sign in with admin / 846 and press 読　込.
demo: build
	@bin=$(BUILD)/bin; \
	$$bin/demo-port 1 $$bin/QuarvenixDB.db $$bin/QuarvenixDBE.db $$bin/QuarvenixDBTest.db || exit 1; \
	dev=$(BUILD)/handset-sim.device; : > $$dev; : > $(BUILD)/handset-sim.log; \
	$$bin/handset-sim --records 300 --today 120 --link $$bin/COM1 --log $(BUILD)/handset-sim.log \
	    > $$dev & sim=$$!; \
	trap 'kill $$sim 2>/dev/null; wait $$sim 2>/dev/null' EXIT INT TERM; \
	for i in 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20; do \
	    [ -s $$dev ] && break; sleep 0.1; done; \
	[ -s $$dev ] || { echo "the handset simulator did not start"; exit 1; }; \
	echo "Simulated handset on $$(cat $$dev), linked as $$bin/COM1"; \
	echo "Sign in with admin / 846 and press the read button; the handset log is $(BUILD)/handset-sim.log"; \
	$$bin/quarvenix

# The Debian package build/quarvenix_<version>_<arch>.deb, made from the
# existing build without compiling again (packaging/build-deb.sh).
package:
	@sh tools/setup-deps.sh package
	@sh packaging/build-deb.sh $(BUILD)

clean:
	rm -rf $(BUILD)

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')
