#!/usr/bin/env bash
# Sets up, builds everything and runs the whole test suite: once as built for use, once more under
# AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh
ctest --preset release

cmake --preset sanitize >/dev/null
cmake --build --preset sanitize
ctest --preset sanitize
