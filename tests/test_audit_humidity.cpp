// The humidity audits: wet bulb and the psychrometric recomputation, vapour
// pressure and dew point against extremes and air temperature, relative
// humidity with its daily minimum and the minute data; and the sample
// station files, which pass them without a finding.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "afile/audit/audits.h"
#include "afile/audit/rules.h"
#include "afile/audit/toolkit.h"
#include "audit_test_support.h"
#include "common/formulas.h"
#include "common/text.h"
#include "host/decoder.h"
#include "kelvane/kelvane.h"

namespace kelvane::afile::audit {
namespace {

// Findings as "message|element|related|day|time|level" lines.
std::string Show(const AuditList& list) {
  std::string s;
  for (const AuditList::Row& r : list.rows())
    s += r[0] + "|" + r[1] + "|" + r[2] + "|" + r[3] + "|" + r[4] + "|" + r[6] + "\n";
  return s;
}

std::string Lines(const std::vector<std::string>& v) {
  std::string s;
  for (const std::string& l : v) s += l + "\n";
  return s;
}

using kelvane::testing::Filled;

// The call's parameters around the element arrays: rule entries 13..17,
// station type, ventilation code, station settings, minute data.
struct Setting {
  bool manual = false;
  std::string vent;
  double c0 = 0, c1 = 1;  // SysLib 27, 28: the hygrometer reads humidity directly
  bool jfileOk = false;
};

Setting ManualStation(const std::string& vent = "") {
  Setting s;
  s.manual = true;
  s.vent = vent;
  return s;
}
Setting WithMinuteData(bool ok) {
  Setting s;
  s.jfileOk = ok;
  return s;
}

class Call {
 public:
  explicit Call(const Setting& s) : wind_(s.vent) {
    para_(17) = Variant(s.manual ? "人工" : "自动");
    sysLib_(27) = Variant(s.c0);
    sysLib_(28) = Variant(s.c1);
    sysLib_(29) = Variant(0.0);
    sysLib_(30) = Variant(0.0);
    sysLib_(72) = Variant(1000.0);
    rules_.Reset();
    rules_.Set(13, "-300");
    rules_.Set(14, "20");
    rules_.Set(15, "300");
    rules_.Set(16, "280");
    rules_.Set(17, "-400");
    jfile_.ok = s.jfileOk;
    cx_.emplace(para_, cls_, rules_, sysLib_, wind_, jfile_, false, list_);
  }
  AuditContext& cx() { return *cx_; }
  const AuditList& list() const { return list_; }

 private:
  VariantArray para_ = VariantArray::Vector(1, 52);
  StringArray cls_ = StringArray::Vector(1, 20);
  VariantArray sysLib_ = VariantArray::Vector(1, 72);
  std::string wind_;
  JFileData jfile_;
  AuditRules rules_;
  AuditList list_;
  std::optional<AuditContext> cx_;
};

// ---------------------------------------------------------------------------
// AuditPsychrometry

struct Humidity {
  StringArray P, T, I, E, U, TD, w;
};

// One observation written consistently: dry bulb, wet bulb, pressure and the
// vapour pressure, relative humidity and dew point the formulas give for
// them (from relative humidity when `u` is set; the wet bulb is then "-").
struct Reading {
  long day, column;
  const char* T;
  const char* I;
  const char* P;
  const char* u = nullptr;
};

// A cell set after the readings: `text`, or the cell's number plus `add`
// when text is null.
struct Edit {
  StringArray Humidity::*array;
  long day, column;
  const char* text;
  int add = 0;
};

void Write(Humidity& h, const Reading& r, const Setting& s) {
  const std::string vent = s.manual ? s.vent : "0.8";
  std::string e, u, td;
  h.T(r.day, r.column) = r.T;
  h.P(r.day, r.column) = r.P;
  if (r.u) {
    const std::string rh = std::string(r.u) == "%%" ? "100" : r.u;
    HumidityFromPsychrometer(r.T, rh + "U", "10000", "0.8", e, u, td, 1000, 0, 1, 0, 0);
    h.I(r.day, r.column) = "-";
    h.U(r.day, r.column) = r.u;
  } else {
    HumidityFromPsychrometer(r.T, r.I, r.P, vent, e, u, td, 1000, s.c0, s.c1, 0, 0);
    h.I(r.day, r.column) = r.I;
    h.U(r.day, r.column) = u;
  }
  h.E(r.day, r.column) = e;
  h.TD(r.day, r.column) = td;
}

// Two days; hourly (automatic station) or four observations (manual).
Humidity Observations(bool hourly, const Setting& s) {
  const long days = 2, times = hourly ? 24 : 4;
  Humidity h{Filled(days, hourly ? 28 : 6, "-"), Filled(days, hourly ? 28 : 6, "-"),
             Filled(days, times, "-"),           Filled(days, times, "-"),
             Filled(days, hourly ? 26 : 5, "-"), Filled(days, times, "-"),
             Filled(days, 1, "60,.")};
  for (long d = 1; d <= days; ++d)
    for (long c = 1; c <= times; ++c) Write(h, {d, c, "200", "150", "10000"}, s);
  return h;
}

// The readings written with the setting `written` (the audited one when
// not given), then the edits, then the audit.
std::string RunPsychrometry(const Setting& s, bool hourly, const std::vector<Reading>& readings,
                            const std::vector<Edit>& edits,
                            const std::optional<Setting>& written = std::nullopt) {
  const Setting& w = written ? *written : s;
  Humidity h = Observations(hourly, w);
  for (const Reading& r : readings) Write(h, r, w);
  for (const Edit& e : edits) {
    std::string& cell = (h.*e.array)(e.day, e.column);
    cell = e.text ? e.text : std::to_string(LeadingInteger(cell) + e.add);
  }
  Call call(s);
  AuditPsychrometry(call.cx(), Grid(h.P), Grid(h.T), Grid(h.I), Grid(h.E), Grid(h.U),
                    Grid(h.TD), Grid(h.w));
  return Show(call.list());
}

TEST(AuditPsychrometryTest, WetBulbReadings) {
  // A manual station without a ventilation code: only the wet-bulb pass.
  const Setting manual = ManualStation();
  struct Case {
    const char* name;
    std::vector<Edit> edits;
    std::vector<std::string> findings;
  };
  const std::vector<Case> cases = {
      {"consistent readings", {}, {}},
      {"below the lower extreme", {{&Humidity::I, 1, 3, "-301"}, {&Humidity::I, 2, 3, "-300"}},
       {"记录超气候极值|湿球温度||1|14|可疑"}},
      {"decimal and text", {{&Humidity::I, 1, 1, "15.0"}, {&Humidity::I, 2, 4, "x"}},
       {"记录格式错误|湿球温度||1|2|错误", "记录格式错误|湿球温度||2|20|错误"}},
      {"wet above dry", {{&Humidity::I, 2, 2, "201"}, {&Humidity::I, 2, 3, "200"}},
       {"湿球温度大于干球温度|湿球温度|气温|2|8|错误"}},
      {"iced bulb: dry bulb plus 5 is the limit",
       {{&Humidity::T, 1, 2, "-8"}, {&Humidity::I, 1, 2, "-5B"},
        {&Humidity::T, 1, 3, "-8"}, {&Humidity::I, 1, 3, "-5"},
        {&Humidity::T, 1, 4, "-8"}, {&Humidity::I, 1, 4, "-2B"}},
       {"湿球温度结冰,天气现象无结冰符号|湿球温度|天气现象|1|8|可疑",
        "湿球温度大于干球温度|湿球温度|气温|1|14|错误",
        "湿球温度大于干球温度|湿球温度|气温|1|20|错误",
        "湿球温度结冰,天气现象无结冰符号|湿球温度|天气现象|1|20|可疑"}},
      {"iced above 0 °C", {{&Humidity::I, 1, 1, "12B"}},
       {"湿球温度0℃以上结冰|湿球温度||1|2|可疑",
        "湿球温度结冰,天气现象无结冰符号|湿球温度|天气现象|1|2|可疑"}},
      {"icing in the weather: at the start, after a comma, in parentheses",
       {{&Humidity::I, 1, 1, "-20B"}, {&Humidity::w, 1, 1, "03."},
        {&Humidity::I, 2, 1, "-20B"}, {&Humidity::w, 2, 1, "60,03,."},
        {&Humidity::I, 2, 2, "-20B"}}, {}},
      {"icing in parentheses", {{&Humidity::I, 1, 1, "-20B"}, {&Humidity::w, 1, 1, "60(03)."}},
       {}},
      {"03 inside another code is no icing", {{&Humidity::I, 1, 1, "-20B"}, {&Humidity::w, 1, 1, "103."}},
       {"湿球温度结冰,天气现象无结冰符号|湿球温度|天气现象|1|2|可疑"}},
      {"an iced reading that is no number", {{&Humidity::I, 1, 1, "B"}},
       {"记录格式错误|湿球温度||1|2|错误", "湿球温度结冰,天气现象无结冰符号|湿球温度|天气现象|1|2|可疑"}},
      // Missing values.
      {"missing wet bulb: the format finding only", {{&Humidity::I, 1, 1, "///"}},
       {"记录格式错误|湿球温度||1|2|错误"}},
      {"missing dry bulb is not 0", {{&Humidity::T, 1, 1, "////"}}, {}},
      {"absent wet bulb", {{&Humidity::I, 1, 1, "-"}, {&Humidity::I, 1, 2, ""}}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(RunPsychrometry(manual, false, {}, c.edits), Lines(c.findings));
  }
}

TEST(AuditPsychrometryTest, AutomaticStationRecomputation) {
  const Setting automatic;
  Setting hygrometer;
  hygrometer.c0 = 10;
  hygrometer.c1 = 1;
  struct Case {
    const char* name;
    std::vector<Reading> readings;
    std::vector<Edit> edits;
    std::vector<std::string> findings;
  };
  const std::vector<Case> cases = {
      {"every value from the same formulas",
       {{1, 5, "-52", "-80B", "9874"}, {2, 24, "315", "260", "9990"}, {2, 1, "150", "150", "10000"}},
       {{&Humidity::w, 1, 1, "03,."}}, {}},
      {"each recorded value one off",
       {},
       {{&Humidity::E, 1, 5, nullptr, 1}, {&Humidity::U, 1, 6, nullptr, -2},
        {&Humidity::TD, 2, 24, nullptr, 3}},
       {"水汽压审核计算值与A文件中的差为1|水汽压|气温/相对湿度|1|1|错误",
        "相对湿度审核计算值与A文件中的差为-2|相对湿度|气温/湿球温度|1|2|错误",
        "露点温度审核计算值与A文件中的差为3|露点温度|气温/相对湿度|2|20|错误"}},
      {"recorded values that are no numbers are not compared",
       {}, {{&Humidity::E, 1, 5, "x"}, {&Humidity::TD, 1, 5, "////"}}, {}},
      {"relative humidity 100 written %%",
       {{1, 7, "150", "150", "10000"}}, {{&Humidity::U, 1, 7, "%%"}}, {}},
      {"%% against a drier reading",
       {}, {{&Humidity::U, 1, 7, "%%"}},
       {"相对湿度审核计算值与A文件中的差为44|相对湿度|气温/湿球温度|1|3|错误"}},
      {"hygrometer reading through the station's coefficients",
       {{1, 8, "200", "48F", "10000"}}, {}, {"记录格式错误|湿球温度||1|4|错误"}},
      // Without a wet bulb or without pressure: from relative humidity.
      {"from relative humidity: 0.2 off is no finding",
       {{1, 9, "200", "-", "10000", "58"}, {1, 10, "-35", "-", "10000", "73"}},
       {{&Humidity::E, 1, 9, nullptr, 2}, {&Humidity::TD, 1, 10, nullptr, -2}}, {}},
      {"from relative humidity: 0.3 off",
       {{1, 9, "200", "-", "10000", "58"}, {1, 10, "-35", "-", "10000", "73"}},
       {{&Humidity::E, 1, 9, nullptr, 12}, {&Humidity::TD, 1, 10, nullptr, -3}},
       {"水汽压与反查计算的值相差达0.3hPa以上(1.2)|水汽压|气温/相对湿度|1|5|可疑",
        "露点温度与反查计算的值相差达0.3℃以上(0.3)|露点温度|气温/相对湿度|1|6|可疑"}},
      {"from relative humidity 100 written %%", {{2, 3, "150", "-", "10000", "%%"}}, {}, {}},
      {"no pressure: from relative humidity",
       {{2, 4, "200", "150", "10000"}}, {{&Humidity::P, 2, 4, "-"}, {&Humidity::E, 2, 4, nullptr, 2}},
       {}},
      {"absent recorded values are not compared",
       {{1, 9, "200", "-", "10000", "58"}}, {{&Humidity::E, 1, 9, "-"}, {&Humidity::TD, 1, 9, ""}},
       {}},
      // Missing values take part in no recomputation.
      {"missing wet bulb: from relative humidity", {}, {{&Humidity::I, 1, 5, "////"}},
       {"记录格式错误|湿球温度||1|1|错误"}},
      {"missing pressure: from relative humidity", {}, {{&Humidity::P, 1, 5, "////"}}, {}},
      {"missing dry bulb or humidity: no recomputation", {},
       {{&Humidity::T, 1, 5, "////"}, {&Humidity::U, 1, 6, "//"}, {&Humidity::T, 1, 7, "-"}}, {}},
      {"missing recorded values", {},
       {{&Humidity::E, 1, 5, "////"}, {&Humidity::U, 1, 6, "//"}, {&Humidity::TD, 1, 7, "////"},
        {&Humidity::I, 1, 8, "-"}, {&Humidity::E, 1, 8, "////"}, {&Humidity::TD, 1, 8, "///"}},
       {}},
      {"readings the formulas cannot evaluate are not recomputed", {},
       {{&Humidity::T, 1, 5, "-99999"}, {&Humidity::I, 1, 5, "-99999"},
        {&Humidity::T, 1, 6, "-3000"}, {&Humidity::I, 1, 6, "-"}},
       {"记录超气候极值|湿球温度||1|1|可疑"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Setting s = std::string(c.name).starts_with("hygrometer")
                          ? hygrometer  // 48 read on the hygrometer is 58 %
                          : automatic;
    EXPECT_EQ(RunPsychrometry(s, true, c.readings, c.edits), Lines(c.findings));
  }
}

TEST(AuditPsychrometryTest, ManualStationRecomputation) {
  const Setting manual = ManualStation("2.5");
  struct Case {
    const char* name;
    Setting setting;
    std::vector<Reading> readings;
    std::vector<Edit> edits;
    std::vector<std::string> findings;
  };
  const std::vector<Case> cases = {
      {"every value from the same formulas with the station's ventilation", manual,
       {{1, 2, "-52", "-80B", "9874"}, {2, 4, "315", "260", "9990"}},
       {{&Humidity::w, 1, 1, "60(03)."}}, {}},
      {"each recorded value off", manual, {},
       {{&Humidity::E, 1, 1, nullptr, -1}, {&Humidity::U, 1, 2, nullptr, 1},
        {&Humidity::TD, 2, 4, nullptr, 4}},
       {"水汽压审核计算值与A文件中的差为-1|水汽压|气温/相对湿度|1|2|错误",
        "相对湿度审核计算值与A文件中的差为1|相对湿度|气温/湿球温度|1|8|错误",
        "露点温度审核计算值与A文件中的差为4|露点温度|气温/相对湿度|2|20|错误"}},
      {"no ventilation code: no recomputation", ManualStation(), {},
       {{&Humidity::E, 1, 1, nullptr, 5}}, {}},
      {"without a wet bulb: any difference", manual,
       {{1, 3, "200", "-", "10000", "58"}, {2, 1, "-35", "-", "10000", "73"}},
       {{&Humidity::E, 1, 3, nullptr, 1}, {&Humidity::TD, 2, 1, nullptr, -2}},
       {"水汽压与反查计算值的差为1|水汽压|气温/相对湿度|1|14|错误",
        "露点温度与反查计算值的差为-2|露点温度|气温/相对湿度|2|2|错误"}},
      {"wet bulb written ',' or empty", manual,
       {{1, 3, "200", "-", "10000", "58"}, {2, 1, "-35", "-", "10000", "73"}},
       {{&Humidity::I, 1, 3, ","}, {&Humidity::I, 2, 1, ""}, {&Humidity::E, 1, 3, nullptr, 1},
        {&Humidity::E, 2, 1, nullptr, 1}},
       {"记录格式错误|湿球温度||1|14|错误",
        "水汽压与反查计算值的差为1|水汽压|气温/相对湿度|1|14|错误",
        "水汽压与反查计算值的差为1|水汽压|气温/相对湿度|2|2|错误"}},
      {"relative humidity 100 written %%", manual, {{1, 3, "150", "-", "10000", "%%"}}, {}, {}},
      {"missing wet bulb: from relative humidity", manual,
       {{1, 3, "200", "-", "10000", "58"}},
       {{&Humidity::I, 1, 3, "///"}, {&Humidity::TD, 1, 3, nullptr, 1}},
       {"记录格式错误|湿球温度||1|14|错误",
        "露点温度与反查计算值的差为1|露点温度|气温/相对湿度|1|14|错误"}},
      {"missing dry bulb, pressure or humidity: no recomputation", manual,
       {{1, 3, "200", "-", "10000", "58"}},
       {{&Humidity::T, 1, 1, "////"}, {&Humidity::P, 1, 2, "////"}, {&Humidity::U, 1, 3, "//"}},
       {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(RunPsychrometry(c.setting, false, c.readings, c.edits), Lines(c.findings));
  }

  // Readings of a 2.5 m/s psychrometer (A = 6620e-8) audited as a 0.4 m/s
  // one (8150e-8): at 20.0 / 15.0 °C and 1000 hPa the vapour pressure is
  // 13.7 instead of 13.0 hPa, the humidity 59 instead of 55 %, the dew
  // point 0.9 °C higher; so at every observation.
  const std::string shown = RunPsychrometry(ManualStation("0.4"), false, {}, {}, manual);
  EXPECT_EQ(shown.substr(0, shown.find("|1|8|")),
            "水汽压审核计算值与A文件中的差为7|水汽压|气温/相对湿度|1|2|错误\n"
            "相对湿度审核计算值与A文件中的差为4|相对湿度|气温/湿球温度|1|2|错误\n"
            "露点温度审核计算值与A文件中的差为9|露点温度|气温/相对湿度|1|2|错误\n"
            "水汽压审核计算值与A文件中的差为7|水汽压|气温/相对湿度");
  EXPECT_EQ(std::count(shown.begin(), shown.end(), '\n'), 3 * 8);
}

// ---------------------------------------------------------------------------
// AuditAgainstAirTemperature

TEST(AuditAgainstAirTemperatureTest, ExtremesAirTemperatureAndGaps) {
  struct Case {
    const char* name;
    const char* element;
    int rule;
    long columns;
    std::vector<std::pair<std::pair<long, long>, const char*>> cells;  // (day, column) text
    std::vector<std::pair<std::pair<long, long>, const char*>> air;
    std::vector<std::string> findings;
  };
  const std::vector<Case> cases = {
      {"vapour pressure within its extreme and above the air temperature", "水汽压", 15, 24,
       {{{1, 1}, "300"}, {{2, 2}, "250"}}, {}, {}},
      {"vapour pressure above its extreme", "水汽压", 15, 24, {{{1, 2}, "301"}}, {},
       {"记录超气候极值|水汽压||1|22|可疑"}},
      {"format", "水汽压", 15, 24, {{{1, 6}, "12.0"}, {{2, 1}, "1O"}}, {},
       {"记录格式错误|水汽压||1|2|错误", "记录格式错误|水汽压||2|21|错误",
        "相邻前后两时次数据正常,该时记录不应缺测|水汽压||2|21|错误"}},
      {"a gap between two hours", "水汽压", 15, 24, {{{1, 6}, "-"}, {{2, 1}, ""}}, {},
       {"相邻前后两时次数据正常,该时记录不应缺测|水汽压||1|2|错误",
        "相邻前后两时次数据正常,该时记录不应缺测|水汽压||2|21|错误"}},
      {"a missing hour", "水汽压", 15, 24, {{{1, 24}, "////"}}, {},
       {"记录格式错误|水汽压||1|20|错误", "相邻前后两时次数据正常,该时记录不应缺测|水汽压||1|20|错误"}},
      {"the first and the last hour have no outer neighbour", "水汽压", 15, 24,
       {{{1, 1}, "-"}, {{2, 24}, "-"}}, {}, {}},
      {"two gaps in a row", "水汽压", 15, 24, {{{1, 6}, "-"}, {{1, 7}, "-"}}, {}, {}},
      {"four observations: labels, no gap rule", "水汽压", 15, 4,
       {{{1, 3}, "-"}, {{2, 3}, "301"}}, {}, {"记录超气候极值|水汽压||2|14|可疑"}},
      {"dew point extremes", "露点温度", 16, 24,
       {{{1, 1}, "281"}, {{1, 2}, "-401"}, {{1, 3}, "-400"}},
       {{{1, 1}, "300"}}, {"记录超气候极值|露点温度||1|21|可疑", "记录超气候极值|露点温度||1|22|可疑"}},
      {"dew point above the air temperature", "露点温度", 16, 4,
       {{{1, 1}, "201"}, {{1, 2}, "200"}, {{1, 3}, "210"}, {{1, 4}, "210"}},
       {{{1, 3}, "////"}, {{1, 4}, "-"}}, {"露点温度与气温矛盾|露点温度|气温|1|2|错误"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    StringArray values = Filled(2, c.columns, "100");
    StringArray air = Filled(2, c.columns == 24 ? 28 : 6, "200");
    for (const auto& [at, text] : c.cells) values(at.first, at.second) = text;
    for (const auto& [at, text] : c.air) air(at.first, at.second) = text;
    Call call(Setting{});
    AuditAgainstAirTemperature(call.cx(), Grid(values), Grid(air), c.element, c.rule);
    EXPECT_EQ(Show(call.list()), Lines(c.findings));
  }
}

// ---------------------------------------------------------------------------
// AuditRelativeHumidity

// Minute line of an hour: 60 tokens of `fill`, with `at` token k set to text.
std::string MinuteLine(const char* fill, std::vector<std::pair<int, const char*>> at = {}) {
  std::vector<std::string> tokens(60, fill);
  for (const auto& [k, text] : at) tokens[static_cast<size_t>(k - 1)] = text;
  std::string s;
  for (size_t i = 0; i < tokens.size(); ++i) s += (i ? " " : "") + tokens[i];
  return s;
}

struct HumidityCase {
  const char* name;
  std::vector<std::pair<std::pair<long, long>, const char*>> cells;
  std::vector<std::pair<std::pair<long, long>, std::string>> minutes;  // (day, hour column)
  std::vector<std::string> findings;
  bool jfileOk = true;
  long columns = 26;
};

// Three days, every hour 60 %, the daily minimum 55 % at 14:35; the minute
// data agrees (55 at minute 35 of the hour ending at 15).
std::string RunRelativeHumidity(const HumidityCase& c) {
  const long columns = c.columns;
  StringArray u = Filled(3, columns, "60");
  StringArray j = Filled(31, 24, MinuteLine("61"));
  for (long d = 1; d <= 3; ++d) {
    if (columns >= 25) u(d, 25) = "55";
    if (columns == 26) u(d, 26) = "1435";
    if (columns == 5) u(d, 5) = "55";
    j(d, 19) = MinuteLine("60", {{35, "55"}});
  }
  for (const auto& [at, text] : c.cells) u(at.first, at.second) = text;
  for (const auto& [at, text] : c.minutes) j(at.first, at.second) = text;
  Call call(WithMinuteData(c.jfileOk));
  AuditRelativeHumidity(call.cx(), Grid(u), kelvane::testing::ScanHours(j), c.jfileOk);
  return Show(call.list());
}

TEST(AuditRelativeHumidityTest, CellsAndTheTimeOfTheMinimum) {
  const std::vector<HumidityCase> cases = {
      {"consistent day", {}, {}, {}},
      {"100 written %% is a value", {{{1, 10}, "%%"}, {{2, 24}, "%%"}}, {}, {}},
      {"impossible values", {{{1, 10}, "101"}, {{2, 25}, "-1"}, {{2, 11}, "100"}, {{2, 12}, "0"}},
       {},
       {"记录不可能|相对湿度||1|6|错误", "记录不可能|相对湿度||2|最小|错误",
        "最小值与对应J文件分钟值不一致|相对湿度||2|最小/15|可疑"}},
      // A malformed text takes no part in the fixed-hour minimum.
      {"format", {{{1, 10}, "6.5"}, {{1, 12}, "x"}}, {},
       {"记录格式错误|相对湿度||1|6|错误", "记录格式错误|相对湿度||1|8|错误",
        "相邻前后两时次数据正常,该时记录应内插|相对湿度||1|8|错误"}},
      {"a gap, and a gap next to %%", {{{1, 10}, "-"}, {{2, 9}, "%%"}, {{2, 10}, ""}}, {},
       {"相邻前后两时次数据正常,该时记录应内插|相对湿度||1|6|错误",
        "相邻前后两时次数据正常,该时记录应内插|相对湿度||2|6|错误"}},
      {"a missing hour: format and gap, no minimum", {{{1, 10}, "////"}}, {},
       {"记录格式错误|相对湿度||1|6|错误", "相邻前后两时次数据正常,该时记录应内插|相对湿度||1|6|错误"}},
      {"bad times", {{{1, 26}, "2561"}, {{2, 26}, "1261"}, {{3, 26}, "14.3"}}, {},
       {"记录格式错|相对湿度||1|最小时|错误", "记录格式错|相对湿度||2|最小时|错误",
        "最小值与对应J文件分钟值不一致|相对湿度||2|最小/13|可疑",
        "最小值出现时间与对应J文件分钟值不一致|相对湿度||2|最小时/13|可疑",
        "记录格式错误|相对湿度||3|最小时|错误",
        "最小值出现时间与对应J文件分钟值不一致|相对湿度||3|最小时/15|可疑"}},
      {"time on the hour agreeing with that hour", {{{1, 26}, "1400"}, {{1, 18}, "55"}},
       {{{1, 18}, MinuteLine("60", {{60, "55"}})}}, {}},
      {"time on the hour disagreeing: no minute comparison that day",
       {{{1, 26}, "0800"}, {{2, 26}, "2400"}, {{3, 26}, "0000"}}, {},
       {"极值出现在正点,但与该时正点值不一致|相对湿度||1|最小时/8|错误",
        "极值出现在正点,但与该时正点值不一致|相对湿度||2|最小时/24|错误",
        "极值出现在正点,但与该时正点值不一致|相对湿度||3|最小时/0|错误"}},
      {"time on the hour: %% against 100, and a missing hour",
       {{{1, 26}, "0800"}, {{1, 25}, "100"}, {{1, 12}, "%%"}, {{2, 26}, "0800"}, {{2, 12}, "//"}},
       {},
       {"最小值与对应J文件分钟值不一致|相对湿度||1|最小/08|可疑",
        "记录格式错误|相对湿度||2|8|错误",
        "相邻前后两时次数据正常,该时记录应内插|相对湿度||2|8|错误",
        "最小值与对应J文件分钟值不一致|相对湿度||2|最小/08|可疑",
        "最小值与定时值矛盾|相对湿度||1|最小/21|错误"}},
  };
  for (const HumidityCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(RunRelativeHumidity(c), Lines(c.findings));
  }
}

TEST(AuditRelativeHumidityTest, MinimumAgainstTheMinuteData) {
  const std::vector<HumidityCase> cases = {
      {"fixed-width record against a plain minute value",
       {{{1, 25}, "05"}, {{1, 26}, "1435"}, {{1, 19}, "06"}},
       {{{1, 19}, MinuteLine("60", {{35, "5"}})}},
       {}},
      {"value and minute differ", {{{1, 25}, "56"}, {{2, 26}, "1436"}}, {},
       {"最小值与对应J文件分钟值不一致|相对湿度||1|最小/15|可疑",
        "最小值出现时间与对应J文件分钟值不一致|相对湿度||2|最小时/15|可疑"}},
      {"every minute of the minimum counts", {{{1, 26}, "1412"}},
       {{{1, 19}, MinuteLine("60", {{12, "55"}, {35, "55"}})}}, {}},
      {"minute 60 is 00 of the next hour", {{{1, 26}, "1500"}, {{1, 19}, "55"}},
       {{{1, 19}, MinuteLine("60", {{60, "55"}})}}, {}},
      {"minute after midnight is the hour ending at 1", {{{1, 26}, "0030"}},
       {{{1, 5}, MinuteLine("70", {{30, "55"}})}}, {}},
      {"missing and %% minutes", {},
       {{{1, 19}, MinuteLine("////", {{35, "55"}, {36, "%%"}, {1, ""}})}}, {}},
      {"%% is 100 in the minute data", {{{1, 25}, "%%"}, {{1, 26}, "1435"}},
       {{{1, 19}, MinuteLine("%%")}},
       {"最小值与定时值矛盾|相对湿度||1|最小/21|错误"}},
      {"an hour without minute values: no comparison", {{{1, 25}, "40"}},
       {{{1, 19}, MinuteLine("////")}}, {}},
      {"missing minimum: its time is still compared", {{{1, 25}, "//"}, {{1, 26}, "1436"}}, {},
       {"记录格式错误|相对湿度||1|最小|错误",
        "最小值出现时间与对应J文件分钟值不一致|相对湿度||1|最小时/15|可疑"}},
      {"minute data not usable", {{{1, 25}, "56"}, {{2, 26}, "1436"}}, {}, {}, false},
      {"time not of four characters", {{{1, 26}, "935"}}, {},
       {"记录格式错|相对湿度||1|最小时|错误"}},
  };
  for (const HumidityCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(RunRelativeHumidity(c), Lines(c.findings));
  }
}

TEST(AuditRelativeHumidityTest, MinimumAgainstFixedHoursAndPreviousDay) {
  const std::vector<HumidityCase> cases = {
      {"minimum above the smallest fixed hour; its first hour is named",
       {{{2, 25}, "58"}, {{2, 7}, "57"}, {{2, 20}, "57"}}, {},
       {"最小值与对应J文件分钟值不一致|相对湿度||2|最小/15|可疑",
        "最小值与定时值矛盾|相对湿度||2|最小/3|错误"}, true},
      {"minimum 30 below the fixed hours", {{{2, 25}, "30"}, {{3, 25}, "31"}}, {},
       {"日最低低于定时中的最低值太多（>=30）|相对湿度||2|最低/21|可疑"}, false},
      {"above the previous day's 20 h", {{{1, 24}, "40"}, {{2, 25}, "61"}, {{2, 1}, "%%"}}, {},
       {"最小值与定时值矛盾|相对湿度||1|最小/20|错误",
        "日最小高于前一日20时太多|相对湿度||2|最小/上日20|可疑",
        "最小值与定时值矛盾|相对湿度||2|最小/22|错误"}, false},
      {"no previous day for day 1; 20 h written %%",
       {{{1, 25}, "%%"}, {{2, 24}, "%%"}, {{3, 25}, "%%"}}, {},
       {"最小值与定时值矛盾|相对湿度||1|最小/21|错误",
        "最小值与定时值矛盾|相对湿度||3|最小/21|错误"}, false},
      {"missing and absent hours take no part",
       {{{1, 10}, "////"}, {{1, 11}, "////"}, {{2, 5}, "-"}, {{2, 6}, "-"}, {{3, 7}, "//"}}, {},
       {"记录格式错误|相对湿度||1|6|错误", "记录格式错误|相对湿度||1|7|错误",
        "记录格式错误|相对湿度||3|3|错误",
        "相邻前后两时次数据正常,该时记录应内插|相对湿度||3|3|错误"}, false},
      {"four observations", {{{1, 2}, "101"}, {{2, 5}, "61"}, {{3, 3}, "-"}, {{3, 5}, "%%"}}, {},
       {"记录不可能|相对湿度||1|8|错误", "最小值与定时值矛盾|相对湿度||2|最小/2|错误",
        "日最小高于前一日20时太多|相对湿度||3|最小/上日20|可疑",
        "最小值与定时值矛盾|相对湿度||3|最小/2|错误"}, false, 5},
      {"24 hours without a minimum column", {{{1, 10}, "101"}, {{2, 24}, "90"}}, {},
       {"记录不可能|相对湿度||1|6|错误"}, false, 24},
      {"24 hours and the minimum", {{{2, 25}, "61"}, {{1, 24}, "40"}}, {},
       {"最小值与定时值矛盾|相对湿度||1|最小/20|错误",
        "日最小高于前一日20时太多|相对湿度||2|最小/上日20|可疑",
        "最小值与定时值矛盾|相对湿度||2|最小/21|错误"}, false, 25},
  };
  for (const HumidityCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(RunRelativeHumidity(c), Lines(c.findings));
  }
}

// ---------------------------------------------------------------------------
// The sample station files

TEST(AuditHumiditySampleTest, SampleFilesPass) {
  const kelvane::testing::SampleStationDir samples;
  const std::string sys = samples.SysPath();
  ASSERT_EQ(samples.files().size(), 6u);
  for (const std::string& path : samples.files()) {
    SCOPED_TRACE(path);
    kelvane::testing::AuditInputs in;
    host::DecodedAFile d;
    ASSERT_TRUE(kelvane::testing::DecodeSample(sys, path, in, d));
    ASSERT_TRUE(LoadAuditRules(sys, in.para(7).Text(), in.para(3).Text(), in.rules));
    AuditContext cx = in.Context(d);
    const Grid P(d.strP), T(d.strT), I(d.strI), E(d.strE), U(d.strU), TD(d.strTD), w(d.strw);
    AuditPsychrometry(cx, P, T, I, E, U, TD, w);
    AuditAgainstAirTemperature(cx, E, T, "水汽压", 15);
    AuditRelativeHumidity(cx, U, in.jfile.humidity, false);
    AuditAgainstAirTemperature(cx, TD, T, "露点温度", 16);
    EXPECT_EQ(Show(in.list), "");
  }
}

}  // namespace
}  // namespace kelvane::afile::audit
