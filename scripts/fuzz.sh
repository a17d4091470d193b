#!/usr/bin/env bash
# Runs one libFuzzer harness of a fuzz build for a while.
#   scripts/fuzz.sh BUILD_DIR [HARNESS]   (FUZZ_SECONDS overrides the default 60 s;
#   FUZZ_FLAGS adds libFuzzer flags, e.g. FUZZ_FLAGS=-len_control=0 to try
#   long inputs from the start)
# HARNESS is fuzz_afile_format (the default: the A-file format check),
# fuzz_weather_text (the weather phenomenon text parser and audit),
# fuzz_rfile_format (the R-file format check, decoder and audit) or
# fuzz_yfile_format (the Y-file format check, decoder and audit),
# fuzz_afile_pipeline (the A file's format check, decoding and audit, with
# and without its minute file, through a structure-aware mutator) or
# fuzz_jfile (the minute data file reader).
# Each harness has its working corpus fuzz/corpus_<name> (not kept in the
# repository), seeded from its hand-made seeds fuzz/seeds_<name> (and, for
# the A-file harness, the A files under tests/data). Findings (crash-*,
# timeout-*, oom-*) are written to BUILD_DIR/fuzz-artifacts (those of the
# weather harness with the prefix weather_text-).
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:?usage: scripts/fuzz.sh BUILD_DIR [HARNESS]}"
name="${2:-fuzz_afile_format}"
seconds="${FUZZ_SECONDS:-60}"
harness="$build/$name"
artifacts="$build/fuzz-artifacts"

shopt -s nullglob
case "$name" in
  fuzz_afile_format)
    corpus="fuzz/corpus_afile"
    seeds=(tests/data/*.TXT tests/data/*.txt fuzz/seeds_afile/*)
    max_len=200000
    prefix="$artifacts/"
    ;;
  fuzz_weather_text)
    corpus="fuzz/corpus_weather"
    seeds=(fuzz/seeds_weather/*)
    max_len=8192
    prefix="$artifacts/weather_text-"
    ;;
  fuzz_rfile_format)
    corpus="fuzz/corpus_rfile"
    seeds=(fuzz/seeds_rfile/*)
    max_len=100000
    prefix="$artifacts/rfile-"
    ;;
  fuzz_yfile_format)
    corpus="fuzz/corpus_yfile"
    seeds=(fuzz/seeds_yfile/*)
    max_len=200000
    prefix="$artifacts/yfile-"
    ;;
  fuzz_afile_pipeline)
    corpus="fuzz/corpus_afile_pipeline"
    seeds=(fuzz/seeds_afile/* fuzz/regression/afile_pipeline/*)
    # The sample A files, each also with its minute file behind the marker.
    sample="$build/fuzz-sample"
    if [ -x "$build/kelvane" ] && [ ! -d "$sample/data" ]; then
      "$build/kelvane" sample --out "$sample" >/dev/null
    fi
    mkdir -p "$build/fuzz-seeds"
    for a in "$sample"/data/A*.TXT; do
      cp "$a" "$build/fuzz-seeds/"
      j="$(dirname "$a")/J$(basename "$a" | cut -c2-)"
      if [ -f "$j" ]; then
        { cat "$a"; printf '\0J\n'; cat "$j"; } > "$build/fuzz-seeds/with_minutes_$(basename "$a")"
      fi
    done
    seeds+=("$build"/fuzz-seeds/*)
    max_len=1200000
    prefix="$artifacts/pipeline-"
    ;;
  fuzz_jfile)
    corpus="fuzz/corpus_jfile"
    seeds=(fuzz/regression/jfile/*)
    sample="$build/fuzz-sample"
    if [ -x "$build/kelvane" ] && [ ! -d "$sample/data" ]; then
      "$build/kelvane" sample --out "$sample" >/dev/null
    fi
    seeds+=("$sample"/data/J*.TXT)
    max_len=1200000
    prefix="$artifacts/jfile-"
    ;;
  *)
    echo "fuzz.sh: unknown harness $name (the harnesses are fuzz/fuzz_*.cpp)" >&2
    exit 2
    ;;
esac

[ -x "$harness" ] || { echo "fuzz.sh: $harness not built (KELVANE_FUZZ=ON, clang)" >&2; exit 2; }
mkdir -p "$corpus" "$artifacts"
for seed in "${seeds[@]}"; do
  # Recipes of large regression inputs are not inputs themselves.
  case "$seed" in *.gen) continue ;; esac
  cp -n "$seed" "$corpus/" 2>/dev/null || true
done

# Leak detection off: the harnesses keep their workspace for the whole run.
ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=0}" \
UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}" \
"$harness" "$corpus" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
  -max_len="$max_len" -artifact_prefix="$prefix" -print_final_stats=1 ${FUZZ_FLAGS:-}
