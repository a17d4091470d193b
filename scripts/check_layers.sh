#!/usr/bin/env bash
# Checks the include lines of include/, src/ and tools/ against the layers of
# ARCHITECTURE.md and lists every include that crosses a forbidden arrow as
# "file:line: rule (part -> part: included file)". Exit status 0 when there
# is none, 1 when there is one or more, 2 on a usage error.
#
#   scripts/check_layers.sh [ROOT]    ROOT: the project directory (default:
#                                     the one this script lies in)
#
# An include is read as the file it names: first beside the including file,
# then below include/ ("kelvane/..."), src/, tools/ or tests/ as the build's
# include paths find it. Angle-bracket includes count only when they name a
# project folder ("<afile/...>"); the others are system headers. tests/,
# bench/ and fuzz/ may include anything and are not read.
set -euo pipefail

root=${1:-"$(dirname "$0")/.."}
if [[ ! -d $root ]]; then
  echo "check_layers: no such directory: $root" >&2
  exit 2
fi
cd "$root"

dirs=() all=()
for d in include src tools; do [[ -d $d ]] && dirs+=("$d"); done
for d in include src tools tests bench fuzz; do [[ -d $d ]] && all+=("$d"); done
[[ ${#dirs[@]} -eq 0 ]] && exit 0

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
# Every project file (so that an include can be found beside its includer),
# then the include lines of the checked folders.
find "${all[@]}" -type f >"$tmp/files"
status=0
grep -r -n -H -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"]' \
  --include='*.h' --include='*.hpp' --include='*.cpp' --include='*.cc' --include='*.c' \
  --include='*.inc' "${dirs[@]}" >"$tmp/includes" || status=$?
if ((status > 1)); then
  echo "check_layers: cannot read the sources below $root" >&2
  exit 2
fi
LC_ALL=C awk '
function normalize(path,    n, parts, out, k, i) {
  n = split(path, parts, "/")
  k = 0
  for (i = 1; i <= n; i++) {
    if (parts[i] == "" || parts[i] == ".") continue
    if (parts[i] == "..") { if (k > 0) k--; continue }
    out[++k] = parts[i]
  }
  path = ""
  for (i = 1; i <= k; i++) path = path (i > 1 ? "/" : "") out[i]
  return path
}
function dirname(path) { return path ~ /\// ? substr(path, 1, match(path, /\/[^\/]*$/) - 1) : "" }
# The project file an include names, or "" when it is none of ours.
function resolve(from, name, angle,    first, p) {
  first = name; sub(/\/.*/, "", first)
  if (angle && !(first == "kelvane" || first in srcpart)) return ""
  if (!angle) {
    p = normalize(dirname(from) "/" name)
    if (p in exists) return p
  }
  if (first == "kelvane") return normalize("include/" name)
  if (first in srcpart) return normalize("src/" name)
  if (("tools/" name) in exists) return normalize("tools/" name)
  if (("tests/" name) in exists) return normalize("tests/" name)
  return ""
}
# The part of the project a file belongs to.
function part(path,    n, p) {
  n = split(path, p, "/")
  if (p[1] == "include") return "include"
  if (p[1] != "src") return p[1]
  if (p[2] == "afile") {
    if (n == 3) return "afile/table"   # segment table, file-name rules
    return "afile/" p[3]
  }
  return n == 2 ? "src" : p[2]
}
function kind(p) { return p ~ /^(afile|rfile|yfile|yearstat)(\/|$)/ ? (p ~ /\// ? substr(p, 1, index(p, "/") - 1) : p) : "" }
function library(p) { return p == "src" || p == "common" || p == "server" || kind(p) != "" }
# The rule an include from part f of part t breaks, or "".
function broken(f, t,    kf, kt) {
  if (f == t) return ""
  if (f == "include")
    return "the public API includes only the public API, nothing from src/"
  if (t == "tests" || t == "bench" || t == "fuzz")
    return "only tests, benchmarks and fuzz harnesses include their own files"
  if (f == "common" && t != "include")
    return "common knows no file kind, host or tool"
  if (f == "afile/audit" && t == "afile/format")
    return "the A-file audit does not include the A-file format check"
  if (f == "afile/format" && t == "afile/audit")
    return "the A-file format check does not include the A-file audit"
  if (f == "afile/table" && (t == "afile/format" || t == "afile/audit"))
    return "the segment table and the file-name rules serve the format check and the audit and include neither"
  if (f == "yfile" && t == "yearstat")
    return "the yearly audit reaches the statistics component only by program identifier through the registry"
  if (library(f) && (t == "host" || t == "sample" || t == "tools"))
    return "nothing in src/ includes host/, sample/ or tools/, except host/ and sample/ themselves"
  if (f == "host" && (t == "sample" || t == "tools"))
    return "host/ is part of the library: it includes no sample writer and no tool"
  if (f == "sample" && t == "tools")
    return "the sample writers include no tool"
  if (f == "sample" && (t == "afile/format" || t == "afile/audit" || t == "server"))
    return "the sample writers write files from the tables; they do not include the checks, the audits or the component classes"
  if (f == "host" && (t == "afile/format" || t == "afile/audit" || t == "server"))
    return "a host drives checks and audits through the public API; of the A-file internals it reads the segment table and the file-name rules only"
  kf = kind(f); kt = kind(t)
  if (kf != "" && kt != "" && kf != kt)
    return "each file kind stands on common alone: " kf " does not include " kt
  if (kf != "" && t == "server")
    return "the checks and audits do not include the component classes (server/)"
  return ""
}
BEGIN {
  split("common afile rfile yfile yearstat server host sample", names, " ")
  for (i in names) srcpart[names[i]] = 1
  bad = 0
}
FILENAME == ARGV[1] { exists[$0] = 1; next }
{
  line = $0
  # file:number:text (file names hold no ":")
  file = line; sub(/:.*/, "", file)
  rest = substr(line, length(file) + 2)
  number = rest; sub(/:.*/, "", number)
  text = substr(rest, length(number) + 2)
  sub(/^[[:space:]]*#[[:space:]]*include[[:space:]]*/, "", text)
  angle = substr(text, 1, 1) == "<"
  close_char = angle ? ">" : "\""
  name = substr(text, 2)
  end = index(name, close_char)
  if (end == 0) next
  name = substr(name, 1, end - 1)
  file = normalize(file)
  target = resolve(file, name, angle)
  if (target == "") next
  why = broken(part(file), part(target))
  if (why != "") {
    printf "%s:%s: %s (%s -> %s: %s)\n", file, number, why, part(file), part(target), target
    bad++
  }
}
END {
  if (bad > 0) {
    printf "check_layers: %d forbidden include%s (see ARCHITECTURE.md)\n", bad, bad == 1 ? "" : "s"
    exit 1
  }
}
' "$tmp/files" "$tmp/includes"
