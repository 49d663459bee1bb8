#!/usr/bin/env bash
# The tests' size against the product's, in code lines as cloc counts them (comments and blank lines
# left out). Fails when the tests pass 40 % of the product, so the suite stays something a reader
# can see through.
set -euo pipefail
cd "$(dirname "$0")/.."
code_lines() { cloc --quiet --csv "$@" 2>/dev/null | awk -F, '$2 == "SUM" { print $5 }'; }
tests=$(code_lines tests)
product=$(code_lines core app window)
percent=$(awk -v t="$tests" -v p="$product" 'BEGIN { printf "%.1f", 100 * t / p }')
echo "Test budget: ${tests} lines of tests, ${product} lines of product: ${percent} % (at most 40 %)"
((tests * 100 <= product * 40))
