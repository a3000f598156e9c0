# The two commands of the README: `make run` and `make test`.
# Each installs what is missing, configures, builds and then runs.
# `make sample` (part of `make run`) builds the sample collection next to the
# reader when it is missing.

# The icon's pictures and the manual pages are made at build time (rsvg-convert,
# help2man); the install test validates the desktop entry and the metadata; the
# print test reads a printed PDF back with pdftotext (poppler-utils).
BUILD_PACKAGES := g++ cmake ninja-build pkg-config googletest libgtest-dev libgmock-dev \
                  libbenchmark-dev qt6-base-dev qt6-base-dev-tools qt6-translations-l10n libgl-dev \
                  fonts-noto-cjk xvfb xauth librsvg2-bin help2man desktop-file-utils appstream \
                  poppler-utils
# The sample collection: Unihan variants, OpenCC's tables and its dump tool.
# npm comes with Node.js where Node.js is installed from elsewhere, so it is
# installed only when missing.
SAMPLE_PACKAGES := unicode-data opencc bzip2
# `make format` and `make format-check`: Debian's clang-format with the root
# .clang-format, over every C++ file git tracks.
FORMAT_PACKAGES := clang-format
# `make package`: CPack's Debian package, its library dependencies found by
# dpkg-shlibdeps, then checked by lintian.
PACKAGE_PACKAGES := dpkg-dev file lintian
# `make install`'s prefix.
PREFIX ?= /usr/local
PACKAGE_DIR := build/package
# `make sample-install`: where an installed reader looks for the user's collection.
USER_DATA_DIR = $(or $(XDG_DATA_HOME),$(HOME)/.local/share)/quillwen
# `make bench-compare`: SQLite with FTS5 and Xapian, the search engines ours is
# measured against.
COMPARE_PACKAGES := libsqlite3-dev libxapian-dev
# `make fuzz` and the short fuzzing run of `make test`: clang with libFuzzer and
# llvm-symbolizer for readable reports.
FUZZ_PACKAGES := clang libclang-rt-14-dev llvm
FORMAT_FILES := git ls-files -z -- '*.cpp' '*.cc' '*.h' '*.hpp'
WERROR ?= OFF
JOBS ?= $(shell nproc)

RELEASE_DIR := build/release
# `make sample-13x`: a collection about 13 times the sample, for measuring the
# builder. Several GB; put it where there is room with SCALED_DIR=...
SCALED_DIR ?= build/sample-13x
TEST_DIR := build/test
SANITIZE_DIR := build/sanitize
FUZZ_DIR := build/fuzz
# Seconds per harness: `make fuzz` searches; `make test` replays the seeds and
# the kept corpus and fuzzes briefly, so that a regression is caught in CI.
FUZZ_SECONDS ?= 180
TEST_FUZZ_SECONDS := 5

.PHONY: all setup release sample sample-13x sample-install install package run test fuzz \
        fuzz-build bench bench-compare format format-check format-setup clean

all: run

setup:
	@scripts/install-packages.sh $(BUILD_PACKAGES)

# The reader and its tools only: the benchmarks are built when asked for
# (`make bench` turns them on in the same folder, `make release` off again).
RELEASE_CONFIGURE := cmake -S . -B $(RELEASE_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DQUILLWEN_BUILD_TESTS=OFF -DQUILLWEN_WERROR=$(WERROR)

release: setup
	$(RELEASE_CONFIGURE) -DQUILLWEN_BUILD_BENCH=OFF
	cmake --build $(RELEASE_DIR) -j $(JOBS)

# The data folder is the reader's program folder.
sample: release
	@scripts/install-packages.sh $(SAMPLE_PACKAGES)
	@command -v npm >/dev/null || scripts/install-packages.sh nodejs npm
	@if [ ! -f $(RELEASE_DIR)/bin/mvr.dir ]; then \
	  tools/sample/build-sample.sh $(RELEASE_DIR)/bin/quillwen-build $(RELEASE_DIR)/bin; \
	elif [ ! -f $(RELEASE_DIR)/bin/Index-pairs.qw ]; then \
	  $(RELEASE_DIR)/bin/quillwen-build --quiet --add-pair-index $(RELEASE_DIR)/bin; \
	else echo "Sample collection present in $(RELEASE_DIR)/bin"; fi

# The sample collection where the installed reader finds it, for the user who
# runs `make sample-install`.
sample-install: release
	@scripts/install-packages.sh $(SAMPLE_PACKAGES)
	@command -v npm >/dev/null || scripts/install-packages.sh nodejs npm
	mkdir -p "$(USER_DATA_DIR)"
	tools/sample/build-sample.sh $(RELEASE_DIR)/bin/quillwen-build "$(USER_DATA_DIR)"

# The programs, desktop entry, icon, metadata, manual pages and help page under
# PREFIX (sudo for a system prefix).
install: release
	cmake --install $(RELEASE_DIR) --prefix "$(PREFIX)"

# build/package/quillwen_VERSION_ARCH.deb, for `apt install ./build/package/quillwen_*.deb`.
package: release
	@scripts/install-packages.sh $(PACKAGE_PACKAGES)
	rm -f $(PACKAGE_DIR)/quillwen_*.deb
	cpack --config $(RELEASE_DIR)/CPackConfig.cmake -B $(abspath $(PACKAGE_DIR))
	lintian --fail-on error $(PACKAGE_DIR)/quillwen_*.deb

# The 13-fold collection from the sample's source; not part of `make test`.
sample-13x: sample
	cmake --build $(RELEASE_DIR) -j $(JOBS) --target quillwen-build quillwen-scale-source
	tools/sample/build-sample-13x.sh $(RELEASE_DIR)/bin .cache/sample-source .cache/variants $(SCALED_DIR)

# Builds everything and the sample collection when it is missing, then starts
# the reader on it.
run: sample
	@scripts/run-reader.sh $(RELEASE_DIR)/bin

# Everything in a debug build, then the core again under AddressSanitizer and
# UndefinedBehaviorSanitizer, then a few seconds of each fuzz harness.
test: setup
	cmake -S . -B $(TEST_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUILLWEN_WERROR=$(WERROR)
	cmake --build $(TEST_DIR) -j $(JOBS)
	ctest --test-dir $(TEST_DIR) --output-on-failure -j $(JOBS)
	cmake -S . -B $(SANITIZE_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUILLWEN_WERROR=$(WERROR) \
	  -DQUILLWEN_SANITIZE=ON -DQUILLWEN_BUILD_BENCH=OFF
	cmake --build $(SANITIZE_DIR) -j $(JOBS)
	ctest --test-dir $(SANITIZE_DIR) --output-on-failure -j $(JOBS)
	$(MAKE) fuzz-build
	scripts/run-fuzzers.sh $(FUZZ_DIR) $(TEST_FUZZ_SECONDS)

# The core and its libFuzzer harnesses, built with clang under ASan and UBSan.
fuzz-build: setup
	@scripts/install-packages.sh $(FUZZ_PACKAGES)
	cmake -S . -B $(FUZZ_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCMAKE_CXX_COMPILER=clang++ -DQUILLWEN_FUZZ=ON -DQUILLWEN_WERROR=$(WERROR)
	cmake --build $(FUZZ_DIR) -j $(JOBS)

# Each harness for FUZZ_SECONDS (default 180); the corpus grows in build/fuzz/corpus.
fuzz: fuzz-build
	scripts/run-fuzzers.sh $(FUZZ_DIR) $(FUZZ_SECONDS)

bench: setup
	$(RELEASE_CONFIGURE) -DQUILLWEN_BUILD_BENCH=ON
	cmake --build $(RELEASE_DIR) -j $(JOBS)
	@for b in $(RELEASE_DIR)/bin/bench_*; do echo "== $$b"; $$b; done

# Our search beside SQLite FTS5 and Xapian on the sample collection, query class
# by query class; their indexes are built once and kept in build/bench-compare.
bench-compare: sample
	@scripts/install-packages.sh $(COMPARE_PACKAGES)
	$(RELEASE_CONFIGURE) -DQUILLWEN_BUILD_BENCH=ON
	cmake --build $(RELEASE_DIR) -j $(JOBS) --target bench_compare
	$(RELEASE_DIR)/bin/bench_compare $(RELEASE_DIR)/bin build/bench-compare

format-setup:
	@scripts/install-packages.sh $(FORMAT_PACKAGES)

# Rewrites the files in place.
format: format-setup
	@$(FORMAT_FILES) | xargs -0 -r clang-format -i

# Changes nothing; lists the files clang-format would change and fails if any.
format-check: format-setup
	@differ=$$($(FORMAT_FILES) | xargs -0 -r -n 1 sh -c \
	  'clang-format --dry-run --Werror "$$0" >/dev/null 2>&1 || echo "$$0"'); \
	if [ -n "$$differ" ]; then \
	  echo "$$differ"; echo "These files differ from .clang-format; \`make format\` rewrites them." >&2; exit 1; \
	fi; echo "Every C++ file is formatted."

clean:
	rm -rf build
