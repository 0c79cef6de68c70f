# Front door for people and CI. Every target installs what is missing, configures and builds.
BUILD_DIR ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: all deps configure build run test clean

all: build

deps:
	@scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD_DIR) -G Ninja $(CMAKE_FLAGS)

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

# Checks the sample document full of faults; exit status 1 (faults found) is the expected one.
run: build
	@$(BUILD_DIR)/tools/swde-check/swde-check examples/faults.xml; status=$$?; [ $$status -le 1 ]

test: build
	@cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

clean:
	@rm -rf $(BUILD_DIR)
