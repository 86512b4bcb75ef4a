#!/usr/bin/env bash
# Process start to first painted window: the sample window program started on
# a private Xvfb until it reports its window shown (painted and presented),
# then closed with ESC. Prints the time to the first painted window and the
# peak resident memory of the whole run, best of five.
set -euo pipefail
build=${1:?build folder}
sample="$build/tools/sample-window/sample_window"
[ -x "$sample" ] || { echo "window start: $sample not built"; exit 0; }
for tool in Xvfb xdotool /usr/bin/time; do
  command -v "$tool" >/dev/null || { echo "window start: $tool missing"; exit 0; }
done

work=$(mktemp -d)
exec 3<> "$work/displayfd"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 2>/dev/null &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; wait $xvfb 2>/dev/null; rm -rf "$work"' EXIT
until [ -s "$work/displayfd" ]; do sleep 0.05; done
export DISPLAY=":$(head -n1 "$work/displayfd")"

best_ms=""
best_kb=""
for run in 1 2 3 4 5; do
  start=$(date +%s%N)
  coproc SAMPLE { /usr/bin/time -f "%M" -o "$work/rss" "$sample"; }
  pid=$SAMPLE_PID
  read -r line <&"${SAMPLE[0]}"
  end=$(date +%s%N)
  xdotool key Escape
  wait "$pid" || true
  ms=$(( (end - start) / 1000000 ))
  kb=$(tail -n1 "$work/rss")
  [ -z "$best_ms" ] || [ "$ms" -lt "$best_ms" ] && best_ms=$ms
  [ -z "$best_kb" ] || [ "$kb" -lt "$best_kb" ] && best_kb=$kb
  case "$line" in shown*) ;; *) echo "window start: unexpected first line '$line'"; exit 1;; esac
done
echo "process start to first painted 500x310 window: ${best_ms} ms (best of 5)"
echo "peak resident memory of the sample window run: $(( best_kb / 1024 )) MB (best of 5)"
