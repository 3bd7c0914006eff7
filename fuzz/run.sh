#!/usr/bin/env bash
# Builds the fuzz preset (clang-14, libFuzzer, ASan + UBSan) and runs every
# fuzz target for SECONDS seconds each (default 60), one after the other.
#
#   fuzz/run.sh [SECONDS] [TARGET...]
#
# Each target's corpus lives in build/fuzz/corpus/NAME and grows from run to
# run; it is seeded from fuzz/seeds/NAME and the test fixtures.  Findings
# are written to build/fuzz/artifacts/.  Prints one line per target with
# its executions per second and corpus size; exits non-zero when a target
# found a crash, a leak, a sanitizer report or a timeout.
set -uo pipefail
cd "$(dirname "$0")/.."
ROOT="$(pwd)"
SECONDS_EACH="${1:-60}"
shift || true
BUILD="$ROOT/build/fuzz"

if ! command -v clang++-14 >/dev/null; then
    echo "fuzz: clang++-14 is missing (apt-get install clang-14 libclang-rt-14-dev)" >&2
    exit 1
fi
mkdir -p "$BUILD"
# VYR_FUZZ_NO_BUILD=1 runs the programs as built (for runs side by side).
if [ "${VYR_FUZZ_NO_BUILD:-0}" != 1 ] && ! { cmake --preset fuzz && cmake --build --preset fuzz -j2; } >"$BUILD/build.log" 2>&1; then
    cat "$BUILD/build.log"
    echo "fuzz: build FAILED" >&2
    exit 1
fi

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    for f in "$BUILD"/bin/fuzz_*; do targets+=("$(basename "$f" | sed 's/^fuzz_//')"); done
fi

# seed NAME DIR: fills DIR with the target's seeds (fixtures written in the
# target's input format).
seed() {
    local name="$1" dir="$2"
    mkdir -p "$dir"
    if [ -d "fuzz/seeds/$name" ]; then cp -f fuzz/seeds/"$name"/* "$dir"/ 2>/dev/null; fi
    case "$name" in
    script)
        # limits.vyr grows a text to the length limit on purpose: too slow for a seed.
        find tests/scripts tests/cli/fixtures examples -type f \( -name '*.vyr' -o -name '*.vyh' \) ! -name limits.vyr |
            while read -r f; do cp -f "$f" "$dir/$(echo "$f" | tr '/' '_')"; done ;;
    matcher | evaluator)
        # Every script part of the fixtures, one input each.
        find tests/scripts examples -type f \( -name '*.vyr' -o -name '*.vyh' \) -exec cat {} + |
            grep -o '\$\[[^]]*\]\$' | grep -v 'SPACE(1048576)' | sed 's/^\$\[//; s/\]\$$//' | sort -u | head -400 |
            while IFS= read -r line; do
                printf '%s' "$line" >"$dir/part-$(printf '%s' "$line" | md5sum | cut -c1-12)"
            done ;;
    output)
        # Generated files with protected regions, behind the two option bytes.
        find examples -path '*/expected/*' -type f | while read -r f; do
            { printf '\0\0'; cat "$f"; } >"$dir/$(echo "$f" | tr '/' '_')"
        done ;;
    ini)
        find tests/cli/fixtures -name '*.ini' -exec cp -f {} "$dir"/ \; ;;
    esac
}

# Scratch files on a memory file system when there is one: the targets
# write and sync files on every input.
[ -d /dev/shm ] && [ -w /dev/shm ] && export TMPDIR=/dev/shm

mkdir -p "$BUILD/artifacts"
failed=0
for t in "${targets[@]}"; do
    exe="$BUILD/bin/fuzz_$t"
    if [ ! -x "$exe" ]; then
        echo "fuzz: no target $t" >&2
        failed=1
        continue
    fi
    corpus="$BUILD/corpus/$t"
    seeds="$BUILD/seeds/$t"
    rm -rf "$seeds"
    seed "$t" "$seeds"
    mkdir -p "$corpus"
    dict=()
    [ -f "fuzz/dict/$t.dict" ] && dict=(-dict="$ROOT/fuzz/dict/$t.dict")
    log="$BUILD/$t.log"
    # Output inputs span several 4096-byte chunks; the rest stay small.
    maxlen=4096
    [ "$t" = output ] && maxlen=20000
    "$exe" "$corpus" "$seeds" "${dict[@]}" -max_total_time="$SECONDS_EACH" -max_len="$maxlen" \
        -timeout=20 -rss_limit_mb=2560 -print_final_stats=1 \
        -artifact_prefix="$BUILD/artifacts/$t-" >"$log" 2>&1
    rc=$?
    execs=$(grep -o 'exec/s: [0-9]*' "$log" | tail -1 | grep -o '[0-9]*')
    size=$(find "$corpus" -type f | wc -l)
    if [ $rc -eq 0 ]; then
        echo "fuzz $t: ok, ${execs:-?} exec/s, corpus $size files"
    else
        echo "fuzz $t: FAILED (exit $rc), ${execs:-?} exec/s, corpus $size files; log $log:"
        grep -E -A30 'ERROR: |runtime error|SUMMARY|Test unit written' "$log" | head -60
        failed=1
    fi
done
exit $failed
