# Shared by the worker benchmarks (tools/bench/worker*.bench.sh): a scratch folder, the loopback test
# server, and timing. Sourced, not run.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
scratch=$(mktemp -d "${TMPDIR:-/tmp}/zv_worker_bench.XXXXXX")
server_pid=

cleanup() {
  [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null && wait "$server_pid" 2>/dev/null
  rm -rf "$scratch"
}
trap cleanup EXIT

# start_server ROUTES_JSON: serves $scratch/www over plain HTTP on 127.0.0.1
# and sets $base to its address.
start_server() {
  mkdir -p "$scratch/www"
  printf '%s' "$1" > "$scratch/www/routes.json"
  python3 "$root/tools/testserver/testserver.py" --routes "$scratch/www/routes.json" \
    --ready-file "$scratch/ready" >/dev/null 2>&1 &
  server_pid=$!
  for _ in $(seq 1 100); do [ -s "$scratch/ready" ] && break; sleep 0.1; done
  base="http://127.0.0.1:$(head -n1 "$scratch/ready")"
}

# seconds COMMAND...: runs it and prints the wall time in seconds.
seconds() {
  local start end
  start=$(date +%s.%N)
  "$@" >/dev/null
  end=$(date +%s.%N)
  awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f", b - a }'
}

# smaller A B
smaller() { awk -v a="$1" -v b="$2" 'BEGIN { print (a < b ? a : b) }'; }

# calc EXPRESSION: evaluates with awk, e.g. calc "256 / 3.2".
calc() { awk "BEGIN { printf \"%.2f\", $1 }"; }
