#!/usr/bin/env bash
# Unpacking: SevenZipExtractor::ExtractTo of a package of about 200 MB in
# 4000 files against `7z x` of the same package (best of two each). The
# extractor keeps every callback on the calling thread, so the library
# decodes on one thread; `7z x -mmt=1` is shown beside it for that reason.
set -euo pipefail
build=${1:?build folder}
source "$(dirname "$0")/../../worker/bench/bench_common.sh"

# Compressible content (base64 text of random bytes): 4000 files of 50 KB
# in 40 folders.
python3 - "$scratch/src" <<'PY'
import base64, os, sys
root = sys.argv[1]
for i in range(4000):
    folder = os.path.join(root, "dir%02d" % (i % 40))
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "file%04d.txt" % i), "wb") as f:
        f.write(base64.encodebytes(os.urandom(37500)))
PY
( cd "$scratch/src" && 7z a -mx1 "$scratch/pkg.7z" . >/dev/null )
unpacked=$(du -sm "$scratch/src" | cut -f1)
files=$(find "$scratch/src" -type f | wc -l)

run_7z() { rm -rf "$scratch/out"; mkdir "$scratch/out"; seconds 7z x -y "-o$scratch/out" "$@" "$scratch/pkg.7z"; }
run_ours() {
  rm -rf "$scratch/out"; mkdir "$scratch/out"
  seconds "$build/worker/worker_tool" extract "$scratch/pkg.7z" "$scratch/out"
}

best_7z=1e9; best_7z_single=1e9; best_ours=1e9
for _ in 1 2; do
  best_7z=$(smaller "$best_7z" "$(run_7z)")
  best_7z_single=$(smaller "$best_7z_single" "$(run_7z -mmt=1)")
  best_ours=$(smaller "$best_ours" "$(run_ours)")
done
diff -r -q "$scratch/src" "$scratch/out" >/dev/null || { echo "unpacked tree differs"; exit 1; }

echo "package: $(du -m "$scratch/pkg.7z" | cut -f1) MB, unpacked: $unpacked MB in $files files"
echo "7z x             $best_7z s"
echo "7z x -mmt=1      $best_7z_single s"
echo "ExtractTo        $best_ours s"
echo "time ratio (ExtractTo / 7z x): $(calc "$best_ours / $best_7z") (goal: at most 1.1)"
echo "time ratio (ExtractTo / 7z x -mmt=1): $(calc "$best_ours / $best_7z_single")"
