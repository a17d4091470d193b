// Throughput of the A-file format check on the sample station files: one
// file per iteration, as a whole-archive run would do it.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <vector>

#include "host/sample_afile.h"
#include "host/sample_sysdir.h"
#include "kelvane/kelvane.h"

namespace {

struct SampleDir {
  std::string sys;
  std::vector<std::string> files;
  SampleDir() {
    sys = (std::filesystem::temp_directory_path() / "kelvane_bench_sys").string();
    std::filesystem::remove_all(sys);
    kelvane::host::WriteSampleSystemDirectory(sys);
    files = kelvane::host::WriteSampleStationFiles(sys);
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
