#!/bin/bash
# Runs the benchmark suite and writes bench/RESULTS.md.
#
#   bench/run.sh            all workloads, both sizes
#   RUNS=10 bench/run.sh    more measured runs per command (default 5)
#
# Builds a Release tree in build/bench (the vyr host, the hand-written W1
# writer and the micro-benchmarks), installs the pinned npm peers, writes the
# inputs into bench/out/, times every command with hyperfine (one warm-up,
# RUNS runs, median reported), measures peak memory with /usr/bin/time -v and
# checks that every W1 implementation writes byte-identical output.
# Needs: cmake g++ hyperfine time nodejs npm python3-jinja2 python3-mako
# libbenchmark-dev (Debian 12).
set -euo pipefail

BENCH=$(cd "$(dirname "$0")" && pwd)
ROOT=$(dirname "$BENCH")
BUILD=$ROOT/build/bench
OUT=$BENCH/out
RUNS=${RUNS:-5}
PY=/usr/bin/python3

# As root, install what is missing (Node.js only when no node and npm are on
# the PATH: a machine may have them from another source than Debian).
source "$ROOT/scripts/packages.sh"
node_packages=()
command -v node >/dev/null && command -v npm >/dev/null || node_packages=(nodejs npm)
vyr_ensure_packages cmake g++ hyperfine time python3-jinja2 python3-mako libbenchmark-dev "${node_packages[@]}" || exit 1

for tool in hyperfine node npm cmake /usr/bin/time $PY; do
    command -v "$tool" >/dev/null || { echo "run.sh: $tool is missing" >&2; exit 1; }
done
$PY -c 'import jinja2, mako' || { echo "run.sh: install python3-jinja2 python3-mako" >&2; exit 1; }

echo "== build (Release) in $BUILD"
cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=Release -DVYR_TESTS=OFF -DVYR_BENCH=ON >/dev/null
cmake --build "$BUILD" -j2 --target vyr vyrtyp32 w1_writer vyr_micro >/dev/null
VYR=$BUILD/bin/vyr
[ -d "$BENCH/node_modules" ] || (cd "$BENCH" && npm ci --no-audit --no-fund >/dev/null)

rm -rf "$OUT"
mkdir -p "$OUT/json"

# time NAME DIR COMMAND...: hyperfine result in json/NAME.json, peak memory in json/NAME.mem
time_cmd() {
    local name=$1 dir=$2
    shift 2
    echo "-- $name"
    (cd "$dir" && hyperfine -N -w 1 -r "$RUNS" --export-json "$OUT/json/$name.json" -n "$name" "$*" >/dev/null)
    (cd "$dir" && /usr/bin/time -v "$@" 2>&1 >/dev/null | sed -n 's/.*Maximum resident set size (kbytes): //p' \
        >"$OUT/json/$name.mem")
}

same() {  # same REFERENCE FILE...: every file equals the reference byte for byte
    local ref=$1
    shift
    for f in "$@"; do
        cmp -s "$ref" "$f" || { echo "run.sh: $f differs from $ref" >&2; exit 1; }
    done
}

W1=$BENCH/w1
for n in 2000 20000; do
    d=$OUT/w1-$n
    echo "== W1 model to code, N = $n"
    $PY "$BENCH/gen.py" model $n "$d"
    cp "$W1/w1.vyr" "$d/"
    time_cmd "w1-$n-vyr" "$d" "$VYR" -q w1.vyr
    cp "$d/classes.h" "$d/out.vyr"
    time_cmd "w1-$n-cpp" "$d" "$BUILD/bin/w1_writer" model.txt out.cpp
    time_cmd "w1-$n-jinja2" "$d" $PY "$W1/w1_python.py" jinja2 "$W1/w1.jinja" model.json out.jinja2
    time_cmd "w1-$n-mako" "$d" $PY "$W1/w1_python.py" mako "$W1/w1.mako" model.json out.mako
    time_cmd "w1-$n-ejs" "$d" node "$W1/w1_node.js" ejs "$W1/w1.ejs" model.json out.ejs
    time_cmd "w1-$n-handlebars" "$d" node "$W1/w1_node.js" handlebars "$W1/w1.hbs" model.json out.hbs
    same "$d/out.cpp" "$d/out.vyr" "$d/out.jinja2" "$d/out.mako" "$d/out.ejs" "$d/out.hbs"
    echo "   outputs identical ($(wc -c <"$d/out.cpp") bytes)"
done

S=$BENCH/scripts
for mb in 5 50; do
    d=$OUT/w2-$mb
    echo "== W2 template throughput, $mb MB"
    $PY "$BENCH/gen.py" w2 $mb "$d"
    time_cmd "w2-$mb-vyr" "$d" "$VYR" -q -D n:=4 -D word=abc w2.vyr
    time_cmd "w2-$mb-cat" "$d" sh -c 'cat w2.txt >w2.cat'
done

for regions in 2000 20000; do
    d=$OUT/w3-$regions
    mkdir -p "$d/plain"
    echo "== W3 regeneration, $regions regions"
    (cd "$d" && "$VYR" -q -D REGIONS:=$regions "$S/w3.vyr" >/dev/null)
    sed -i 's/default body of item/edited body of item/' "$d/w3.out"
    time_cmd "w3-$regions-vyr" "$d" "$VYR" -q -D REGIONS:=$regions "$S/w3.vyr"
    kept=$(grep -c 'edited body of item' "$d/w3.out")
    [ "$kept" = "$regions" ] || { echo "run.sh: W3 kept $kept of $regions regions" >&2; exit 1; }
    time_cmd "w3-$regions-plain" "$d/plain" "$VYR" -q -D REGIONS:=$regions "$S/w3plain.vyr"
    same "$d/plain/w3.out" <(sed 's/edited body of item/default body of item/' "$d/w3.out")
done

for outer in 1000 10000; do
    d=$OUT/w4-$outer
    mkdir -p "$d"
    echo "== W4 evaluation, $outer x 100 iterations"
    time_cmd "w4-$((outer * 100))-vyr" "$d" "$VYR" -q -D OUTER:=$outer "$S/w4.vyr"
done

for size in "18 10000" "22 100000"; do
    set -- $size
    d=$OUT/w5-$1
    mkdir -p "$d"
    echo "== W5 calls, Fib($1) and $2 built-in loop passes"
    time_cmd "w5-$1-vyr" "$d" "$VYR" -q -D FIBN:=$1 -D LOOPS:=$2 "$S/w5.vyr"
done

echo "== micro-benchmarks"
"$BUILD/bin/vyr_micro" --benchmark_min_time=0.2 --benchmark_format=json >"$OUT/json/micro.json" 2>/dev/null

$PY "$BENCH/report.py" "$OUT/json" "$BENCH/RESULTS.md"
echo "== wrote $BENCH/RESULTS.md"
