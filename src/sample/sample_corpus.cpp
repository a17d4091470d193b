#include "sample/sample_corpus.h"

#include <atomic>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <mutex>
#include <thread>

#include "common/text.h"
#include "sample/sample_afile.h"
#include "sample/sample_rfile.h"
#include "sample/sample_sysdir.h"

namespace kelvane::sample {

namespace {

// "39.48N" moved by `minutes` minutes of arc (kept within its degree).
std::string Shifted(const std::string& coordinate, int minutes) {
  const std::string body = coordinate.substr(0, coordinate.size() - 1);
  const long degrees = static_cast<long>(LeadingInteger(GetField(body, ".", 1)));
  long m = static_cast<long>(LeadingInteger(GetField(body, ".", 2))) + minutes;
  m = ((m % 60) + 60) % 60;
  char buf[32];
  std::snprintf(buf, sizeof buf, "%ld.%02ld%c", degrees, m, coordinate.back());
  return buf;
}

}  // namespace

std::vector<SampleStation> CorpusStations(int n) {
  const std::vector<SampleStation>& models = SampleStations();
  std::vector<SampleStation> out;
  if (n <= 0 || models.empty()) return out;
  out.reserve(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) {
    SampleStation s = models[static_cast<size_t>(i) % models.size()];
    const int round = i / static_cast<int>(models.size());
    char num[16];
    std::snprintf(num, sizeof num, "%05d", 60000 + i);
    s.StationNum = num;
    s.id = "corpus" + std::to_string(i);
    s.StationName += std::to_string(i);
    s.Latitude = Shifted(s.Latitude, (round * 7) % 11 - 5);
    s.Longitude = Shifted(s.Longitude, (round * 3) % 13 - 6);
    out.push_back(std::move(s));
  }
  return out;
}

CorpusFiles WriteSampleCorpus(const std::string& dir, int stations, int months, uint32_t seed,
                              unsigned jobs) {
  const std::vector<SampleStation> list = CorpusStations(stations);
  WriteSampleSystemDirectory(dir, list);
  const std::string data = (std::filesystem::path(dir) / "data").string();
  std::filesystem::create_directories(data);

  // One slot per station, so the lists come out in station order whatever
  // the threads do.
  std::vector<CorpusFiles> perStation(list.size());
  std::atomic<size_t> next{0};
  std::mutex errorMu;
  std::exception_ptr error;
  auto work = [&] {
    for (size_t i; (i = next.fetch_add(1)) < list.size();) {
      try {
        for (int k = 0; k < months; ++k) {
          const int year = 2011 + k / 12, month = 1 + k % 12;
          perStation[i].data.push_back(WriteSampleAFile(list[i], year, month, seed, data));
          const std::string minutes = WriteSampleJFile(list[i], year, month, seed, data);
          if (!minutes.empty()) perStation[i].minute.push_back(minutes);
          // The radiation stations keep an R file of the month beside the A file.
          if (RadiationClassCode(list[i]) != '0')
            perStation[i].data.push_back(WriteSampleRFile(list[i], year, month, seed, data));
        }
      } catch (...) {
        std::lock_guard<std::mutex> lock(errorMu);
        if (!error) error = std::current_exception();
      }
    }
  };
  const unsigned n = std::max(1u, std::min<unsigned>(jobs, static_cast<unsigned>(list.size())));
  std::vector<std::thread> pool;
  for (unsigned t = 1; t < n; ++t) pool.emplace_back(work);
  work();
  for (std::thread& t : pool) t.join();
  if (error) std::rethrow_exception(error);

  CorpusFiles out;
  for (CorpusFiles& f : perStation) {
    out.data.insert(out.data.end(), f.data.begin(), f.data.end());
    out.minute.insert(out.minute.end(), f.minute.begin(), f.minute.end());
  }
  return out;
}

}  // namespace kelvane::sample
