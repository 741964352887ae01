# make run | make test | make build | make test-asan | make fuzz | make bench | make deb | make install | make format
# Builds use the presets of CMakePresets.json: run and dev (build/, without and with the
# tests), asan (build-asan/), fuzz (build-fuzz/), deb (build-deb/).
PREFIX ?= /usr/local
FUZZ_SECONDS ?= 60

.PHONY: all deps test-deps build build-tests run test test-asan fuzz bench deb install screenshot format clean
all: build

# `make run` and `make build` install only what building and running need; the tests'
# packages come with `make test`, and the tests are built only then.
deps:
	@scripts/install-deps.sh

test-deps:
	@scripts/install-deps.sh --test

build: deps
	@cmake --preset run >/dev/null
	cmake --build --preset run

build-tests: test-deps
	@cmake --preset dev >/dev/null
	cmake --build --preset dev

run: build
	./build/qinghe

test: build-tests
	ctest --preset dev

test-asan: test-deps
	@cmake --preset asan >/dev/null
	cmake --build --preset asan
	ctest --preset asan

# Each libFuzzer target for FUZZ_SECONDS seconds; a finding stops with its reproducer.
fuzz:
	@scripts/install-deps.sh --fuzz
	@cmake --preset fuzz >/dev/null
	cmake --build --preset fuzz
	scripts/run-fuzzers.sh build-fuzz $(FUZZ_SECONDS)

# The page-fetch benchmark serves its page with the tests' scripted server; the start-up
# benchmark counts instructions with valgrind.
bench: build-tests
	@scripts/install-deps.sh --bench
	cmake --build build --target benchmarks
	@for b in generate startup web hot history hot_board favourites; do echo "== bench_$$b"; build/bench/bench_$$b || exit 1; done

# A Debian package, built as Debian builds (dpkg-buildflags, then stripped) and installed
# under /usr: build-deb/qinghe_<version>-1_<arch>.deb. lintian checks it when installed
# (`make test` installs it); any error or warning fails the target.
deb:
	@scripts/install-deps.sh --deb
	@cmake --preset deb >/dev/null
	cmake --build --preset deb
	rm -f build-deb/*.deb
	cd build-deb && cpack -G DEB
	@if command -v lintian >/dev/null; then lintian --fail-on error,warning build-deb/*.deb && echo "lintian: passed"; \
	 else echo "lintian not installed: package not checked"; fi
	@ls build-deb/*.deb

# The program with its desktop entry, icons, metainfo and manual page under $(PREFIX).
install: build
	cmake --install build --prefix $(PREFIX)

screenshot: build-tests
	@scripts/install-deps.sh --screenshot
	cmake --build build --target hot_board_server local_hosts
	scripts/screenshot.sh docs/screenshot.png
	scripts/screenshot.sh --hot-board docs/hot-board.png
	scripts/screenshot-favourites.sh docs/favourites.png

# Formats every C++ file of the repository in place with the project's .clang-format
# (Debian's clang-format); `make test` fails on a file that it would change.
format: test-deps
	git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format -i

clean:
	rm -rf build build-asan build-fuzz build-deb
