// Folders of the tests' own below the temporary directory: one per object,
// removed with it, and the sample system directory shared by the process.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <string>

#include "sample/sample_sysdir.h"

namespace kelvane::testing {

// A fresh folder named after `prefix`, the process and a counter, so that
// parallel test programs and successive tests never share one.
class ScratchDir {
 public:
  explicit ScratchDir(const std::string& prefix) {
    static int counter = 0;
    dir_ = std::filesystem::temp_directory_path() /
           (prefix + "_" + std::to_string(::getpid()) + "_" + std::to_string(++counter));
    std::filesystem::create_directories(dir_);
  }
  ~ScratchDir() {
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  std::string Path(const std::string& name) const { return (dir_ / name).string(); }
  const std::filesystem::path& dir() const { return dir_; }

 private:
  std::filesystem::path dir_;
};

// The sample system directory (with its trailing "/"), written on first use
// and removed when the test program ends. Tests only read it.
inline const std::string& SampleSystemPath() {
  struct SysDir {
    ScratchDir dir{"kelvane_sample_sys"};
    std::string path;
    SysDir() {
      sample::WriteSampleSystemDirectory(dir.dir().string());
      path = dir.dir().string() + "/";
    }
  };
  static const SysDir sys;
  return sys.path;
}

}  // namespace kelvane::testing
