#!/usr/bin/env bash

# SPDX-FileCopyrightText: 2026 Corvane
#
# SPDX-License-Identifier: MIT

# The tests' size against the product's, in code lines as cloc counts them (comments and blank lines
# left out): `cloc tests` against `cloc core app window`. Fails when the tests pass 40 % of the
# product, so the suite stays something a reader can see through. For comparison it also prints the
# stricter count: code languages only (no translations, JSON or Markdown), the root's build files
# counted as product.
set -euo pipefail
cd "$(dirname "$0")/.."
code_lines() { cloc --quiet --csv "$@" 2>/dev/null | awk -F, '$2 == "SUM" { print $5 }'; }
percent() { awk -v t="$1" -v p="$2" 'BEGIN { printf "%.1f", 100 * t / p }'; }
tests=$(code_lines tests)
product=$(code_lines core app window)
echo "Test budget: ${tests} lines of tests, ${product} lines of product: $(percent "$tests" "$product") % (at most 40 %)"

languages="C++,C/C++ Header,QML,CMake,Python,Bourne Shell,Bourne Again Shell,make"
in_tests='(^|/)(test|fuzz)[^/]*/'
strict_tests=$(git ls-files | grep -E "$in_tests" | code_lines --include-lang="$languages" --list-file=-)
strict_product=$(git ls-files | grep -vE "$in_tests" | grep -vE '^(bench|tools|scripts|docs|packaging|\.ci)/' |
    code_lines --include-lang="$languages" --list-file=-)
echo "Counted without translations, with the root's build files: ${strict_tests} against ${strict_product}," \
    "$(percent "$strict_tests" "$strict_product") %"
((tests * 100 <= product * 40))
