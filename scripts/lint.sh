#!/usr/bin/env bash
# Checks the formatting (.clang-format) and runs clang-tidy (.clang-tidy, warnings are errors)
# over every C++ source of the dev preset: src/, tests/, tools/ and bench/.
# Usage: scripts/lint.sh
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh lint
cmake --preset dev >/dev/null
# Generated headers (build configuration, Qt's moc) must exist before clang-tidy reads sources.
cmake --build --preset dev

git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror
echo "clang-format: clean"
run-clang-tidy -p build/dev -j "$(nproc)" -quiet "$PWD/(src|tests|tools|bench)/.*\.cpp$" >/dev/null
echo "clang-tidy: clean"
