#!/usr/bin/env bash
# Sets up what the native build needs (as root: installs cmake and g++ when
# missing), builds the native preset and runs the example generator
# examples/classes, which writes C++ headers into build/example/.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
vyr_ensure_packages cmake make g++
cmake --preset native
cmake --build --preset native -j2
mkdir -p build/example
cd build/example
../native/bin/vyr -I ../../examples/classes ../../examples/classes/classes.vyr
echo
echo "Generated files (edit a protected region, run this again: your edit stays):"
ls -1 "$PWD"
