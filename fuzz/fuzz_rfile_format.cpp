// libFuzzer harness of the R-file format check: the input is written as an
// R file and checked once with a system directory that does not exist and
// once with the sample system directory; a file the check finds usable is
// decoded and audited as a host does. Any outcome is fine except a crash,
// a hang or an internal error status.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "kelvane/kelvane.h"
#include "sample/sample_sysdir.h"

namespace {

namespace fs = std::filesystem;

struct Workspace {
  fs::path dir;
  std::string file, sysPath, noSysPath;
  Workspace() {
    dir = fs::temp_directory_path() / ("kelvane_fuzz_rfile_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    file = (dir / "R54399-201203.TXT").string();
    kelvane::sample::WriteSampleSystemDirectory((dir / "sys").string());
    sysPath = (dir / "sys").string() + "/";
    noSysPath = (dir / "nosys").string() + "/";
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
  kelvane::KelvaneR r;
  kelvane::VariantArray para = kelvane::VariantArray::Vector(1, 12);
  kelvane::StringArray list;
  kelvane::DataFile file;
  if (!file.Open(w.file).ok()) return;
  kelvane::Status s = r.RFileFormCheck(sysPath, file, para, list);
  if (Unexpected(s)) {
    std::fprintf(stderr, "unexpected status %d: %s\n", s.number(), s.description().c_str());
    std::abort();
  }
  if (!s.ok() || sysPath == w.noSysPath) return;
  if (!para(6).IsBool()) std::abort();
  if (!para(6).Truth()) return;
  kelvane::RFileArrays arrays;
  if (!kelvane::DecodeRFile(file, para, arrays).ok()) std::abort();
  s = r.RFileAuditing(sysPath, para, arrays, list);
  if (Unexpected(s)) {
    std::fprintf(stderr, "unexpected audit status %d: %s\n", s.number(), s.description().c_str());
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
