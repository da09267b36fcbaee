# The two set-up commands of the README: `make run` and `make test`.
BUILD ?= build
JOBS ?= $(shell nproc)

.PHONY: deps configure build run test bench clean

deps:
	@bash scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@bash scripts/run-player.sh $(BUILD)/veskmidi

test: build
	@bash scripts/run-tests.sh $(BUILD)

bench: build
	@$(BUILD)/bench/vesk_bench && $(BUILD)/bench/synth_bench && $(BUILD)/bench/intake_bench

clean:
	rm -rf $(BUILD)
