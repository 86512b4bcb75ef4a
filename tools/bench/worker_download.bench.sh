#!/usr/bin/env bash
# Download throughput: DownloadPackage of a 256 MB file from the loopback
# server against `curl -o` of the same file, and the number of progress
# messages the download posts. Best of five each: at loopback speeds a single
# run of a few tenths of a second is mostly noise.
set -euo pipefail
build=${1:?build folder}
source "$(dirname "$0")/../../worker/bench/bench_common.sh"

mkdir -p "$scratch/www"
head -c $((256 * 1024 * 1024)) /dev/urandom > "$scratch/www/pkg.bin"
start_server '{"/pkg.bin": {"body_file": "pkg.bin"}}'

best_curl=1e9
best_ours=1e9
for _ in 1 2 3 4 5; do
  rm -f "$scratch/curl.bin" "$scratch/ours.bin"
  best_curl=$(smaller "$best_curl" "$(seconds curl -s -o "$scratch/curl.bin" "$base/pkg.bin")")
  best_ours=$(smaller "$best_ours" "$(seconds "$build/worker/worker_tool" fetch "$base/pkg.bin" "$scratch/ours.bin")")
done
cmp -s "$scratch/www/pkg.bin" "$scratch/ours.bin" || { echo "downloaded file differs"; exit 1; }
rm -f "$scratch/ours.bin"
messages=$("$build/worker/worker_tool" fetch "$base/pkg.bin" "$scratch/ours.bin" | sed -n 's/^PROGRESS_MESSAGES //p')

echo "curl -o          $best_curl s  $(calc "256 / $best_curl") MB/s"
echo "DownloadPackage  $best_ours s  $(calc "256 / $best_ours") MB/s"
echo "throughput ratio (DownloadPackage / curl): $(calc "$best_curl / $best_ours") (goal: at least 0.9)"
echo "progress messages posted for the 256 MB download: $messages"
