# Front door for people and CI. Every target installs what is missing, configures and builds.
BUILD_DIR ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=
FUZZ_SECONDS ?= 60
CTEST_ARGS ?=
# Stand for "the packages of a build (of the tool alone) were there": made when the installer
# found nothing missing (or installed it), so that make build/run/test skip it afterwards.
# `make deps` checks again.
DEPS_STAMP := $(BUILD_DIR)/.deps-build
RUN_STAMP := $(BUILD_DIR)/.deps-run
# Warnings are errors in every build made here (CMake's own default is off).
SWDE_CMAKE := cmake -S . -B $(BUILD_DIR) -G Ninja -DSWDE_WERROR=ON

.PHONY: all deps configure build run test sanitize fuzz coverage bench measure memcheck windows clean

all: build

deps:
	@scripts/install-deps.sh
	@mkdir -p $(BUILD_DIR) && touch $(DEPS_STAMP) $(RUN_STAMP)

$(DEPS_STAMP): scripts/install-deps.sh
	@scripts/install-deps.sh build
	@mkdir -p $(BUILD_DIR) && touch $@ $(RUN_STAMP)

$(RUN_STAMP): scripts/install-deps.sh
	@scripts/install-deps.sh run
	@mkdir -p $(BUILD_DIR) && touch $@

configure: $(DEPS_STAMP)
	@$(SWDE_CMAKE) -DSWDE_BUILD_TESTS=ON -DSWDE_BUILD_EXAMPLES=ON $(CMAKE_FLAGS)

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

# Builds the tool alone and checks the sample document full of faults; exit status 1 (faults
# found) is the expected one. Needs only the tool's packages: a new build tree is configured
# without the tests and examples (make build or make test adds them), one made before is kept
# as it is.
run: $(RUN_STAMP)
	@if [ -f $(BUILD_DIR)/CMakeCache.txt ]; then $(SWDE_CMAKE) $(CMAKE_FLAGS); \
	  else $(SWDE_CMAKE) -DSWDE_BUILD_TESTS=OFF -DSWDE_BUILD_EXAMPLES=OFF $(CMAKE_FLAGS); fi
	@cmake --build $(BUILD_DIR) -j $(JOBS) --target swde-check
	@$(BUILD_DIR)/tools/swde-check/swde-check examples/faults.xml; status=$$?; [ $$status -le 1 ]

# CTEST_ARGS narrows the run, e.g. CTEST_ARGS="-LE slow" or "-L unit".
test: build
	@cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS) $(CTEST_ARGS)

# The whole suite under AddressSanitizer and UndefinedBehaviorSanitizer (clang, build-asan/).
sanitize: deps
	@scripts/sanitize.sh

# Every fuzz target for FUZZ_SECONDS seconds (clang, build-fuzz/).
fuzz: deps
	@scripts/fuzz.sh $(FUZZ_SECONDS)

# Line coverage of src/swde with gcovr (build-cov/); prints the total and fails below the floor
# of scripts/coverage.sh (COVERAGE_FLOOR overrides it).
coverage: deps
	@scripts/coverage.sh

# The micro-benchmark of the checks (Release, build-bench/).
bench: deps
	@cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DSWDE_BENCH=ON -DSWDE_WERROR=ON \
	  -DSWDE_BUILD_TESTS=OFF -DSWDE_BUILD_EXAMPLES=OFF
	@cmake --build build-bench -j $(JOBS) --target swde_check_bench
	@build-bench/bench/swde_check_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true

# Wall time and peak memory against the parse-only floor (see docs/performance.md).
measure: deps
	@bench/measure.sh

# make run under valgrind's memcheck: any error or leak fails.
memcheck: deps build
	@valgrind --error-exitcode=99 --leak-check=full --errors-for-leak-kinds=definite,indirect \
	  $(BUILD_DIR)/tools/swde-check/swde-check examples/faults.xml >/dev/null; \
	  status=$$?; [ $$status -le 1 ]

# The Windows build (mingw-w64; expat, GMP, GoogleTest from Debian's sources, build-windows/),
# its suite under wine, and dist/swde-<version>-windows-x86_64.zip.
windows:
	@JOBS=$(JOBS) scripts/windows.sh

clean:
	@rm -rf $(BUILD_DIR) build-asan build-fuzz build-cov build-bench build-windows
