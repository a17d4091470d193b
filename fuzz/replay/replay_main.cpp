// Replays a fuzz harness's regression corpus without libFuzzer, so that the
// ordinary and the sanitizer builds run every input that ever misbehaved and
// the minimised corpora on each test run.
//
//   replay_<harness> DIR     every regular file below DIR, in sorted order
//
// A file ending in ".gen" is not an input but the recipe of a large one, so
// that inputs of several MiB need not be kept in the repository:
//
//   base: ../../seeds_afile/seed_automatic.TXT   (relative to the recipe)
//   line: 42                                      (1-based line of base)
//   fill: XX                                      (text repeated ...)
//   bytes: 1048576                                (... to this many bytes)
//   keep: 0                                       (characters of the old line kept in front)
//
// The input is base with that line replaced by the kept start of the old
// line followed by the fill repeated to the given size. Without base the
// input is the fill alone. Exits 1 on an empty or missing directory or an
// unreadable recipe; a harness that finds a fault aborts by itself.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

// The mutator a structure-aware harness falls back on exists only under
// libFuzzer; replay never mutates.
extern "C" __attribute__((weak)) size_t LLVMFuzzerMutate(uint8_t*, size_t size, size_t) {
  return size;
}

namespace {

namespace fs = std::filesystem;

bool ReadAll(const fs::path& p, std::string& out) {
  std::ifstream in(p, std::ios::binary);
  if (!in) return false;
  std::ostringstream s;
  s << in.rdbuf();
  out = s.str();
  return true;
}

bool Generate(const fs::path& recipe, std::string& out, std::string& why) {
  std::string text;
  if (!ReadAll(recipe, text)) {
    why = "cannot read the recipe";
    return false;
  }
  std::map<std::string, std::string> keys;
  std::istringstream lines(text);
  for (std::string l; std::getline(lines, l);) {
    if (!l.empty() && l.back() == '\r') l.pop_back();
    if (l.empty() || l[0] == '#') continue;
    const size_t colon = l.find(':');
    if (colon == std::string::npos) {
      why = "a line without \"key:\": " + l;
      return false;
    }
    std::string value = l.substr(colon + 1);
    if (!value.empty() && value[0] == ' ') value.erase(0, 1);
    keys[l.substr(0, colon)] = value;
  }
  const std::string fill = keys["fill"];
  const size_t bytes = std::strtoull(keys["bytes"].c_str(), nullptr, 10);
  if (fill.empty() || bytes == 0 || bytes > (size_t{64} << 20)) {
    why = "fill must be set and bytes within 1..64 MiB";
    return false;
  }
  std::string repeated;
  repeated.reserve(bytes);
  while (repeated.size() < bytes) repeated += fill;
  repeated.resize(bytes);
  if (keys["base"].empty()) {
    out = repeated;
    return true;
  }
  std::string base;
  if (!ReadAll(recipe.parent_path() / keys["base"], base)) {
    why = "cannot read its base " + keys["base"];
    return false;
  }
  const long line = std::strtol(keys["line"].c_str(), nullptr, 10);
  const size_t keep = std::strtoull(keys["keep"].c_str(), nullptr, 10);
  size_t start = 0;
  for (long i = 1; i < line && start != std::string::npos; ++i) {
    start = base.find('\n', start);
    if (start != std::string::npos) ++start;
  }
  if (line < 1 || start == std::string::npos || start > base.size()) {
    why = "its base has no line " + keys["line"];
    return false;
  }
  size_t end = base.find('\n', start);
  if (end == std::string::npos) end = base.size();
  if (end > start && base[end - 1] == '\r') --end;
  const size_t kept = std::min(keep, end - start);
  out = base.substr(0, start + kept) + repeated + base.substr(end);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s DIR\n", argv[0]);
    return 2;
  }
  std::error_code ec;
  std::vector<fs::path> files;
  for (fs::recursive_directory_iterator it(argv[1], ec), end; !ec && it != end; it.increment(ec))
    if (it->is_regular_file(ec) && it->path().filename().string()[0] != '.')
      files.push_back(it->path());
  if (ec || files.empty()) {
    std::fprintf(stderr, "%s: no inputs in %s\n", argv[0], argv[1]);
    return 1;
  }
  std::sort(files.begin(), files.end());
  for (const fs::path& f : files) {
    std::string input, why;
    const bool recipe = f.extension() == ".gen";
    if (recipe ? !Generate(f, input, why) : !ReadAll(f, input)) {
      std::fprintf(stderr, "%s: %s: %s\n", argv[0], f.c_str(),
                   why.empty() ? "cannot read it" : why.c_str());
      return 1;
    }
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(input.data()), input.size());
  }
  std::printf("%s: %zu inputs replayed from %s\n", argv[0], files.size(), argv[1]);
  return 0;
}
