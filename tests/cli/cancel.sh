#!/bin/sh
# Ctrl+C during a run: the run ends with "Generation Canceled." and status
# 130.  Usage: cancel.sh VYR SCRIPT WORKDIR
vyr=$1 script=$2 work=$3
rm -rf "$work" && mkdir -p "$work" && cd "$work" || exit 1
"$vyr" "$script" >out.txt 2>err.txt &
pid=$!
# Wait until the script is inside its endless loop (its output file is open).
tries=0
until grep -q 'gen.txt' out.txt 2>/dev/null; do
    tries=$((tries + 1))
    if [ $tries -gt 400 ]; then echo "the run did not start"; kill -9 $pid; exit 1; fi
    sleep 0.05
done
kill -INT $pid
wait $pid
rc=$?
cat out.txt err.txt
[ $rc -eq 130 ] || { echo "exit status $rc, expected 130"; exit 1; }
[ "$(tail -n 1 out.txt)" = "Generation Canceled." ] || { echo "no cancel line"; exit 1; }
[ ! -s err.txt ] || { echo "unexpected standard error"; exit 1; }
