// libFuzzer harness of the A-file format check: the input is written as an
// A file (and as the previous month's file of the same station, which the
// cross-month check reads) and checked once with a system directory that
// does not exist and once with the sample system directory. Any outcome is
// fine except a crash, a hang or an internal error status.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "sample/sample_sysdir.h"
#include "kelvane/kelvane.h"

namespace {

namespace fs = std::filesystem;

struct Workspace {
  fs::path dir;
  std::string file, previous, sysPath, noSysPath;
  Workspace() {
    dir = fs::temp_directory_path() / ("kelvane_fuzz_afile_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    file = (dir / "A54511-201203.TXT").string();
    previous = (dir / "A54511-201202.TXT").string();
    kelvane::sample::WriteSampleSystemDirectory((dir / "sys").string());
    sysPath = (dir / "sys").string() + "/";
    noSysPath = (dir / "nosys").string() + "/";
  }
  ~Workspace() {
    std::error_code ec;
    fs::remove_all(dir, ec);
  }
};

void Write(const std::string& path, const uint8_t* data, size_t size) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

void Check(const Workspace& w, const std::string& sysPath) {
  kelvane::KelvaneA a;
  kelvane::VariantArray para = kelvane::VariantArray::Vector(1, 52);
  kelvane::StringArray cls = kelvane::StringArray::Vector(1, 20);
  kelvane::StringArray list;
  kelvane::Status s = a.AFileFormCheck(sysPath, w.file, para, cls, list);
  // Internal errors mean an exception the check did not expect.
  if (s.number() == kelvane::kErrInternal || s.number() == kelvane::kErrSubscript ||
      s.number() == kelvane::kErrOverflow) {
    std::fprintf(stderr, "unexpected status %d: %s\n", s.number(), s.description().c_str());
    std::abort();
  }
  if (s.ok() && sysPath != w.noSysPath) {
    // A finished check always leaves the usable flag as a boolean.
    if (!para(6).IsBool()) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const Workspace w;
  Write(w.file, data, size);
  Write(w.previous, data, size);
  Check(w, w.noSysPath);
  Check(w, w.sysPath);
  return 0;
}
