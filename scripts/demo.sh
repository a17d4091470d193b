#!/usr/bin/env bash
# The main job: write the sample system directory with its sample station
# files, then show what the tool does with them.
set -euo pipefail
bin=${1:-build/kelvane}
dir=${2:-build/demo}

"$bin" sample --out "$dir"
echo
echo "== Registered stations (tabStationParameter)"
"$bin" db show --sys "$dir" tabStationParameter
echo
echo "== Wind direction conversion"
for args in "NNE 35" "NNE 0" "SW 12" "C 0" "270 35" "XYZ 35"; do
  printf '%-8s -> %s\n' "$args" "$("$bin" wind $args)"
done
