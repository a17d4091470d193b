// libFuzzer harness of the minute data file reader: the input is written as
// a J file and read for a month of 28 to 31 days (chosen by the input's
// length), then every hour of the three elements is scanned into its
// extremes, as the audits ask for them. Any outcome is fine except a crash,
// a hang, a sanitizer report, or an hour found outside the days and hours
// of a month.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "afile/audit/jfile.h"

namespace {

namespace fs = std::filesystem;

struct Workspace {
  fs::path dir;
  std::string file;
  Workspace() {
    dir = fs::temp_directory_path() / ("kelvane_fuzz_jfile_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    file = (dir / "J54511-201203.TXT").string();
  }
  ~Workspace() {
    std::error_code ec;
    fs::remove_all(dir, ec);
  }
};

void ScanAll(const kelvane::afile::audit::MinuteHours& hours) {
  using kelvane::afile::audit::MinuteHours;
  for (long d = 0; d <= MinuteHours::kDays + 1; ++d)
    for (long c = 0; c <= MinuteHours::kHours + 1; ++c) {
      const auto* h = hours.Find(d, c);
      const bool inside = d >= 1 && d <= MinuteHours::kDays && c >= 1 && c <= MinuteHours::kHours;
      if (!inside && h) {
        std::fprintf(stderr, "an hour outside the month was found: day %ld column %ld\n", d, c);
        std::abort();
      }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const Workspace w;
  {
    std::ofstream out(w.file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  kelvane::afile::audit::JFileData minutes;
  kelvane::afile::audit::ReadJFile(w.file, 28 + static_cast<int>(size % 4), minutes);
  if (minutes.ok) {
    ScanAll(minutes.pressure);
    ScanAll(minutes.temperature);
    ScanAll(minutes.humidity);
  }
  return 0;
}
