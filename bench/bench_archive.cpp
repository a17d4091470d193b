// Whole-archive runs: `kelvane check` over a generated corpus of sample
// station files, against `wc -l` over the same files (the cost of reading
// every byte once). Each run is a child process, timed by the wall clock,
// its peak memory taken from the kernel's accounting of the child.
//
// Counters: files/s (A files checked per second), x_wc (time over the time
// of wc -l), cpu_x_wc (the same in processor time), x_jobs1 (one job's time
// over this run's, for more jobs), peak_MiB (largest
// resident set of the run). The corpus is
// written once into the temporary directory and kept for later runs
// (KELVANE_BENCH_CORPUS names another place).
#include <benchmark/benchmark.h>

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "sample/sample_afile.h"
#include "sample/sample_corpus.h"
#include "sample/sample_sysdir.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

// The corpora have the same 167 stations (one table of stations and rules
// for all of them) and differ in their number of months: 12 months give
// 2,004 A files, 60 months 10,020.
constexpr int kStations = 167;

struct Corpus {
  std::string dir;
  std::vector<std::string> aFiles;
  std::vector<std::string> allFiles;  // A and minute files
};

// A corpus of about `files` A files: kStations stations x enough months.
const Corpus& CorpusOf(int files) {
  static std::map<int, Corpus> corpora;
  auto it = corpora.find(files);
  if (it != corpora.end()) return it->second;
  const int stations = kStations;
  const int months = (files + kStations - 1) / kStations;
  const char* base = std::getenv("KELVANE_BENCH_CORPUS");
  const fs::path root = fs::path(base ? base : fs::temp_directory_path().string()) /
                        ("kelvane_corpus_" + std::to_string(stations) + "x" +
                         std::to_string(months));
  Corpus c;
  c.dir = root.string();
  const fs::path done = root / "complete";
  if (!fs::exists(done)) {
    fs::remove_all(root);
    const unsigned jobs = std::max(1u, std::thread::hardware_concurrency());
    kelvane::sample::WriteSampleCorpus(c.dir, stations, months, 1, jobs);
    std::ofstream(done.string()) << "ok\n";
  }
  for (const auto& e : fs::directory_iterator(root / "data")) {
    const std::string name = e.path().filename().string();
    if (name.empty()) continue;
    if (name[0] == 'A') c.aFiles.push_back(e.path().string());
    c.allFiles.push_back(e.path().string());
  }
  std::sort(c.aFiles.begin(), c.aFiles.end());
  std::sort(c.allFiles.begin(), c.allFiles.end());
  return corpora.emplace(files, std::move(c)).first->second;
}

struct RunResult {
  double seconds = 0;
  double cpuSeconds = 0;  // user + system time of the child
  long peakKiB = 0;
  int status = -1;
};

// Runs argv with standard output and error to /dev/null.
RunResult Run(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  RunResult r;
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
    posix_spawn_file_actions_destroy(&actions);
    return r;
  }
  int status = 0;
  struct rusage usage {};
  wait4(pid, &status, 0, &usage);
  r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  r.peakKiB = usage.ru_maxrss;
  auto secondsOf = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
  r.cpuSeconds = secondsOf(usage.ru_utime) + secondsOf(usage.ru_stime);
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  posix_spawn_file_actions_destroy(&actions);
  return r;
}

// The best of three runs of wc -l (after one that warms the page cache, the
// first time for a corpus).
RunResult WcRun(const Corpus& c) {
  static std::map<std::string, bool> warm;
  std::vector<std::string> args = {"wc", "-l"};
  args.insert(args.end(), c.allFiles.begin(), c.allFiles.end());
  if (!warm[c.dir]) {
    Run(args);
    warm[c.dir] = true;
  }
  RunResult best;
  best.seconds = best.cpuSeconds = 1e9;
  for (int i = 0; i < 3; ++i) {
    const RunResult r = Run(args);
    best.seconds = std::min(best.seconds, r.seconds);
    best.cpuSeconds = std::min(best.cpuSeconds, r.cpuSeconds);
  }
  return best;
}

std::vector<std::string> CheckArgs(const Corpus& c, int jobs) {
  return {KELVANE_TOOL_PATH, "check", "--quiet", "--output", "summary", "--jobs",
          std::to_string(jobs), "--sys", c.dir, (fs::path(c.dir) / "data").string()};
}

// wc -l over the corpus: the read limit the check is measured against.
void BM_ReadLimitWcLines(benchmark::State& state) {
  const Corpus& c = CorpusOf(static_cast<int>(state.range(0)));
  double total = 0;
  for (auto _ : state) {
    std::vector<std::string> args = {"wc", "-l"};
    args.insert(args.end(), c.allFiles.begin(), c.allFiles.end());
    const RunResult r = Run(args);
    state.SetIterationTime(r.seconds);
    total += r.seconds;
  }
  state.counters["files/s"] =
      benchmark::Counter(static_cast<double>(c.aFiles.size()) * state.iterations() / total);
  state.SetLabel(std::to_string(c.aFiles.size()) + " A files, " +
                 std::to_string(c.allFiles.size()) + " files in all");
}
BENCHMARK(BM_ReadLimitWcLines)->Arg(2000)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

// kelvane check --jobs N over the corpus: format check, decoding and audit
// of every A file with its minute file. Each iteration times wc -l (best of
// three) and then the check, so that both see the same machine: on a shared
// machine the speed of either drifts by a factor of two over minutes. The
// figures are those of the best iteration. For the 2-job runs of the
// smaller corpus (the third argument) an iteration also times one job right
// before, and x_jobs1 is the best one-job time of these
// iterations over the best time of the run (two series minutes apart would
// measure the drift as much as the speed-up).
void BM_ArchiveCheck(benchmark::State& state) {
  const int files = static_cast<int>(state.range(0));
  const Corpus& c = CorpusOf(files);
  const int jobs = static_cast<int>(state.range(1));
  const bool paired = jobs > 1 && state.range(2) != 0;  // x_jobs1 wanted
  WcRun(c);
  Run(CheckArgs(c, jobs));  // the same warm cache as wc had
  double best = 1e9, bestRatio = 1e9, bestCpuRatio = 1e9, bestOne = 1e9;
  long peak = 0;
  for (auto _ : state) {
    const RunResult wc = WcRun(c);
    RunResult one;
    if (paired) one = Run(CheckArgs(c, 1));
    const RunResult r = Run(CheckArgs(c, jobs));
    if (r.status != 0 && r.status != 1) {
      state.SkipWithError("kelvane check failed");
      return;
    }
    state.SetIterationTime(r.seconds);
    best = std::min(best, r.seconds);
    bestRatio = std::min(bestRatio, r.seconds / wc.seconds);
    // The same ratio in processor time, which other load on the machine
    // disturbs less than the wall clock.
    bestCpuRatio = std::min(bestCpuRatio, r.cpuSeconds / wc.cpuSeconds);
    peak = std::max(peak, r.peakKiB);
    if (paired && one.status >= 0) bestOne = std::min(bestOne, one.seconds);
  }
  state.counters["files/s"] = benchmark::Counter(static_cast<double>(c.aFiles.size()) / best);
  state.counters["x_wc"] = benchmark::Counter(bestRatio);
  state.counters["cpu_x_wc"] = benchmark::Counter(bestCpuRatio);
  state.counters["peak_MiB"] = benchmark::Counter(static_cast<double>(peak) / 1024);
  if (paired && bestOne < 1e9) state.counters["x_jobs1"] = benchmark::Counter(bestOne / best);
  state.SetLabel(std::to_string(c.aFiles.size()) + " A files, jobs " + std::to_string(jobs));
}
BENCHMARK(BM_ArchiveCheck)
    ->Args({2000, 1, 0})
    ->Args({2000, 2, 1})
    ->Iterations(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
// Peak memory over five times as many files.
BENCHMARK(BM_ArchiveCheck)
    ->Args({10000, 2, 0})
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// One A file whose cloud-form or weather line of day 1 is replaced by 8 MiB
// of records (a corrupt archive file), checked with the tool's default
// bound on findings: time and peak memory of the whole run.
void BM_LongLine(benchmark::State& state) {
  struct Line {
    const char* marker;
    const char* record;
    const char* end;
  };
  static const Line kLines[] = {
      {"\r\nC0\r\n", "XX ", ","},                // unknown cloud forms
      {"\r\nW0\r\n", "XX,", "."},                // unknown weather codes
      {"\r\nW0\r\n", "(60 0100-0345),", "."},    // night weather records with periods
  };
  const Line& line = kLines[state.range(0)];
  const fs::path dir = fs::temp_directory_path() / "kelvane_bench_long_line";
  if (!fs::exists(dir / "data" / "A53772-201203.TXT")) {
    kelvane::sample::WriteSampleSystemDirectory(dir.string());
    kelvane::sample::WriteSampleStationFiles(dir.string());
  }
  std::ifstream in(dir / "data" / "A53772-201203.TXT", std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(in)), {});
  const size_t at = text.find(line.marker);
  if (at == std::string::npos) {
    state.SkipWithError("sample file without the line");
    return;
  }
  const size_t from = at + std::string_view(line.marker).size();
  const size_t to = text.find("\r\n", from);
  std::string big;
  const size_t bytes = size_t{8} << 20;
  big.reserve(bytes + 64);
  while (big.size() < bytes) big += line.record;
  big += line.end;
  text.replace(from, to - from, big);
  fs::create_directories(dir / "long");
  const std::string file = (dir / "long" / "A53772-201203.TXT").string();
  std::ofstream(file, std::ios::binary | std::ios::trunc) << text;

  const std::vector<std::string> args = {KELVANE_TOOL_PATH, "check", "--quiet", "--output",
                                         "csv", "--sys", dir.string(), file};
  long peak = 0;
  for (auto _ : state) {
    const RunResult r = Run(args);
    if (r.status != 0 && r.status != 1) {
      state.SkipWithError("kelvane check failed");
      return;
    }
    state.SetIterationTime(r.seconds);
    peak = std::max(peak, r.peakKiB);
  }
  state.counters["peak_MiB"] = benchmark::Counter(static_cast<double>(peak) / 1024);
  state.SetLabel(std::string("8 MiB of \"") + line.record + "\"");
}
BENCHMARK(BM_LongLine)->DenseRange(0, 2)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
