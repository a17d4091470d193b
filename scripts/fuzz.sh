#!/usr/bin/env bash
# Runs the A-file format check harness of a fuzz build for a while.
#   scripts/fuzz.sh BUILD_DIR            (FUZZ_SECONDS overrides the default 60 s)
# The working corpus is fuzz/corpus_afile (not kept in the repository); it is
# seeded from the A files under tests/data and the hand-made seeds in
# fuzz/seeds_afile. Findings (crash-*, timeout-*, oom-*) are written to
# BUILD_DIR/fuzz-artifacts.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:?usage: scripts/fuzz.sh BUILD_DIR}"
seconds="${FUZZ_SECONDS:-60}"
harness="$build/fuzz_afile_format"
corpus="fuzz/corpus_afile"
artifacts="$build/fuzz-artifacts"

[ -x "$harness" ] || { echo "fuzz.sh: $harness not built (KELVANE_FUZZ=ON, clang)" >&2; exit 2; }
mkdir -p "$corpus" "$artifacts"
shopt -s nullglob
for seed in tests/data/*.TXT tests/data/*.txt fuzz/seeds_afile/*; do
  cp -n "$seed" "$corpus/" 2>/dev/null || true
done

# Leak detection off: the harness keeps its workspace for the whole run.
ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=0}" \
UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}" \
"$harness" "$corpus" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
  -max_len=200000 -artifact_prefix="$artifacts/" -print_final_stats=1
