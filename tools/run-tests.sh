#!/usr/bin/env bash
# Builds the sanitizer test build and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
cmake --preset test
cmake --build --preset test
ctest --preset test
