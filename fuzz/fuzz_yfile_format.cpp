// libFuzzer harness of the Y-file format check: the input is written as a
// Y file and checked once with a system directory that does not exist and
// once with the sample system directory; a file the check finds usable is
// then decoded and audited (with the yearly statistics component). Any
// outcome is fine except a crash, a hang or an internal error status.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "kelvane/kelvane.h"
#include "kelvane/year_statistic.h"
#include "sample/sample_sysdir.h"

namespace {

namespace fs = std::filesystem;

struct Workspace {
  fs::path dir;
  std::string file, sysPath, noSysPath;
  Workspace() {
    dir = fs::temp_directory_path() / ("kelvane_fuzz_yfile_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    file = (dir / "Y54511-2012.TXT").string();
    kelvane::sample::WriteSampleSystemDirectory((dir / "sys").string());
    sysPath = (dir / "sys").string() + "/";
    noSysPath = (dir / "nosys").string() + "/";
    (void)kelvane::yearstat::RegisterYearStatistic();
  }
  ~Workspace() {
    std::error_code ec;
    fs::remove_all(dir, ec);
  }
};

bool Unexpected(const kelvane::Status& s) {
  return s.number() == kelvane::kErrInternal || s.number() == kelvane::kErrSubscript ||
         s.number() == kelvane::kErrOverflow;
}

void Check(const Workspace& w, const std::string& sysPath) {
  kelvane::KelvaneY y;
  kelvane::VariantArray para = kelvane::VariantArray::Vector(1, 16);
  kelvane::StringArray list;
  kelvane::Status s = y.YfileFormCheck(sysPath, w.file, para, list);
  if (Unexpected(s)) {
    std::fprintf(stderr, "unexpected status %d: %s\n", s.number(), s.description().c_str());
    std::abort();
  }
  if (!s.ok() || sysPath == w.noSysPath) return;
  // A finished check always leaves the usable flag as a boolean.
  if (!para(4).IsBool()) std::abort();
  if (!para(4).Truth()) return;
  kelvane::YFileArrays arrays;
  s = kelvane::DecodeYFile(w.file, para, arrays);
  if (!s.ok()) std::abort();
  s = y.YfileAuditing(sysPath, para, arrays, list);
  if (!s.ok()) {
    std::fprintf(stderr, "audit status %d: %s\n", s.number(), s.description().c_str());
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const Workspace w;
  {
    std::ofstream out(w.file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  Check(w, w.noSysPath);
  Check(w, w.sysPath);
  return 0;
}
