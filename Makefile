# SPDX-FileCopyrightText: 2026 Corvane
#
# SPDX-License-Identifier: MIT

# The two commands a newcomer needs: `make run` and `make test`. Everything else is plain CMake presets.
SUDO := $(if $(filter 0,$(shell id -u)),,sudo)

.PHONY: deps run test test-default test-sanitize package-check test-debian13 test-budget test-portable portable bench footprint footprint-portable footprint-headless clean

deps:
	@scripts/install-deps.sh

run: deps
	cmake --preset default
	cmake --build --preset default --target corvane-bridge
	build/default/corvane-bridge

# The package check needs Debian's tools; the Debian 13 pass (Qt 6.8) and the portable pass (a root
# with a desktop's libraries and no Qt) need root on Linux and say so where they cannot run. Last,
# the tests' size against the product's.
test: deps test-default test-sanitize $(if $(filter Linux,$(shell uname -s)),package-check) test-debian13 test-portable test-budget

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

# The default preset built and tested again in a Debian 13 root, kept in /var/cache/corvane-bridge.
test-debian13:
	scripts/test-debian13.sh

# One folder with the bridge and its Qt, for any Linux desktop: build/portable/corvane-bridge-<version>-linux-x86_64.tar.xz
portable: deps
	cmake --preset default
	cmake --build --preset default
	scripts/make-portable.sh build/default build/portable

# The portable folder in a Debian 12 root with a desktop's libraries and no Qt, kept in /var/cache/corvane-bridge.
test-portable: deps
	scripts/test-portable.sh

test-budget: deps
	scripts/test-budget.sh

bench: deps
	cmake --preset default
	cmake --build --preset default
	bench/run.sh build/default

# The portable folder beside the Debian package's build: size, first frame, memory.
footprint-portable: portable
	$(SUDO) /usr/bin/python3 bench/footprint.py build/default --portable build/portable/corvane-bridge-*-linux-x86_64.tar.xz

# A headless bridge beside a bare QCoreApplication making one HTTPS POST: memory, CPU while waiting.
footprint-headless: deps
	cmake --preset default
	cmake --build --preset default
	$(SUDO) /usr/bin/python3 bench/footprint.py build/default --headless

footprint: deps
	cmake --preset default
	cmake --build --preset default
	$(SUDO) /usr/bin/python3 bench/footprint.py build/default

clean:
	rm -rf build
