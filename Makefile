# make run | make test | make build | make test-asan | make bench | make deb | make install
BUILD_DIR ?= build
ASAN_DIR ?= build-asan
DEB_DIR ?= build-deb
PREFIX ?= /usr/local
CMAKE_FLAGS = -G Ninja -DQINGHE_WERROR=ON

.PHONY: all deps test-deps build build-tests run test test-asan bench deb install screenshot clean
all: build

# `make run` and `make build` install only what building and running need; the tests'
# packages come with `make test`, and the tests are built only then.
deps:
	@scripts/install-deps.sh

test-deps:
	@scripts/install-deps.sh --test

build: deps
	@cmake -S . -B $(BUILD_DIR) $(CMAKE_FLAGS) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF >/dev/null
	cmake --build $(BUILD_DIR)

build-tests: test-deps
	@cmake -S . -B $(BUILD_DIR) $(CMAKE_FLAGS) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=ON >/dev/null
	cmake --build $(BUILD_DIR)

run: build
	./$(BUILD_DIR)/qinghe

test: build-tests
	cd $(BUILD_DIR) && ctest --output-on-failure -j2

test-asan: test-deps
	@cmake -S . -B $(ASAN_DIR) $(CMAKE_FLAGS) -DCMAKE_BUILD_TYPE=Debug -DQINGHE_SANITIZE=ON >/dev/null
	cmake --build $(ASAN_DIR)
	cd $(ASAN_DIR) && ctest --output-on-failure -j2

bench: build
	cmake --build $(BUILD_DIR) --target benchmarks
	@for b in generate startup; do echo "== bench_$$b"; $(BUILD_DIR)/bench/bench_$$b || exit 1; done

# A Debian package, built as Debian builds (-O2 -g, then stripped) and installed under
# /usr: $(DEB_DIR)/qinghe_<version>-1_<arch>.deb
deb:
	@scripts/install-deps.sh --deb
	@cmake -S . -B $(DEB_DIR) $(CMAKE_FLAGS) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF >/dev/null
	cmake --build $(DEB_DIR)
	cd $(DEB_DIR) && cpack -G DEB
	@ls $(DEB_DIR)/*.deb

# The program with its desktop entry, icons, metainfo and manual page under $(PREFIX).
install: build
	cmake --install $(BUILD_DIR) --prefix $(PREFIX)

screenshot: build
	@scripts/install-deps.sh --screenshot
	scripts/screenshot.sh docs/screenshot.png

clean:
	rm -rf $(BUILD_DIR) $(ASAN_DIR) $(DEB_DIR)
