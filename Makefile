# make run | make test | make build | make test-asan | make bench
BUILD_DIR ?= build
ASAN_DIR ?= build-asan
CMAKE_FLAGS = -G Ninja -DQINGHE_WERROR=ON

.PHONY: all deps build run test test-asan bench screenshot clean
all: build

deps:
	@scripts/install-deps.sh

build: deps
	@cmake -S . -B $(BUILD_DIR) $(CMAKE_FLAGS) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	cmake --build $(BUILD_DIR)

run: build
	./$(BUILD_DIR)/qinghe

test: build
	cd $(BUILD_DIR) && ctest --output-on-failure -j2

test-asan: deps
	@cmake -S . -B $(ASAN_DIR) $(CMAKE_FLAGS) -DCMAKE_BUILD_TYPE=Debug -DQINGHE_SANITIZE=ON >/dev/null
	cmake --build $(ASAN_DIR)
	cd $(ASAN_DIR) && ctest --output-on-failure -j2

bench: build
	cmake --build $(BUILD_DIR) --target benchmarks
	@for b in generate startup web; do echo "== bench_$$b"; $(BUILD_DIR)/bench/bench_$$b || exit 1; done

screenshot: build
	@scripts/install-deps.sh --screenshot
	scripts/screenshot.sh docs/screenshot.png

clean:
	rm -rf $(BUILD_DIR) $(ASAN_DIR)
