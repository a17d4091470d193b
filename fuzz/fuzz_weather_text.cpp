// libFuzzer harness of the weather phenomenon text: the input's lines are
// the day texts of a month (up to 31; the first byte chooses the station
// and mode code). Each line is parsed on its own, then the month goes
// through the weather phenomena audit. Besides crashes and hangs it stops
// on a parse that points outside its text or out of order, on a period
// field that is not the length its rule reads, and on a finding that is
// not the audit's own shape or that breaks a character the text had whole.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "afile/audit/audits.h"
#include "afile/audit/weather_phenomena.h"
#include "afile/audit/weather_text.h"
#include "common/text.h"
#include "common/text_file.h"

namespace {

using namespace kelvane;
using namespace kelvane::afile::audit;

[[noreturn]] void Fail(const char* what, std::string_view text) {
  std::fprintf(stderr, "fuzz_weather_text: %s\n  text: %.*s\n", what,
               static_cast<int>(text.size()), text.data());
  std::abort();
}

// v lies inside the storage of one of the strings (or is empty).
bool Inside(std::string_view v, std::initializer_list<std::string_view> in) {
  if (v.empty()) return true;
  for (std::string_view s : in)
    if (v.data() >= s.data() && v.data() + v.size() <= s.data() + s.size()) return true;
  return false;
}

void CheckParse(const WeatherDay& day, std::string_view text) {
  uint32_t last = 0;
  for (const WeatherIssue& i : day.issues()) {
    if (i.offset > text.size()) Fail("issue beyond the text", text);
    if (i.offset < last) Fail("issues out of order", text);
    if (Describe(i.what).empty()) Fail("issue without description", text);
    last = i.offset;
  }
  int index = 0;
  for (const WeatherRecord& r : day.records()) {
    if (r.index <= index) Fail("record indices out of order", text);
    index = r.index;
    if (r.offset > text.size()) Fail("record beyond the text", text);
    if (r.night != (r.index <= day.lastNightIndex())) Fail("night flag", text);
    if (CharCount(r.code()) > 2 || !r.text().starts_with(r.code())) Fail("record code", text);
    if (!Inside(r.rest(), {r.text()})) Fail("record rest outside the record", text);
    if (r.firstPeriod + r.periodCount > day.periods().size()) Fail("record periods", text);
    if ((r.form == RecordForm::Periods) != (r.periodCount > 0)) Fail("record form", text);
    for (const WeatherPeriod* p = day.begin(r); p != day.end(r); ++p) {
      if (p->offset > text.size()) Fail("period beyond the text", text);
      if (!Inside(p->written(), {r.text()})) Fail("period outside its record", text);
      if (CharCount(p->start()) > 4 || CharCount(p->end()) > 4) Fail("time field too long", text);
      if (p->hasEnd != (p->text().find('-') != std::string_view::npos)) Fail("end flag", text);
      if (p->tooShort != (CharCount(p->text()) < 4)) Fail("short flag", text);
      if (p->written().find("...") == std::string_view::npos && p->text() != p->written())
        Fail("text changed without dots", text);
      if (p->text().find("...") != std::string_view::npos && !p->dotted) Fail("dots left", text);
      if ((p->startMinutes == -1) != (p->writtenStart == -1 && p->writtenEnd == -1) && p->hasEnd)
        Fail("unknown times", text);
      if (p->startMinutes < -99 || p->startMinutes > 1440 + 99 || p->endMinutes < -99 ||
          p->endMinutes > 1440 + 99)
        Fail("minutes out of range", text);
      if (p->hasDirections && p->directionCount == 0) Fail("directions", text);
      if (CharCount(p->core()) > CharCount(p->text())) Fail("core longer than the period", text);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const uint8_t flags = data[0];
  const std::string_view input(reinterpret_cast<const char*>(data + 1), size - 1);

  std::vector<std::string_view> lines;
  for (size_t at = 0; at <= input.size() && lines.size() < 31;) {
    size_t nl = input.find('\n', at);
    if (nl == std::string_view::npos) nl = input.size();
    lines.push_back(input.substr(at, nl - at));
    at = nl + 1;
  }

  static WeatherDay day;
  for (std::string_view line : lines) {
    day.Parse(line);
    CheckParse(day, line);
  }

  StringArray w = StringArray::Matrix(1, static_cast<long>(lines.size()), 1, 1);
  for (size_t d = 0; d < lines.size(); ++d) w(static_cast<long>(d) + 1, 1) = std::string(lines[d]);
  VariantArray para = VariantArray::Vector(1, 52);
  StringArray cls = StringArray::Vector(1, 20);
  static constexpr const char* kModes[] = {"0", "", "0=", "="};
  cls(11) = kModes[(flags >> 1) & 3];
  VariantArray sysLib;
  std::string wind;
  JFileData jfile;
  AuditRules rules;
  rules.Reset();
  AuditList list;
  const bool mountain = flags & 1;
  AuditContext cx(para, cls, rules, sysLib, wind, jfile, mountain, list);
  const Grid none;
  AuditWeatherPhenomena(cx, Grid(w), none, none, none, none, none, none, none, none, none, none,
                        mountain);

  const bool wholeText = IsValidUtf8(input);
  for (const AuditList::Row& r : list.rows()) {
    if (r[1] != kWeatherElement || !r[2].empty() || !r[4].empty() || !r[5].empty())
      Fail("finding columns", r[0]);
    if (r[6] != kLevelError && r[6] != kLevelSuspicious) Fail("finding level", r[0]);
    const long d = std::strtol(r[3].c_str(), nullptr, 10);
    if (d < 1 || d > static_cast<long>(lines.size())) Fail("finding day", r[0]);
    if (wholeText && !IsValidUtf8(r[0])) Fail("finding breaks a character", r[0]);
  }
  return 0;
}
