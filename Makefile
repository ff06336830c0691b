# Entry points on a fresh Debian machine; each installs what is missing.
.PHONY: deps build test demo dist bench fuzz clean

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

# The installer and the zip in build/dist; SIGN_PKCS12=file SIGN_PASS=...
# signs the DLLs, the uninstaller and the installer.
dist: build
	SIGN_PKCS12="$(SIGN_PKCS12)" SIGN_PASS="$(SIGN_PASS)" scripts/dist.sh

bench: build
	cmake --preset native-release >/dev/null
	cmake --build --preset native-release
	scripts/bench.sh

# The decoder against its plain model under ASan and UBSan, 10^6 inputs.
fuzz:
	@scripts/install-deps.sh --fuzz
	cmake --preset fuzz >/dev/null
	cmake --build --preset fuzz
	mkdir -p build/fuzz/corpus
	build/fuzz/decode_fuzz -runs=1000000 -max_len=4096 build/fuzz/corpus

clean:
	rm -rf build
