# The two commands of the README: `make run` and `make test`.
# Each installs what is missing, configures, builds and then runs.

BUILD_PACKAGES := g++ cmake ninja-build pkg-config googletest libgtest-dev libgmock-dev \
                  libbenchmark-dev qt6-base-dev qt6-base-dev-tools libgl-dev fonts-noto-cjk \
                  xvfb xauth
WERROR ?= OFF
JOBS ?= $(shell nproc)

RELEASE_DIR := build/release
TEST_DIR := build/test
SANITIZE_DIR := build/sanitize

.PHONY: all setup run test bench clean

all: run

setup:
	@scripts/install-packages.sh $(BUILD_PACKAGES)

$(RELEASE_DIR)/build.ninja: | setup
	cmake -S . -B $(RELEASE_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release \
	  -DQUILLWEN_BUILD_TESTS=OFF -DQUILLWEN_WERROR=$(WERROR)

# Builds everything, then the sample collection next to the reader when the
# Makefile knows how and it is missing, and starts the reader on it.
run: setup $(RELEASE_DIR)/build.ninja
	cmake --build $(RELEASE_DIR) -j $(JOBS)
	@if grep -q '^sample:' $(firstword $(MAKEFILE_LIST)) && [ ! -f $(RELEASE_DIR)/bin/mvr.dir ]; then \
	  $(MAKE) sample; fi
	@scripts/run-reader.sh $(RELEASE_DIR)/bin

# Everything in a debug build, then the core again under AddressSanitizer and
# UndefinedBehaviorSanitizer.
test: setup
	cmake -S . -B $(TEST_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUILLWEN_WERROR=$(WERROR)
	cmake --build $(TEST_DIR) -j $(JOBS)
	ctest --test-dir $(TEST_DIR) --output-on-failure -j $(JOBS)
	cmake -S . -B $(SANITIZE_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUILLWEN_WERROR=$(WERROR) \
	  -DQUILLWEN_SANITIZE=ON -DQUILLWEN_BUILD_BENCH=OFF
	cmake --build $(SANITIZE_DIR) -j $(JOBS)
	ctest --test-dir $(SANITIZE_DIR) --output-on-failure -j $(JOBS)

bench: setup $(RELEASE_DIR)/build.ninja
	cmake -S . -B $(RELEASE_DIR) -DQUILLWEN_BUILD_BENCH=ON
	cmake --build $(RELEASE_DIR) -j $(JOBS)
	@for b in $(RELEASE_DIR)/bin/bench_*; do echo "== $$b"; $$b; done

clean:
	rm -rf build
