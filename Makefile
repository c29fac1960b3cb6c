# Quarvenix: the two commands are `make run` and `make test`.
BUILD   ?= build
TYPE    ?= RelWithDebInfo
CMAKE_FLAGS ?=
JOBS    ?= $(shell nproc)

.PHONY: all setup configure build run test bench demo clean format

all: build

setup:
	@sh tools/setup-deps.sh

configure: setup
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=$(TYPE) -DQUARVENIX_WERROR=ON $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	$(BUILD)/bin/quarvenix

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

bench: build
	@for b in $(BUILD)/bin/bench_*; do echo "== $$b"; QT_QPA_PLATFORM=offscreen $$b || exit 1; done

clean:
	rm -rf $(BUILD)

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')
