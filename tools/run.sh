#!/usr/bin/env bash
# Sets up, builds the program alone (not the tests) and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh quorin
exec ./build/release/quorin "$@"
