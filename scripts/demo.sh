#!/usr/bin/env bash
# The main job: write the sample system directory with its sample station
# files, check every sample file, then show what a damaged file looks like.
set -euo pipefail
bin=${1:-build/kelvane}
dir=${2:-build/demo}

"$bin" sample --out "$dir" >/dev/null
echo "== Sample system directory: $dir (stations, rules, radiation constants, A files)"
echo
echo "== Checking the sample station files"
"$bin" check --sys "$dir" "$dir"/data/A*.TXT
echo
echo "== Checking the sample radiation files (classes 1, 2 and 3)"
"$bin" check --sys "$dir" "$dir"/data/R*.TXT

# A copy of one file with two faults: a wrong latitude in the header (a format
# finding against the station table) and a station pressure of day 2 written
# one character short (a format finding, and the audit then reads 12.3 hPa).
mkdir -p "$dir/damaged"
src="$dir/data/A54511-201203.TXT"
dst="$dir/damaged/A54511-201203.TXT"
awk 'NR==1 { $0 = substr($0, 1, 8) "9" substr($0, 10) }
     NR==5 { sub(/ [0-9][0-9][0-9][0-9] /, " 123 ") }
     { print }' "$src" > "$dst"
echo "== Checking a damaged copy: $dst"
"$bin" check --sys "$dir" "$dst" || echo "(exit status $?: the file has errors)"

# A copy of a radiation file whose diffuse hour 11-12 of day 2 is 260, above
# the global hour (and the daily total raised with it).
src="$dir/data/R54399-201203.TXT"
dst="$dir/damaged/R54399-201203.TXT"
awk 'NR==70 { $12 = "260"; $25 = "0577" } { print }' "$src" > "$dst"
echo "== Checking a damaged radiation file: $dst"
"$bin" check --sys "$dir" "$dst" || echo "(exit status $?: the file has errors)"

echo
echo "== Checking the sample yearly files"
"$bin" check --sys "$dir" "$dir"/data/Y*.TXT

# A copy of a yearly file whose yearly mean station pressure (line 15) and
# thunder interval (line 187) are one more than the monthly values give.
src="$dir/data/Y54511-2012.TXT"
dst="$dir/damaged/Y54511-2012.TXT"
awk 'NR==15 { $1 = sprintf("%05d", $1 + 1) } NR==187 { $5 = sprintf("%03d", $5 + 1) } { print }' \
  "$src" > "$dst"
echo "== Checking a damaged yearly file: $dst"
"$bin" check --sys "$dir" "$dst" || echo "(exit status $?: the file has errors)"
