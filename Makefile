# make run | make test | make build | make test-asan | make fuzz | make bench
# Builds use the presets of CMakePresets.json: dev (build/), asan (build-asan/), fuzz (build-fuzz/).
FUZZ_SECONDS ?= 60

.PHONY: all deps build run test test-asan fuzz bench screenshot clean
all: build

deps:
	@scripts/install-deps.sh

build: deps
	@cmake --preset dev >/dev/null
	cmake --build --preset dev

run: build
	./build/qinghe

test: build
	ctest --preset dev

test-asan: deps
	@cmake --preset asan >/dev/null
	cmake --build --preset asan
	ctest --preset asan

# Each libFuzzer target for FUZZ_SECONDS seconds; a finding stops with its reproducer.
fuzz:
	@scripts/install-deps.sh --fuzz
	@cmake --preset fuzz >/dev/null
	cmake --build --preset fuzz
	scripts/run-fuzzers.sh build-fuzz $(FUZZ_SECONDS)

bench: build
	cmake --build build --target benchmarks
	@for b in generate startup; do echo "== bench_$$b"; build/bench/bench_$$b || exit 1; done

screenshot: build
	@scripts/install-deps.sh --screenshot
	scripts/screenshot.sh docs/screenshot.png

clean:
	rm -rf build build-asan build-fuzz
