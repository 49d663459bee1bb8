#!/usr/bin/env bash

# SPDX-FileCopyrightText: 2026 Corvane
#
# SPDX-License-Identifier: MIT

# Runs the benchmarks of a build folder: bench/run.sh build/default
set -euo pipefail
build=${1:-build/default}
echo "== One poll over a large append (tailer) beside reading it all (readall)"
(cd "$build" && bench/bench_logtailer)
echo
echo "== One game check"
"$build"/bench/bench_gamecheck
