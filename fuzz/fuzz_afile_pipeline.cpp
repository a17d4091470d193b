// libFuzzer harness of the whole A-file pipeline as the tool runs it: format
// check, decoding and audit, with the finding bound the tool sets. The input
// is an A file, optionally followed by the marker "\0J\n" and the month's
// minute data file; without the marker no minute file lies beside the A
// file. The same text is written as the previous month's file too, which the
// cross-month precipitation check reads.
//
// A structure-aware mutator edits what an A file is made of (records, lines,
// mode codes, the order of segments, line lengths), so that most mutants
// still pass the early format checks and reach the decoder and the audits;
// one mutation in four is left to libFuzzer's own byte mutations.
//
// Any outcome is fine except a crash, a hang, a sanitizer report, an internal
// error status, or more findings than the bound allows.
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "host/check_file.h"
#include "kelvane/kelvane.h"
#include "sample/sample_sysdir.h"

extern "C" size_t LLVMFuzzerMutate(uint8_t* data, size_t size, size_t maxSize);

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kMinuteMarker{"\0J\n", 3};
constexpr long kMaxFindings = 2000;

struct Workspace {
  fs::path dir;
  std::string file, previous, minutes, sysPath;
  Workspace() {
    dir = fs::temp_directory_path() / ("kelvane_fuzz_pipeline_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    file = (dir / "A54511-201203.TXT").string();
    previous = (dir / "A54511-201202.TXT").string();
    minutes = (dir / "J54511-201203.TXT").string();
    kelvane::sample::WriteSampleSystemDirectory((dir / "sys").string());
    sysPath = (dir / "sys").string() + "/";
  }
  ~Workspace() {
    std::error_code ec;
    fs::remove_all(dir, ec);
  }
};

void Write(const std::string& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

bool Unexpected(const kelvane::Status& s) {
  return s.number() == kelvane::kErrInternal || s.number() == kelvane::kErrSubscript ||
         s.number() == kelvane::kErrOverflow;
}

// ---- The structure-aware mutator -------------------------------------------

// Records an A file is written with, good and bad: missing-value forms, trace
// amounts, times, separators, phenomenon codes, wind directions, signs.
constexpr std::string_view kRecords[] = {
    "////", "///", "/", "-", "--", "0000", "000", "9999", "99999", ",", ".", "=", "",
    "0716-0816", "16", "60", "01", "+", "-0012", "1234", "PPC", "C", "N", "NNE", "XX",
    ",;", "0.", "3.5", "24", "25", "00", "2400", "#", " ", "0000000000"};

// Letters that start the segments and codes that follow them.
constexpr std::string_view kModeChars = "0123456789ABCDE=";

struct Lines {
  std::vector<std::string> lines;
  bool crlf = false;

  explicit Lines(std::string_view text) {
    crlf = text.find("\r\n") != std::string_view::npos;
    size_t start = 0;
    while (start <= text.size()) {
      size_t end = text.find('\n', start);
      if (end == std::string_view::npos) end = text.size();
      std::string_view line = text.substr(start, end - start);
      if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
      lines.emplace_back(line);
      start = end + 1;
    }
  }
  std::string Join() const {
    std::string out;
    for (size_t i = 0; i < lines.size(); ++i) {
      if (i) out += crlf ? "\r\n" : "\n";
      out += lines[i];
    }
    return out;
  }
};

// A segment code line: a capital letter and one or two code characters
// ("P0", "TB", "R6", "W="), or the letter alone.
bool IsCodeLine(const std::string& l) {
  return !l.empty() && l.size() <= 3 && l[0] >= 'A' && l[0] <= 'Z';
}

// The records of a line: spans between blanks or commas.
std::vector<std::pair<size_t, size_t>> Records(const std::string& l) {
  std::vector<std::pair<size_t, size_t>> out;
  size_t i = 0;
  while (i < l.size()) {
    while (i < l.size() && (l[i] == ' ' || l[i] == ',')) ++i;
    size_t j = i;
    while (j < l.size() && l[j] != ' ' && l[j] != ',') ++j;
    if (j > i) out.emplace_back(i, j - i);
    i = j;
  }
  return out;
}

std::string RandomRecord(std::mt19937& rng) {
  if (rng() % 3 == 0) {
    std::string digits(1 + rng() % 6, '0');
    for (char& c : digits) c = static_cast<char>('0' + rng() % 10);
    return digits;
  }
  return std::string(kRecords[rng() % std::size(kRecords)]);
}

bool MutateLines(Lines& f, std::mt19937& rng, size_t maxSize) {
  auto& L = f.lines;
  if (L.empty()) return false;
  const size_t n = L.size();
  const size_t at = rng() % n;
  switch (rng() % 8) {
    case 0:
    case 1: {  // one record replaced
      auto recs = Records(L[at]);
      if (recs.empty()) return false;
      auto [pos, len] = recs[rng() % recs.size()];
      L[at].replace(pos, len, RandomRecord(rng));
      return true;
    }
    case 2:  // a line removed
      L.erase(L.begin() + static_cast<long>(at));
      return true;
    case 3:  // a line doubled
      L.insert(L.begin() + static_cast<long>(at), L[at]);
      return true;
    case 4: {  // a mode code changed
      std::vector<size_t> codes;
      for (size_t i = 0; i < n; ++i)
        if (IsCodeLine(L[i])) codes.push_back(i);
      if (codes.empty()) return false;
      std::string& code = L[codes[rng() % codes.size()]];
      const char c = kModeChars[rng() % kModeChars.size()];
      if (code.size() == 1) code += c;
      else code[1 + rng() % (code.size() - 1)] = c;
      return true;
    }
    case 5: {  // a segment moved before another one
      std::vector<size_t> codes;
      for (size_t i = 0; i < n; ++i)
        if (IsCodeLine(L[i])) codes.push_back(i);
      if (codes.size() < 3) return false;
      const size_t k = rng() % (codes.size() - 1);
      const size_t from = codes[k], to = codes[k + 1];
      const size_t before = codes[rng() % codes.size()];
      if (before >= from && before < to) return false;
      std::vector<std::string> seg(L.begin() + static_cast<long>(from),
                                   L.begin() + static_cast<long>(to));
      L.erase(L.begin() + static_cast<long>(from), L.begin() + static_cast<long>(to));
      const size_t dest = before > from ? before - seg.size() : before;
      L.insert(L.begin() + static_cast<long>(dest), seg.begin(), seg.end());
      return true;
    }
    case 6:  // the file cut after a line
      L.resize(at + 1);
      return true;
    default: {  // a line made long by repeating a record
      const std::string rec = RandomRecord(rng) + (rng() % 2 ? " " : ",");
      const size_t times = 1 + rng() % std::max<size_t>(1, std::min<size_t>(maxSize / 4, 65536) /
                                                         std::max<size_t>(1, rec.size()));
      std::string longer;
      longer.reserve(rec.size() * times);
      for (size_t i = 0; i < times; ++i) longer += rec;
      L[at] = longer + L[at];
      return true;
    }
  }
}

void Run(const Workspace& w, std::string_view input) {
  const size_t marker = input.find(kMinuteMarker);
  const std::string_view afile = input.substr(0, marker);
  Write(w.file, afile);
  Write(w.previous, afile);
  std::error_code ec;
  if (marker == std::string_view::npos)
    fs::remove(w.minutes, ec);
  else
    Write(w.minutes, input.substr(marker + kMinuteMarker.size()));

  kelvane::host::CheckOptions options;
  options.sysPath = w.sysPath;
  options.maxFindings = kMaxFindings;
  options.warn = [](const std::string&, const std::string&) {};
  kelvane::host::Checker checker(options);
  const kelvane::host::FileResult r = checker.Check(w.file);
  if (Unexpected(r.status)) {
    std::fprintf(stderr, "unexpected status %d: %s\n", r.status.number(),
                 r.status.description().c_str());
    std::abort();
  }
  // The bound holds: at most the limit plus the row that counts the rest.
  if (r.findings.size() > static_cast<size_t>(kMaxFindings) + 1) {
    std::fprintf(stderr, "%zu findings above the bound %ld\n", r.findings.size(), kMaxFindings);
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const Workspace w;
  Run(w, std::string_view(reinterpret_cast<const char*>(data), size));
  return 0;
}

extern "C" size_t LLVMFuzzerCustomMutator(uint8_t* data, size_t size, size_t maxSize,
                                          unsigned int seed) {
  std::mt19937 rng(seed);
  if (rng() % 4 == 0) return LLVMFuzzerMutate(data, size, maxSize);
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const size_t marker = input.find(kMinuteMarker);
  Lines f(input.substr(0, marker));
  if (!MutateLines(f, rng, maxSize)) return LLVMFuzzerMutate(data, size, maxSize);
  std::string out = f.Join();
  if (marker != std::string_view::npos) out += input.substr(marker);
  if (out.size() > maxSize) return LLVMFuzzerMutate(data, size, maxSize);
  std::memcpy(data, out.data(), out.size());
  return out.size();
}
