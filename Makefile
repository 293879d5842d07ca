# Convenience wrapper: every target installs what is missing, then builds.
BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo

.PHONY: all deps build test fuzz soak demo run screenshots bench stalls clean format package

all: build

deps:
	@bash scripts/install-deps.sh

build: deps
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS)
	cmake --build $(BUILD) -j$(JOBS)

test: deps
	bash scripts/test.sh $(BUILD)

FUZZ_SECONDS ?= 600
fuzz: deps
	bash scripts/fuzz.sh $(BUILD)-fuzz $(FUZZ_SECONDS)

# Not part of make test: units boot for SOAK_MINUTES while the server is restarted at random.
SOAK_MINUTES ?= 30
soak: build
	bash scripts/soak.sh $(BUILD) $(SOAK_MINUTES)

demo: build
	bash scripts/demo.sh $(BUILD)

# The window on this desktop, with the sample images in its boot file history.
run: build
	bash scripts/run.sh $(BUILD)

# The README's pictures of the window, drawn offscreen at a fixed size and font into docs/.
screenshots: build
	bash scripts/screenshots.sh $(BUILD)

bench: build
	bash bench/run.sh $(BUILD)
	bash bench/hostile.sh $(BUILD)
	bash bench/serial_bench.sh $(BUILD)
	bash bench/hostile_serial.sh $(BUILD)
	bash bench/window_bench.sh $(BUILD)

# The longest stall of orxboot's event loop in every end-to-end suite and the demo.
stalls: build
	bash scripts/stalls.sh $(BUILD)

# The Debian package, into $(BUILD)/.
package: build
	cmake --build $(BUILD) --target package

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD)
