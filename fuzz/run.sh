#!/usr/bin/env bash
# Runs every fuzz target (built by `make fuzz`) for SECONDS each, growing its
# corpus under fuzz/corpus/<target>. Usage: fuzz/run.sh [SECONDS] [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for t in build-fuzz/fuzz/fuzz_*; do targets+=("$(basename "$t")"); done
fi
for target in "${targets[@]}"; do
  mkdir -p "fuzz/corpus/$target"
  echo "== $target for ${seconds}s"
  "build-fuzz/fuzz/$target" -max_total_time="$seconds" -rss_limit_mb=4096 -timeout=10 \
    -max_len=65536 -print_final_stats=1 "fuzz/corpus/$target" 2>&1 | tail -n 12
done
