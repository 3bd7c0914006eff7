#!/usr/bin/env bash
# Sets up what the native build needs (as root: installs cmake and g++ when
# missing), builds the native preset and runs the smoke host on a sample script.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
vyr_ensure_packages cmake make g++
cmake --preset native
cmake --build --preset native -j2
build/native/bin/vyrsmoke tests/scripts/smoke.vyr
