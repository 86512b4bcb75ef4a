#!/usr/bin/env bash
# A whole update without a window: UpdateWorker (through worker_run, copied
# into a fresh program folder) downloads a 256 MB package from the loopback
# server, sets aside the old files and unpacks it. Reports the peak resident
# memory of the run, the number of progress messages and the wall time.
set -euo pipefail
build=${1:?build folder}
source "$(dirname "$0")/../../worker/bench/bench_common.sh"

# 256 MB of incompressible content in 64 files, stored as it is.
mkdir -p "$scratch/src" "$scratch/www" "$scratch/program"
for i in $(seq 1 64); do head -c $((4 * 1024 * 1024)) /dev/urandom > "$scratch/src/file$i.bin"; done
( cd "$scratch/src" && 7z a -mx0 "$scratch/www/update.7z" . >/dev/null )
for i in $(seq 1 64); do echo old > "$scratch/program/file$i.bin"; done
cp "$build/worker/worker_run" "$scratch/program/"
start_server '{"/update.7z": {"body_file": "update.7z"}}'

start=$(date +%s.%N)
"$scratch/program/worker_run" "$base/update.7z" --peak-memory > "$scratch/run.txt"
end=$(date +%s.%N)
grep -q '^MSG 0xffe2 ' "$scratch/run.txt" || { echo "the update did not finish"; exit 1; }
diff -r -q "$scratch/src" "$scratch/program" -x worker_run -x temp >/dev/null || { echo "installed files differ"; exit 1; }

echo "package: $(du -m "$scratch/www/update.7z" | cut -f1) MB"
echo "peak resident memory: $(calc "$(sed -n 's/^PEAK_KB //p' "$scratch/run.txt") / 1024") MB (goal: at most 64 MB)"
echo "progress messages posted: $(grep -c '^MSG 0xfff0 ' "$scratch/run.txt")"
echo "whole update: $(calc "$end - $start") s"
