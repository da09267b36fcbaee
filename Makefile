# The two set-up commands of the README: `make run` and `make test`.
BUILD ?= build
JOBS ?= $(shell nproc)
# CMakePresets.json: a user's build shows warnings, CI (CI=true) and developers fail on them.
PRESET ?= $(if $(CI),dev,user)

.PHONY: deps configure build run test install package bench screenshots clean fuzz test-sanitize test-tsan

deps:
	@bash scripts/install-deps.sh

configure: deps
	@cmake --preset $(PRESET) -B $(BUILD) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@bash scripts/run-player.sh $(BUILD)/veskmidi

test: build
	@bash scripts/run-tests.sh $(BUILD)

# Installs under PREFIX (default /usr/local); DESTDIR stages it elsewhere.
PREFIX ?= /usr/local

install: build
	@DESTDIR=$(DESTDIR) cmake --install $(BUILD) --prefix $(PREFIX)

# A Debian package in $(BUILD)/.
package: build
	@cmake --build $(BUILD) --target package

bench: build
	@$(BUILD)/bench/same_tick_bench && $(BUILD)/bench/vesk_bench && $(BUILD)/bench/synth_bench && $(BUILD)/bench/scan_bench && $(BUILD)/bench/intake_bench && $(BUILD)/bench/live_bench

# Hardening runs, each in a build folder of its own: the fuzz targets for FUZZ_SECONDS
# each, the whole suite under AddressSanitizer and UndefinedBehaviorSanitizer, and the
# threaded parts under ThreadSanitizer.
FUZZ_SECONDS ?= 60

fuzz: deps
	@JOBS=$(JOBS) bash scripts/run-fuzz.sh build-fuzz $(FUZZ_SECONDS)

test-sanitize: deps
	@JOBS=$(JOBS) bash scripts/run-sanitized-tests.sh asan build-asan

test-tsan: deps
	@JOBS=$(JOBS) bash scripts/run-sanitized-tests.sh tsan build-tsan

# Pictures of the windows for review, drawn on the offscreen platform.
screenshots: build
	@mkdir -p $(BUILD)/screenshots
	@QT_QPA_PLATFORM=offscreen VESK_SCREENSHOT_DIR=$(abspath $(BUILD))/screenshots \
	  VESK_INFO_SCREENSHOTS=$(abspath $(BUILD))/screenshots \
	  $(BUILD)/tests/test_ui --gtest_filter='MainWindowScreenshots.*:InfoScreenshots.*:LyricsWindowTest.*:LoopMenu.*:ChannelWindowTest.*' >/dev/null
	@QT_QPA_PLATFORM=offscreen VESK_SCREENSHOT_DIR=$(abspath $(BUILD))/screenshots \
	  $(BUILD)/tests/test_ui_options --gtest_filter='OptionsScreenshots.*' >/dev/null
	@ls $(BUILD)/screenshots

clean:
	rm -rf $(BUILD)
