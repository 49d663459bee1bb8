# The two commands a newcomer needs: `make run` and `make test`. Everything else is plain CMake presets.
SUDO := $(if $(filter 0,$(shell id -u)),,sudo)

.PHONY: deps run test test-default test-sanitize test-fuzz package-check fuzz bench footprint clean

deps:
	@scripts/install-deps.sh

run: deps
	cmake --preset default
	cmake --build --preset default --target corvane-bridge
	build/default/CorvaneBridge/corvane-bridge

# Fuzzing needs LLVM's clang with libFuzzer, which Debian's clang has and Apple's has not.
test: deps test-default test-sanitize $(if $(filter Linux,$(shell uname -s)),test-fuzz package-check)

test-default:
	cmake --preset default
	cmake --build --preset default
	ctest --preset default

test-sanitize:
	cmake --preset sanitize
	cmake --build --preset sanitize
	ctest --preset sanitize

# The Debian package of the default build, as lintian, desktop-file-validate and appstreamcli see it.
package-check: test-default
	scripts/package-check.sh build/default

# Each fuzzer for FUZZ_SECONDS (45 as part of `make test`); `make fuzz FUZZ_SECONDS=3600` for longer.
FUZZ_SECONDS ?= 45

test-fuzz:
	cmake --preset fuzz -DCORVANE_FUZZ_SECONDS=$(FUZZ_SECONDS)
	cmake --build --preset fuzz
	ctest --preset fuzz

fuzz: deps test-fuzz

bench: deps
	cmake --preset default
	cmake --build --preset default
	bench/run.sh build/default

footprint: deps
	cmake --preset default
	cmake --build --preset default
	$(SUDO) bench/footprint.py build/default

clean:
	rm -rf build
