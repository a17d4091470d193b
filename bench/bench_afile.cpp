// Throughput of the A-file format check on the sample station files: one
// file per iteration, as a whole-archive run would do it.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <vector>

#include "host/check_file.h"
#include "sample/sample_afile.h"
#include "sample/sample_sysdir.h"
#include "kelvane/kelvane.h"

namespace {

struct SampleDir {
  std::string sys;
  std::vector<std::string> files;
  SampleDir() {
    sys = (std::filesystem::temp_directory_path() / "kelvane_bench_sys").string();
    std::filesystem::remove_all(sys);
    kelvane::sample::WriteSampleSystemDirectory(sys);
    // The A files only, in the order written (two months per station).
    for (const std::string& f : kelvane::sample::WriteSampleStationFiles(sys))
      if (std::filesystem::path(f).filename().string().rfind('A', 0) == 0) files.push_back(f);
    sys += "/";
  }
};

const SampleDir& Samples() {
  static SampleDir d;
  return d;
}

void BM_AFileFormCheck(benchmark::State& state) {
  const SampleDir& d = Samples();
  const std::string& file = d.files.at(static_cast<size_t>(state.range(0)));
  kelvane::KelvaneA a;
  for (auto _ : state) {
    kelvane::VariantArray para = kelvane::VariantArray::Vector(1, 52);
    kelvane::StringArray cls = kelvane::StringArray::Vector(1, 20);
    kelvane::StringArray list;
    kelvane::Status s = a.AFileFormCheck(d.sys, file, para, cls, list);
    if (!s.ok()) state.SkipWithError(s.description().c_str());
    benchmark::DoNotOptimize(list);
  }
  state.SetLabel(std::filesystem::path(file).filename().string());
}
// The sample files come in pairs of months per station: check the second
// month of each station (it also reads the previous month for the
// cross-month line where the station records one).
BENCHMARK(BM_AFileFormCheck)->Arg(1)->Arg(3)->Arg(5)->Unit(benchmark::kMicrosecond);

}  // namespace

namespace {

// What `kelvane check` does per A file: format check, decoding, audit.
void BM_CheckDecodeAudit(benchmark::State& state) {
  const SampleDir& d = Samples();
  const std::string& file = d.files.at(static_cast<size_t>(state.range(0)));
  kelvane::host::CheckOptions opt;
  opt.sysPath = d.sys;
  for (auto _ : state) {
    kelvane::host::FileResult r = kelvane::host::CheckFile(file, opt);
    if (!r.status.ok()) state.SkipWithError(r.status.description().c_str());
    benchmark::DoNotOptimize(r);
  }
  state.SetLabel(std::filesystem::path(file).filename().string());
}
BENCHMARK(BM_CheckDecodeAudit)->Arg(1)->Arg(3)->Arg(5)->Unit(benchmark::kMicrosecond);

}  // namespace
