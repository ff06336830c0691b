# Entry points on a fresh Debian machine; each installs what is missing.
.PHONY: deps build test demo bench clean

deps:
	@scripts/install-deps.sh

build: deps
	cmake --preset win32 >/dev/null
	cmake --build --preset win32
	cmake --preset win64 >/dev/null
	cmake --build --preset win64

test: build
	scripts/run-tests.sh

demo: build
	scripts/demo.sh

bench: build
	scripts/bench.sh

clean:
	rm -rf build
