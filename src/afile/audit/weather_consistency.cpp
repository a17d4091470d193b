// The weather phenomena against the other elements of the A file: per
// period the cloud forms, visibility, humidity, fixed-hour wind and total
// cloud at the observations inside the period, and the fixed-time amounts
// a precipitation period needs; at the end of the day the minimum
// visibility against the fixed visibilities, overlapping phenomena, the
// daily maximum and extreme wind with the gale, the minimum temperatures,
// the order of records, and the fixed-time and hourly amounts against the
// precipitation phenomena.
//
// The rules read the records and periods of the parsed day, never the raw
// text again, so a code is always a record's code and never digits inside
// a time. A time written "////" takes part in no comparison. Absent ("-",
// empty) and missing (runs of "/") values take part in no rule.
#include <algorithm>
#include <array>
#include <initializer_list>
#include <string>

#include "afile/audit/weather_phenomena.h"
#include "common/text.h"

namespace kelvane::afile::audit {

namespace {

constexpr std::string_view kVisibility = "能见度";
constexpr std::string_view kForms = "云状";
constexpr std::string_view kFixedPrecipitation = "定时降水量";
constexpr std::string_view kHourlyPrecipitation = "小时降水量";
constexpr std::string_view kHumidity = "相对湿度";
constexpr std::string_view kFixedWind = "定时风";
constexpr std::string_view kTotalCloud = "总云量";
constexpr std::string_view kDailyWind = "最大极大风";
constexpr std::string_view kAirTemperature = "气温";
constexpr std::string_view kGroundTemperature = "地面温度";
constexpr std::string_view kNight = "20-8";
constexpr std::string_view kDay = "8-20";
constexpr std::string_view kExtremeSpeed = "极大风速";
constexpr std::string_view kMaximumSpeed = "最大风速";
constexpr std::string_view kMinimum = "最低";

// Per period.
constexpr std::string_view kMsgNoCumulonimbus = "出现的时间云状中无积雨云配合";
constexpr std::string_view kMsgDrizzleForms = "毛毛雨或米雪出现时间无ST、FS或雾等云状配合";
constexpr std::string_view kMsgNoConvective = "出现的时间云状中无对流云配合";
constexpr std::string_view kMsgNoRainCloud = "出现的时间云状中无普通降水云层配合";
constexpr std::string_view kMsgVisibilityHigh = "出现,能见度>=1.0KM";
constexpr std::string_view kMsgNoFixedAmount = "有降水现象,但无定时降水量";
constexpr std::string_view kMsgHumidityBelow = "出现,相对湿度<";
constexpr std::string_view kMsgWindAbove = "出现,定时风>";
constexpr std::string_view kMsgWindBelow = "出现,定时风<";
constexpr std::string_view kMsgCloudAbove = "出现,总云量>";
// End of the day.
constexpr std::string_view kMsgMinimumVisibility = "最小能见度与定时能见度矛盾";
constexpr std::string_view kMsgOverlap = "的出现时间重迭";
constexpr std::string_view kMsgGaleWeakGust = "有大风出现,极大风速<17.0米/秒(";
constexpr std::string_view kMsgGustWithoutGale = "极大风速>=17.0米/秒,而无大风出现";
constexpr std::string_view kMsgGustOutsideGale = "与大风现象出现时间矛盾";
constexpr std::string_view kMsgLightningFirst = "闪电不应记录在雷暴之前";
constexpr std::string_view kMsgMistFirst = "轻雾不应记录在雾之前";
constexpr std::string_view kMsgSnowAfterDrifting = "积雪不应出现在吹雪之后";
constexpr std::string_view kMsgSnowAfterSnowstorm = "积雪不应出现在雪暴之后";
constexpr std::string_view kMsgNightAmountAlone = "20-8时有定时降水量,但无降水现象";
constexpr std::string_view kMsgDayAmountAlone = "8-20时有定时降水量,但无降水现象";
constexpr std::string_view kMsgNightPhenomenonAlone = "20-8时有降水现象,但无定时降水量";
constexpr std::string_view kMsgDayPhenomenonAlone = "8-20时有降水现象,但无定时降水量";
constexpr std::string_view kMsgHourlyAlone = "时有小时降水量,但无降水现象";

constexpr std::string_view kPrecipitationCodes = "39,50,60,68,70,77,79,80,83,85,87,89,";

std::string Join(std::initializer_list<std::string_view> parts) {
  size_t n = 0;
  for (std::string_view p : parts) n += p.size();
  std::string s;
  s.reserve(n);
  for (std::string_view p : parts) s.append(p);
  return s;
}

bool Contains(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

bool ContainsAny(std::string_view text, std::initializer_list<std::string_view> parts) {
  for (std::string_view p : parts)
    if (Contains(text, p)) return true;
  return false;
}

// A value a rule can read: present and not a missing run.
bool HoldsReading(const Cell& c) { return c.Present() && !IsMissingRun(c.text); }

// The speed of a wind cell (the text after the first "/"), or nothing when
// the cell or its speed is absent or missing.
bool WindSpeedAfter(const Cell& c, double& speed) {
  if (!HoldsReading(c)) return false;
  const size_t slash = c.text.find('/');
  if (slash == std::string_view::npos) return false;
  const std::string_view s = c.text.substr(slash + 1);
  if (s.empty() || s == "-" || IsMissingRun(s)) return false;
  speed = LeadingNumber(s);
  return true;
}

// The speed of a daily wind cell (speed "/" direction: the text before the
// first "/"); nothing for "-/-", "/", "-", empty or a missing speed.
bool WindSpeedBefore(const Cell& c, double& speed) {
  if (!HoldsReading(c)) return false;
  const std::string_view s = c.text.substr(0, c.text.find('/'));
  if (s.empty() || s == "-" || IsMissingRun(s)) return false;
  speed = LeadingNumber(s);
  return true;
}

// A cloud amount (the text after the first "/", if any), or nothing.
bool CloudAmount(const Cell& c, double& amount) {
  if (!HoldsReading(c)) return false;
  const size_t slash = c.text.find('/');
  const std::string_view s = slash == std::string_view::npos ? c.text : c.text.substr(slash + 1);
  if (s.empty() || s == "-" || IsMissingRun(s)) return false;
  amount = LeadingNumber(s);
  return true;
}

// The observation of an array read for hour index h (1..24, the hour ending
// at 21:00 is 1): hourly arrays (24 columns or more) observe every hour, four
// observations a day only the hours 6, 12, 18, 24 (02, 08, 14, 20 o'clock).
struct Observation {
  int column = 0;  // 0: the array does not observe this hour
  std::string_view label;
};

Observation ObservationAt(const Grid& g, int h) {
  if (LayoutOf(g.Columns()) == Layout::Hourly) return {h, HourLabel(h)};
  if (h % 6 != 0) return {};
  return {h / 6, FixedHourLabel(h / 6)};
}

// Hour indices of a period's observations: from the first hour ending
// after its start (at least 1) to the hour of its end, plus the next hour
// when the end lies more than 45 minutes past the hour (at most 24).
struct HourRange {
  int first = 1, last = 0;
};

HourRange HoursOf(int s, int e) {
  HourRange r;
  r.first = std::max(1, (s + 59) / 60);
  r.last = std::min(24, e / 60 + (e % 60 > 45 ? 1 : 0));
  return r;
}

// Any record of the day (night records included) has the code.
bool HasCode(const WeatherDay& day, std::string_view code) {
  for (const WeatherRecord& r : day.records())
    if (r.code() == code) return true;
  return false;
}

const WeatherRecord* RecordAt(const WeatherDay& day, int index) {
  for (const WeatherRecord& r : day.records())
    if (r.index == index) return &r;
  return nullptr;
}

// The whole hourly precipitation array is missing (absent, or runs of "/"
// or of "-").
bool AllMissing(const Grid& g) {
  for (int d = 1; d <= g.Days(); ++d)
    for (int c = 1; c <= g.Columns(); ++c) {
      const std::string_view t = g.Text(d, c);
      if (!t.empty() && !IsRunOf(t, '/') && !IsRunOf(t, '-')) return false;
    }
  return true;
}

// The daily minimum column of an air or ground-surface temperature array;
// 0 when the layout has none.
int MinimumColumn(const Grid& g) {
  switch (g.Columns()) {
    case 6: return 6;
    case 26: return 26;
    case 28: return 27;
    default: return 0;
  }
}

// A fixed-time amount: an amount, none (empty), or not known ("-", a run
// of "/") and then neither.
enum class Amount { Some, None, Unknown };
Amount AmountOf(const Cell& c) {
  if (c.text.empty()) return Amount::None;
  if (c.text == "-" || IsMissingRun(c.text)) return Amount::Unknown;
  return Amount::Some;
}

class PeriodRules {
 public:
  PeriodRules(AuditContext& cx, const WeatherElements& el, const WeatherRecord& r,
              const WeatherPeriod& p, WeatherDayState& st)
      : cx_(cx), el_(el), R_(r.code()), p_(p), st_(st) {}

  void Run() {
    const int s = p_.writtenStart, e = p_.writtenEnd;
    const bool timed = s != kUnknownMinutes && e != kUnknownMinutes;
    const HourRange hours = timed ? HoursOf(s, e) : HourRange{1, 0};
    for (int h = hours.first; h <= hours.last; ++h) CloudsAndVisibility(h);
    if (CodeIn(R_, kPrecipitationCodes)) Precipitation(s, e);
    for (int h = hours.first; h <= hours.last; ++h) Humidity(h);
    for (int h = hours.first; h <= hours.last; ++h) FixedWind(h);
    if (R_ == "14")
      for (int h = hours.first; h <= hours.last; ++h) TotalCloud(h);
  }

 private:
  Spot At(std::string_view label) const { return {kWeatherElement, st_.day, label}; }

  void CloudsAndVisibility(int h) {
    const Observation o = ObservationAt(el_.CC, h);
    if (o.column > 0) {
      const Cell& cc = el_.CC(st_.day, o.column);
      if (HoldsReading(cc)) {
        const std::string_view f = cc.text;
        if (CodeIn(R_, "17,19,89,") && !ContainsAny(f, {"CB", "42", "39", "-"}))
          cx_.Error(Join({R_, kMsgNoCumulonimbus}), At(o.label), kForms);
        if (CodeIn(R_, "50,77,") && !ContainsAny(f, {"ST", "FS", "42", "-"}))
          cx_.Suspicious(kMsgDrizzleForms, At(o.label), kForms);
        if (CodeIn(R_, "80,83,85,87,89,") && !ContainsAny(f, {"CU", "CB", "SCCUG", "-"}))
          cx_.Suspicious(Join({R_, kMsgNoConvective}), At(o.label), kForms);
        if (CodeIn(R_, "60,68,70,79,") && !ContainsAny(f, {"SC", "AC", "AS", "NS", "-"}))
          cx_.Suspicious(Join({R_, kMsgNoRainCloud}), At(o.label), kForms);
      }
    }
    if (CodeIn(R_, "31,39,42,")) {
      const Observation v = ObservationAt(el_.V, h);
      const Cell& c = el_.V(st_.day, v.column);
      if (v.column > 0 && HoldsReading(c) && c.value >= 10)
        cx_.Error(Join({R_, kMsgVisibilityHigh}), At(v.label), kVisibility);
    }
  }

  void Precipitation(int s, int e) {
    // A period at 08:00 sharp belongs to the 20-8 part.
    const bool night = (s != kUnknownMinutes && s < 720) || (e != kUnknownMinutes && e < 721);
    const bool day = e != kUnknownMinutes && e > 720;
    // A file without fixed-time precipitation data has no amounts to
    // compare.
    if (cx_.Present(10) && !el_.R.Empty()) {
      auto noAmount = [&](int column) {
        const std::string_view t = el_.R.Text(st_.day, column);
        return t.empty() || t == "-";
      };
      if (night && noAmount(1)) cx_.Error(kMsgNoFixedAmount, At(kNight), kFixedPrecipitation);
      if (day && noAmount(2)) cx_.Error(kMsgNoFixedAmount, At(kDay), kFixedPrecipitation);
    }
    if (night) st_.precipitation20to8 = true;
    if (day) st_.precipitation8to20 = true;
    // The hours the period touches: an unknown start from the day's start,
    // an unknown end to the day's end.
    const int from = s == kUnknownMinutes ? 0 : s;
    const int to = std::min(1440, e == kUnknownMinutes ? 1440 : e);
    const int last = std::min(24, to / 60 + (to % 60 != 0 ? 1 : 0));
    for (int h = std::max(1, (from + 59) / 60); h <= last; ++h)
      st_.precipitationHour[static_cast<size_t>(h)] = true;
  }

  void Humidity(int h) {
    int rule = 0;
    if (CodeIn(R_, "50,60,68,70,77,79,80,83,85,87,89,")) rule = 75;
    else if (R_ == "42") rule = 76;
    else if (R_ == "38") rule = 79;
    else if (R_ == "39") rule = 82;
    else if (R_ == "31") rule = 87;
    if (rule == 0) return;
    const std::string& limit = cx_.rules().Text(rule);
    if (limit.empty()) return;
    const Observation o = ObservationAt(el_.U, h);
    if (o.column == 0) return;
    const Cell u = HumidityCell(el_.U(st_.day, o.column));
    if (!u.Numeric() || !(cx_.Rule(rule) > u.value)) return;
    cx_.Suspicious(Join({R_, kMsgHumidityBelow, limit}), At(o.label), kHumidity);
  }

  void FixedWind(int h) {
    int rule = 0;
    bool above = false;
    if (R_ == "42") rule = 77, above = true;
    else if (R_ == "15") rule = 74;
    else if (R_ == "38") rule = 80;
    else if (R_ == "39") rule = 83;
    else if (R_ == "31") rule = 85;
    if (rule == 0) return;
    const Observation o = ObservationAt(el_.FDFF, h);
    double speed = 0;
    if (o.column == 0 || !WindSpeedAfter(el_.FDFF(st_.day, o.column), speed)) return;
    const double limit = cx_.Rule(rule);
    if (above ? speed > limit : limit > speed)
      cx_.Suspicious(Join({R_, above ? kMsgWindAbove : kMsgWindBelow, cx_.rules().Text(rule)}),
                     At(o.label), kFixedWind);
  }

  void TotalCloud(int h) {
    const Observation o = ObservationAt(el_.NN, h);
    double amount = 0;
    if (o.column == 0 || !CloudAmount(el_.NN(st_.day, o.column), amount)) return;
    if (amount > cx_.Rule(91))
      cx_.Error(Join({R_, kMsgCloudAbove, cx_.rules().Text(91)}), At(o.label), kTotalCloud);
  }

  AuditContext& cx_;
  const WeatherElements& el_;
  const std::string_view R_;
  const WeatherPeriod& p_;
  WeatherDayState& st_;
};

class DayRules {
 public:
  DayRules(AuditContext& cx, const WeatherElements& el, const WeatherDay& day,
           WeatherDayState& st)
      : cx_(cx), el_(el), day_(day), st_(st) {}

  // Each step on its own: a run-time error in one loses only that step.
  void Run() {
    RunWeatherStep([&] { Overlaps(); });
    RunWeatherStep([&] { DailyWind(); });
    RunWeatherStep([&] { MinimumTemperatures(); });
    RunWeatherStep([&] { RecordOrder(); });
    if (!cx_.Present(10)) return;
    RunWeatherStep([&] { PrecipitationParts(); });
    if (!el_.R.Empty()) RunWeatherStep([&] { FixedAmounts(); });
    RunWeatherStep([&] { HourlyAmounts(); });
  }

 private:
  Spot At(std::string_view label) const { return {kWeatherElement, st_.day, label}; }
  bool Has(std::string_view code) const { return HasCode(day_, code); }

  // ---- overlap of related phenomena

  void Overlaps() {
    static constexpr std::pair<std::string_view, std::string_view> kPairs[] = {
        {"60", "68"}, {"60", "70"}, {"60", "80"}, {"60", "85"}, {"60", "83"}, {"80", "70"},
        {"80", "68"}, {"80", "85"}, {"80", "83"}, {"38", "39"}, {"39", "70"}, {"70", "68"},
        {"70", "85"}, {"70", "83"}, {"68", "85"}, {"68", "83"}, {"85", "83"}, {"77", "80"},
        {"77", "70"}, {"77", "83"}, {"50", "80"}, {"50", "83"}, {"50", "70"}};
    for (const auto& [a, b] : kPairs) {
      const WeatherRecord* ra = RecordAt(day_, st_.LastDayRecord(a));
      const WeatherRecord* rb = RecordAt(day_, st_.LastDayRecord(b));
      if (ra && rb) Overlap(*ra, *rb, a == "50" && b == "70");
    }
  }

  bool Dotted(const WeatherRecord& r) const {
    for (const WeatherPeriod* p = day_.begin(r); p != day_.end(r); ++p)
      if (p->dotted) return true;
    return false;
  }

  void Overlap(const WeatherRecord& a, const WeatherRecord& b, bool doubtful) {
    if (a.length() <= 6 || b.length() <= 6) return;
    const bool suspicious = doubtful || Dotted(a) || Dotted(b);
    for (const WeatherPeriod* pa = day_.begin(a); pa != day_.end(a); ++pa) {
      if (pa->writtenStart == kUnknownMinutes || pa->writtenEnd == kUnknownMinutes) continue;
      for (const WeatherPeriod* pb = day_.begin(b); pb != day_.end(b); ++pb) {
        if (pb->writtenStart == kUnknownMinutes || pb->writtenEnd == kUnknownMinutes) continue;
        if (pb->writtenStart < pa->writtenEnd && pa->writtenStart < pb->writtenEnd)
          cx_.Add(Join({a.code(), "和", b.code(), kMsgOverlap}), At({}), {},
                  suspicious ? "可疑" : "错误");
      }
    }
  }

  // ---- daily maximum and extreme wind

  // The extreme wind's minute lies in a gale: in a 15 period (an unknown
  // start from the day's start, an unknown end to its end), or in the night
  // for a night record without times.
  bool InGale(int m) const {
    for (const WeatherRecord& r : day_.records()) {
      if (r.code() != "15") continue;
      if (r.night && r.periodCount == 0 && m >= 0 && m <= 720) return true;
      for (const WeatherPeriod* p = day_.begin(r); p != day_.end(r); ++p) {
        if (p->tooShort) continue;
        const int s = std::clamp(p->writtenStart == kUnknownMinutes ? 0 : p->writtenStart, 0, 1440);
        const int e = std::clamp(p->writtenEnd == kUnknownMinutes ? 1440 : p->writtenEnd, 0, 1440);
        if (s <= m && m <= e) return true;
      }
    }
    return false;
  }

  void DailyWind() {
    const bool gale = Has("15");
    double g = 0;
    if (WindSpeedBefore(el_.DYF(st_.day, 3), g)) {
      const std::string gText = FormatNumber(g);
      if (gale && g < 170)
        cx_.Error(Join({kMsgGaleWeakGust, gText, ")"}), At(kExtremeSpeed), kDailyWind);
      if (!gale && g >= 170) cx_.Error(kMsgGustWithoutGale, At(kExtremeSpeed), kDailyWind);
      // The time of the extreme is an end time: 2000 is the end of the day.
      const std::string_view t = el_.DYF.Text(st_.day, 4);
      const bool timed = t != "XXXX" && (t == "0000" || !IsBadPhenomenonTime(t, TimeRole::End));
      if (gale && g >= 170 && timed && !InGale(PhenomenonMinutes(t, TimeRole::End)))
        cx_.Error(Join({"极大风速>=17.0米/秒(", gText, "),其开始时间(", t, ")", kMsgGustOutsideGale}),
                  At(kExtremeSpeed), kDailyWind);
    }
    double m = 0;
    if (!WindSpeedBefore(el_.DYF(st_.day, 1), m)) return;
    struct Row {
      bool applies;
      int rule;
      bool above;
      std::string_view before, after;
    };
    const Row rows[] = {
        {gale, 72, false, "有大风出现,最大风速<", ""},
        {!gale, 73, true, "最大风速>", ",而无大风出现"},
        {Has("38"), 81, false, "有吹雪出现,最大风速<", ""},
        {Has("39"), 84, false, "有雪暴出现,最大风速<", ""},
        {Has("31"), 86, false, "有沙尘暴出现,最大风速<", ""},
        {Has("18"), 88, false, "有飑出现,最大风速<", ""},
        {Has("07"), 89, false, "有扬沙出现,最大风速<", ""},
    };
    for (const Row& r : rows) {
      if (!r.applies) continue;
      const double limit = cx_.Rule(r.rule);
      if (r.above ? m > limit : limit > m)
        cx_.Suspicious(Join({r.before, cx_.rules().Text(r.rule), r.after}), At(kMaximumSpeed),
                       kDailyWind);
    }
  }

  // ---- minimum temperatures

  void MinimumTemperatures() {
    const Cell& ta = el_.T(st_.day, MinimumColumn(el_.T));
    const Cell& tg = el_.D0(st_.day, MinimumColumn(el_.D0));
    const bool hasTa = MinimumColumn(el_.T) > 0 && HoldsReading(ta);
    const bool hasTg = MinimumColumn(el_.D0) > 0 && HoldsReading(tg);
    const bool ice = Has("03");
    auto rule = [&](int k) { return cx_.Rule(k); };
    auto report = [&](std::string_view before, int k, std::string_view after,
                      std::string_view related) {
      cx_.Suspicious(Join({before, cx_.rules().Text(k), after}), At(kMinimum), related);
    };
    if (hasTa) {
      if (Has("56") && ta.value > rule(90)) report("有雨凇出现,最低气温>", 90, "", kAirTemperature);
      if (Has("16") && ta.value > rule(63)) report("有积雪出现,最低气温>", 63, "", kAirTemperature);
    }
    if (hasTg && Has("16") && tg.value > rule(62))
      report("有积雪出现,地面最低温度>", 62, "", kGroundTemperature);
    if (hasTa) {
      if (ice && ta.value > rule(94)) report("有结冰出现,最低气温>", 94, "", kAirTemperature);
      if (!ice && rule(92) > ta.value) report("最低气温<", 92, ",无结冰出现", kAirTemperature);
    }
    if (!hasTg) return;
    const bool snowCoverRecorded = cx_.ModeCode(16) == "B" && st_.LastDayRecord("16") > 0;
    if (ice && tg.value > rule(95) && !snowCoverRecorded)
      report("有结冰出现,地面最低温度>", 95, "", kGroundTemperature);
    if (!ice && rule(93) > tg.value) report("地面最低温度<", 93, ",无结冰出现", kGroundTemperature);
    if (!Has("02")) {
      const bool hourly = LayoutOf(el_.NN.Columns()) == Layout::Hourly;
      double at02 = 0, at08 = 0;
      if (CloudAmount(el_.NN(st_.day, hourly ? 6 : 1), at02) &&
          CloudAmount(el_.NN(st_.day, hourly ? 12 : 2), at08) && at02 < 8 && at08 < 8 &&
          rule(96) > tg.value)
        report("地面最低温度<", 96, ",无霜出现", kGroundTemperature);
    }
  }

  // ---- order of records

  // The start time of a record: the four characters after its code and
  // blank.
  static std::string_view StartOf(const WeatherRecord& r) {
    return r.text().size() >= 7 ? r.text().substr(3, 4) : std::string_view();
  }

  void RecordOrder() {
    const std::string_view dayStart = day_.hasOpenParenthesis() ? "0800" : "2000";
    auto before = [&](std::string_view first, std::string_view then, std::string_view message) {
      const int i = st_.LastDayRecord(first), j = st_.LastDayRecord(then);
      if (i == 0 || j == 0 || i >= j) return;
      const WeatherRecord* r = RecordAt(day_, j);
      if (r && StartOf(*r) == dayStart) cx_.Error(message, At({}));
    };
    before("13", "17", kMsgLightningFirst);
    before("10", "42", kMsgMistFirst);
    const int snow = st_.LastDayRecord("16");
    if (snow > 0) {
      const int drifting = st_.LastDayRecord("38"), snowstorm = st_.LastDayRecord("39");
      if (drifting > 0 && snow > drifting) cx_.Error(kMsgSnowAfterDrifting, At({}));
      if (snowstorm > 0 && snow > snowstorm) cx_.Error(kMsgSnowAfterSnowstorm, At({}));
    }
  }

  // ---- precipitation amounts

  // The parts of the day with precipitation: the periods have marked them;
  // a night record marks 20-8, a day record without times 8-20.
  void PrecipitationParts() {
    night_ = st_.precipitation20to8;
    day_8_20_ = st_.precipitation8to20;
    for (const WeatherRecord& r : day_.records()) {
      if (!CodeIn(r.code(), kPrecipitationCodes)) continue;
      if (r.night) night_ = true;
      else if (r.periodCount == 0) day_8_20_ = true;
    }
  }

  void FixedAmounts() {
    const Amount a = AmountOf(el_.R(st_.day, 1)), b = AmountOf(el_.R(st_.day, 2));
    if (a == Amount::Some && !night_)
      cx_.Error(kMsgNightAmountAlone, At(kNight), kFixedPrecipitation);
    if (b == Amount::Some && !day_8_20_)
      cx_.Error(kMsgDayAmountAlone, At(kDay), kFixedPrecipitation);
    if (a == Amount::None && night_)
      cx_.Error(kMsgNightPhenomenonAlone, At(kNight), kFixedPrecipitation);
    if (b == Amount::None && day_8_20_)
      cx_.Error(kMsgDayPhenomenonAlone, At(kDay), kFixedPrecipitation);
  }

  void HourlyAmounts() {
    if (AllMissing(el_.ZJRR)) return;
    std::array<bool, 25> marked = st_.precipitationHour;
    if (night_ && st_.lastNight > 0)
      for (int h = 1; h <= 12; ++h) marked[static_cast<size_t>(h)] = true;
    bool timed = false;
    for (const WeatherRecord& r : day_.records()) timed = timed || r.length() > 6;
    if (!timed && day_8_20_)
      for (int h = 13; h <= 24; ++h) marked[static_cast<size_t>(h)] = true;
    std::array<char, 24> b1, b2;
    for (int h = 1; h <= 24; ++h) {
      if (marked[static_cast<size_t>(h)] || !HoldsReading(el_.ZJRR(st_.day, h))) continue;
      const std::string label =
          h < 5 ? Join({NumberText(h + 19, b1), "-", NumberText(h + 20, b2)})
                : Join({NumberText(h - 5, b1), "-", NumberText(h - 4, b2)});
      cx_.Error(Join({label, kMsgHourlyAlone}), At(label), kHourlyPrecipitation);
    }
  }

  AuditContext& cx_;
  const WeatherElements& el_;
  const WeatherDay& day_;
  WeatherDayState& st_;
  bool night_ = false, day_8_20_ = false;
};

}  // namespace

void CheckPeriodWithElements(AuditContext& cx, const WeatherElements& el, const WeatherDay&,
                             const WeatherRecord& record, const WeatherPeriod& period,
                             WeatherDayState& state) {
  if (period.tooShort) return;
  PeriodRules(cx, el, record, period, state).Run();
}

void CheckMinimumVisibilityWithElements(AuditContext& cx, const WeatherElements& el,
                                        const WeatherDay& day, WeatherDayState& state) {
  if (day.raw().find('[') == std::string_view::npos) return;
  // The minimum visibility (m) recorded for each hour index, -1 for none:
  // from the first hour ending after a period's start to the hour a quarter
  // past its end.
  std::array<int, 25> minimum;
  minimum.fill(-1);
  for (const WeatherRecord& r : day.records()) {
    if (r.text().find(']') == std::string_view::npos || r.length() <= 9) continue;
    const size_t open = r.text().find('[');
    if (open == std::string_view::npos) continue;
    const int v = RoundHalfAway(LeadingNumber(r.text().substr(open + 1)));
    for (const WeatherPeriod* p = day.begin(r); p != day.end(r); ++p) {
      if (p->tooShort || p->writtenStart == kUnknownMinutes || p->writtenEnd == kUnknownMinutes)
        continue;
      const int last = std::min(24, (p->writtenEnd + 14) / 60);
      for (int h = std::max(1, (p->writtenStart + 59) / 60); h <= last; ++h)
        minimum[static_cast<size_t>(h)] = v;
    }
  }
  const Grid& V = el.V;
  const bool hourly = LayoutOf(V.Columns()) == Layout::Hourly;
  const int observations = hourly ? 24 : std::min(4, V.Columns());
  std::array<char, 24> buf;
  for (int x = 1; x <= observations; ++x) {
    const Cell& c = V(state.day, x);
    if (!HoldsReading(c)) continue;
    const int entry = minimum[static_cast<size_t>(hourly ? x : 6 * x)];
    if (entry < 0 || !(c.value < entry / 100)) continue;
    // Observation 4 of a 24-column day is the midnight hour "0"; with the
    // minimum and its time (26 columns) it is "24".
    std::string_view label;
    if (!hourly) label = FixedHourLabel(x);
    else if (V.Columns() == 24) label = NumberText(x < 4 ? x + 20 : x - 4, buf);
    else label = HourLabel(x);
    cx.Error(kMsgMinimumVisibility, {kVisibility, state.day, label}, kWeatherElement);
  }
}

void CheckDayWithElements(AuditContext& cx, const WeatherElements& el, const WeatherDay& day,
                          WeatherDayState& state) {
  DayRules(cx, el, day, state).Run();
}

}  // namespace kelvane::afile::audit
