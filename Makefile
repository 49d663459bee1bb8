# The two commands a newcomer needs: `make run` and `make test`. Everything else is plain CMake presets.
SUDO := $(if $(filter 0,$(shell id -u)),,sudo)

.PHONY: deps run test test-default test-sanitize package-check test-budget bench footprint clean

deps:
	@scripts/install-deps.sh

run: deps
	cmake --preset default
	cmake --build --preset default --target corvane-bridge
	build/default/CorvaneBridge/corvane-bridge

# The package check needs Debian's tools. Last, the tests' size against the product's.
test: deps test-default test-sanitize $(if $(filter Linux,$(shell uname -s)),package-check) test-budget

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

test-budget: deps
	scripts/test-budget.sh

bench: deps
	cmake --preset default
	cmake --build --preset default
	bench/run.sh build/default

footprint: deps
	cmake --preset default
	cmake --build --preset default
	$(SUDO) /usr/bin/python3 bench/footprint.py build/default

clean:
	rm -rf build
