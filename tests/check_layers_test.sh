#!/usr/bin/env bash
# scripts/check_layers.sh against small trees: each case writes one file
# with one include line (beside any files the include must find) and
# expects the script to pass, or to fail naming the file, line and rule.
#
#   tests/check_layers_test.sh scripts/check_layers.sh
set -uo pipefail

script=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# file | include line | files that exist besides ("" for none) | expected:
# "ok", or a piece of the rule the script must print.
cases=(
  'src/afile/audit/jfile.cpp|#include "afile/format/context.h"||A-file audit does not include the A-file format check'
  'src/afile/audit/x.cpp|#include "../format/context.h"|src/afile/format/context.h|A-file audit does not include the A-file format check'
  'src/afile/format/x.cpp|  #  include "afile/audit/jfile.h"||format check does not include the A-file audit'
  'src/afile/segment_table.h|#include "afile/format/messages.h"||the segment table and the file-name rules'
  'src/common/x.cpp|#include "afile/segment_table.h"||common knows no file kind, host or tool'
  'src/common/x.h|#include <afile/segment_table.h>||common knows no file kind, host or tool'
  'src/common/x.cpp|#include "host/decoder.h"||common knows no file kind, host or tool'
  'src/yfile/x.cpp|#include "yearstat/year_statistic.h"||only by program identifier through the registry'
  'src/server/x.cpp|#include "sample/sample_afile.h"||nothing in src/ includes host/, sample/ or tools/'
  'src/afile/audit/x.cpp|#include "host/decoder.h"||nothing in src/ includes host/, sample/ or tools/'
  'src/host/x.cpp|#include "sample/sample_afile.h"||host/ is part of the library'
  'src/host/x.cpp|#include "afile/format/form_check.h"||a host drives checks and audits through the public API'
  'src/sample/x.cpp|#include "commands.h"|tools/commands.h|the sample writers include no tool'
  'src/sample/x.cpp|#include "afile/format/form_check.h"||the sample writers write files from the tables'
  'src/rfile/x.cpp|#include "afile/segment_table.h"||each file kind stands on common alone'
  'src/afile/audit/x.cpp|#include "server/instance_count.h"||do not include the component classes'
  'include/kelvane/x.h|#include "common/text.h"||the public API includes only the public API'
  'tools/x.cpp|#include "scratch_dir.h"|tests/scratch_dir.h|only tests, benchmarks and fuzz harnesses'
  'src/afile/audit/x.cpp|#include "afile/segment_table.h"||ok'
  'src/afile/format/x.cpp|#include "afile/file_name.h"||ok'
  'src/afile/audit/x.cpp|#include "kelvane/kelvane.h"||ok'
  'src/common/x.cpp|#include <string>||ok'
  'src/common/x.cpp|// #include "host/decoder.h"||ok'
  'src/server/x.cpp|#include "afile/audit/driver.h"||ok'
  'src/sample/x.cpp|#include "afile/segment_table.h"||ok'
  'tools/x.cpp|#include "sample/sample_afile.h"||ok'
  'tools/x.cpp|#include "display.h"|tools/display.h|ok'
  'tests/x.cpp|#include "afile/format/context.h"||ok'
)

failed=0
n=0
for c in "${cases[@]}"; do
  IFS='|' read -r file include others expected <<<"$c"
  n=$((n + 1))
  dir=$tmp/case$n
  mkdir -p "$dir/$(dirname "$file")"
  printf '// case %d\n%s\n' "$n" "$include" >"$dir/$file"
  if [[ -n $others ]]; then
    mkdir -p "$dir/$(dirname "$others")"
    : >"$dir/$others"
  fi
  out=$(bash "$script" "$dir" 2>&1)
  status=$?
  if [[ $expected == ok ]]; then
    if ((status != 0)); then
      echo "case $n ($file: $include): expected to pass, got status $status: $out"
      failed=1
    fi
  elif ((status != 1)) || [[ $out != *"$file:2: "*"$expected"* ]]; then
    echo "case $n ($file: $include): expected '$file:2: ...$expected', got status $status: $out"
    failed=1
  fi
done
if ((failed == 0)); then echo "check_layers: $n cases as expected"; fi
exit $failed
