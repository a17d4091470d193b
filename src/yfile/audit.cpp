#include "yfile/audit.h"

#include <algorithm>
#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/error.h"
#include "common/text.h"
#include "kelvane/automation.h"
#include "yfile/form_check.h"
#include "yfile/layout.h"

namespace kelvane::yfile {

namespace {

constexpr std::string_view kComponent = "Dravik.ReadWriteFile";
constexpr std::string_view kMethod = "YearStatistic";
constexpr std::string_view kYearDay = "年";
constexpr std::string_view kDiffers = "两者不一致";
constexpr std::string_view kFirstLast = "初终间日期";
constexpr std::string_view kWindStatistics = "风的统计";
constexpr std::string_view kFrostFree = "无霜期";

// How a group's finding reads.
enum class Form : uint8_t {
  Plain,      // name(saved)与统计值(recomputed)不一致, 错误
  Weather,    // 年 name 日数(...)..., 错误
  Ground,     // "因月值有缺测，" and 可疑 when a monthly value is missing
  Sunshine,   // ...，未考虑日数据有缺测的情况)不一致, 可疑
};

struct CompareGroup {
  int first, last;
  Form form;
  std::string_view names;  // comma-separated, one per item from `first`
};

constexpr CompareGroup kGroups[] = {
    {1, 8, Form::Plain,
     "年平均本站气压,年平均最高本站气压,年平均最低本站气压,年最高本站气压,年最高本站气压出现日期,"
     "年最低本站气压,年最低本站气压出现日期,海平面气压"},
    {18, 24, Form::Plain,
     "年平均气温,年平均最高气温,年平均最低气温,年最高气温,年最高气温出现日期,年最低气温,"
     "年最低气温出现日期"},
    {25, 32, Form::Plain,
     "年平均水汽压,年最大水汽压,年最大水汽压出现日期,年最小水汽压,年最小水汽压出现日期,"
     "年平均相对湿度,年最小相对湿度,年最小相对湿度出现日期"},
    {33, 40, Form::Plain,
     "年平均总云量,年平均低云量,年总云量0.0-1.9日数,年总云量2.0-8.0日数,年总云量8.1-10.0日数,"
     "年低云量0.0-1.9日数,年低云量2.0-8.0日数,年低云量8.1-10.0日数"},
    {50, 60, Form::Plain,
     "年总降水量,年最大日降水量,年最大日降水量出现日期,年日降水量≥0.1日数,年日降水量≥1日数,"
     "年日降水量≥5日数,年日降水量≥10日数,年日降水量≥25日数,年日降水量≥50日数,"
     "年日降水量≥100日数,年日降水量≥150日数"},
    {61, 71, Form::Plain,
     "年最长连续降水日数,年最长连续降水量,年最长连续降水起止日期,年最长连续无降水日数,"
     "年最长连续无降水起止日期,年总蒸发量(小型),年总蒸发量(大型),年最大积雪深度,"
     "年最大积雪深度出现日期,年最大雪压,年最大雪压出现日期"},
    {72, 83, Form::Plain,
     "年电线积冰现象符号,年电线积冰最大直径(南北),年电线积冰最大厚度(南北),"
     "年电线积冰最大重量(南北),年电线积冰最大(南北)出现日期,年电线积冰最大直径(东西),"
     "年电线积冰最大厚度(东西),年电线积冰最大重量(东西),年电线积冰最大(东西)出现日期,"
     "年最大电线积冰时气温,年最大电线积冰时风向,年最大电线积冰时风速"},
    {84, 108, Form::Weather,
     "雨,雪,冰雹,冰针,雾,轻雾,露,霜,雨凇,雾凇,吹雪,龙卷,积雪,结冰,沙尘暴,扬沙,浮尘,烟幕,霾,"
     "尘卷风,雷暴,闪电,极光,大风,飑"},
    {109, 117, Form::Plain,
     "年最多风向,年最多风向频率,年平均风速,年最大风速,年最大风速的风向,年最大风速出现日期,"
     "年极大风速,年极大风速的风向,年极大风速出现日期"},
    {118, 143, Form::Ground,
     "年平均地面温度,年平均最高地面温度,年平均最低地面温度,年最高地面温度,年最高地面温度出现日期,"
     "年最低地面温度,年最低地面温度出现日期,年日最低地面温度≤0.0℃日数,年平均5cm地温,"
     "年平均10cm地温,年平均15cm地温,年平均20cm地温,年平均40cm地温,年平均80cm地温,"
     "年平均160cm地温,年平均320cm地温,年平均草面温度,年平均最高草面温度,年平均最低草面温度,"
     "年最高草面温度,年最高草面温度出现日期,年最低草面温度,年最低草面温度出现日期,"
     "年日最低草面温度≤0.0℃日数,年最大冻土深度,年最大冻土深度出现日期"},
    {147, 150, Form::Sunshine, "年日照时数,年日照百分率,年日日照时数≥60%的日数,年日日照时数≤20%的日数"},
};

// Element of each compared item: the last item of each run and its element.
struct ElementRun {
  int last;
  std::string_view element;
};
constexpr ElementRun kElements[] = {
    {7, "本站气压"},      {8, "海平面气压"},     {24, "气温"},         {29, "水汽压"},
    {32, "相对湿度"},     {34, "平均云量"},      {40, "云量量别日数"}, {52, "降水量"},
    {60, "各级降水日数"}, {63, "连续降水日数"},  {65, "连续无降水日数"}, {67, "蒸发量"},
    {71, "雪深雪压"},     {83, "电线积冰"},      {108, "天气日数"},    {110, "最多风向"},
    {117, "风平均/最大/极大"}, {125, "地温"},    {130, "5-40cm地温"},  {133, "深层地温"},
    {141, "草面温度"},    {143, "冻土深度"},     {150, "日照时数"},
};

std::string_view ElementOf(int item) {
  for (const ElementRun& r : kElements)
    if (item <= r.last) return r.element;
  return {};
}

constexpr std::string_view kQuantities[6] = {"风速合计", "出现回数",   "平均风速",
                                             "风向频率", "最大风速", "最大风速出现月份"};
constexpr std::string_view kWindDirections[17] = {
    "N", "NNE", "NE", "ENE", "E", "ESE", "SE", "SSE", "S",
    "SSW", "SW", "WSW", "W", "WNW", "NW", "NNW", "C"};

std::string_view WindDay(int d) {
  if (d <= 4) return "年N-ENE";
  if (d <= 8) return "年E-SSE";
  if (d <= 12) return "年S-WSW";
  if (d <= 16) return "年W-NNW";
  return "年C";
}

// A monthly value that is not there: empty, "-" or a run of "/".
bool IsMissing(std::string_view s) { return s.empty() || s == "-" || IsRunOf(s, '/'); }

// Runs one step; an error inside it skips the rest of the step only.
template <class Fn>
void Step(Fn&& fn) {
  (void)RunGuarded(std::forward<Fn>(fn));
}

struct Saved {
  std::vector<std::string> items;  // 1..150 at index item-1
  std::array<std::array<std::string, 6>, 17> wind;
};

// Calls the component; the arrays are moved into the argument list and back
// out, so the values it wrote are seen.
void CallComponent(VariantArray& para, YFileArrays& a) {
  std::unique_ptr<automation::Dispatch> obj;
  if (Status s = automation::Registry::Instance().Create(kComponent, obj); !s.ok()) return;
  // The result is a single-precision number by reference, 0 before the call.
  static const Variant kZero(0.0);
  std::vector<automation::Value> args(5);
  args[0] = automation::Value(std::move(para));
  args[1] = automation::Value(std::move(a.strMonthYearS));
  args[2] = automation::Value(std::move(a.strMonthWDF));
  args[3] = automation::Value(std::move(a.strYearWDF));
  args[4] = automation::Value(kZero);
  const OnExit moveBack{[&] {
    // A component may replace an argument by something else; the caller's
    // array is taken back only when it is still an array of its kind.
    if (VariantArray* p = args[0].AsVariantArray()) para = std::move(*p);
    if (StringArray* p = args[1].AsStringArray()) a.strMonthYearS = std::move(*p);
    if (StringArray* p = args[2].AsStringArray()) a.strMonthWDF = std::move(*p);
    if (StringArray* p = args[3].AsStringArray()) a.strYearWDF = std::move(*p);
  }};
  (void)obj->Invoke(kMethod, args, nullptr);
}

void AddFinding(AuditList& list, std::string_view message, std::string_view element,
                std::string_view day, std::string_view level) {
  list.Add(message, element, "", day, "", "", level);
}

void CompareItems(const Saved& saved, const StringArray& my, AuditList& list) {
  for (const CompareGroup& g : kGroups) {
    for (int k = g.first; k <= g.last; ++k) {
      const std::string& was = saved.items[static_cast<size_t>(k - 1)];
      const std::string& now = my(13, k);
      if (was.empty() && now == "-") continue;
      if (was == now) continue;
      const std::string name(GetFieldView(g.names, ",", k - g.first + 1, FieldBlanks::Keep));
      const std::string pair = "(" + was + ")与统计值(" + now;
      std::string message;
      std::string_view level = kLevelError;
      switch (g.form) {
        case Form::Plain: message = name + pair + ")不一致"; break;
        case Form::Weather: message = "年" + name + "日数" + pair + ")不一致"; break;
        case Form::Ground: {
          bool missing = false;
          for (int m = 1; m <= 12; ++m) missing = missing || IsMissing(my(m, k));
          message = (missing ? "因月值有缺测，" : "") + name + pair + ")不一致";
          if (missing) level = kLevelSuspicious;
          break;
        }
        case Form::Sunshine:
          message = name + pair + "，未考虑日数据有缺测的情况)不一致";
          level = kLevelSuspicious;
          break;
      }
      AddFinding(list, message, ElementOf(k), kYearDay, level);
    }
  }
}

void CompareWind(const Saved& saved, const StringArray& ywdf, AuditList& list) {
  for (int d = 1; d <= 17; ++d) {
    for (int q = 1; q <= 6; ++q) {
      const std::string& was = saved.wind[static_cast<size_t>(d - 1)][static_cast<size_t>(q - 1)];
      const std::string& now = ywdf(d, q);
      if (was == now) continue;
      AddFinding(list,
                 std::string(kQuantities[q - 1]) + "(" + std::string(kWindDirections[d - 1]) +
                     ")(" + was + ")与统计值(" + now + ")不一致",
                 kWindStatistics, WindDay(d), kLevelError);
    }
  }
}

// ---- first and last dates

// Days since 1 January of year 0 of the proleptic calendar.
int64_t DayNumber(int64_t y, int m, int d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe;
}

// "MM/DD" to month and day; false for any other text or an impossible date.
bool ParseMonthDay(std::string_view s, int year, int& m, int& d) {
  const size_t slash = s.find('/');
  if (slash == std::string_view::npos) return false;
  const std::string_view ms = s.substr(0, slash), ds = s.substr(slash + 1);
  if (ms.empty() || ds.empty()) return false;
  for (char c : ms)
    if (c < '0' || c > '9') return false;
  for (char c : ds)
    if (c < '0' || c > '9') return false;
  if (ms.size() > 2 || ds.size() > 2) return false;
  m = static_cast<int>(LeadingInteger(ms));
  d = static_cast<int>(LeadingInteger(ds));
  return m >= 1 && m <= 12 && d >= 1 && d <= DaysInMonth(year, m);
}

bool IsNone(std::string_view s) { return s == "-" || s == "-/-"; }

// Interval texts compare by number when both are numbers (the file writes
// "045" for 45 days), else as texts.
bool SameInterval(std::string_view a, std::string_view b) {
  if (IsNumericText(a) && IsNumericText(b)) return LeadingNumber(a) == LeadingNumber(b);
  return a == b;
}

void CheckFirstLast(const StringArray& sed, int year, AuditList& list) {
  // A missing cell ("/", a run of "/") counts as empty.
  auto cell = [&](int line, int col) -> std::string {
    const std::string* p = sed.Find(line, col);
    if (p == nullptr || IsRunOf(*p, '/')) return std::string();
    return *p;
  };
  for (int line = 1; line <= 8; ++line) {
    const std::string first = cell(line, 1), last = cell(line, 2);
    std::string interval;
    if (!first.empty() && !last.empty() && !IsNone(first) && !IsNone(last)) {
      int m1 = 0, d1 = 0, m2 = 0, d2 = 0;
      // Months from July on belong to the year before (not for thunder).
      auto yearOf = [&](int m) { return line != 8 && m >= 7 ? year - 1 : year; };
      auto parse = [&](const std::string& s, int& m, int& d) {
        const size_t slash = s.find('/');
        const int guess = slash == std::string::npos ? 0 : static_cast<int>(LeadingInteger(s));
        return ParseMonthDay(s, yearOf(guess), m, d);
      };
      if (!parse(first, m1, d1) || !parse(last, m2, d2)) continue;
      interval = Num(static_cast<long>(DayNumber(yearOf(m2), m2, d2) -
                                       DayNumber(yearOf(m1), m1, d1) + 1));
    } else if (IsNone(first) || IsNone(last)) {
      interval = "-";
    }
    if (!SameInterval(interval, cell(line, 3)))
      AddFinding(list, kDiffers, kFirstLast, FirstLastLabel(line), kLevelError);
  }
  // The frost-free period: the days strictly between the last spring frost
  // and the first autumn frost, January 1 and December 31 standing in for
  // a frost that did not happen.
  const std::string period = cell(9, 1);
  if (period.empty()) return;
  int m = 0, d = 0;
  const int64_t spring = ParseMonthDay(cell(1, 2), year, m, d) ? DayNumber(year, m, d)
                                                               : DayNumber(year, 1, 1);
  const int64_t autumn = ParseMonthDay(cell(1, 4), year, m, d) ? DayNumber(year, m, d)
                                                               : DayNumber(year, 12, 31);
  if (!SameInterval(Num(static_cast<long>(autumn - spring - 1)), period))
    AddFinding(list, kDiffers, kFirstLast, kFrostFree, kLevelError);
}

}  // namespace

void RunYFileAuditing(VariantArray& para, YFileArrays& a, AuditList& list) {
  std::optional<Saved> saved;
  Step([&] {
    Saved s;
    s.items.reserve(150);
    for (int k = 1; k <= 150; ++k) s.items.push_back(a.strMonthYearS(13, k));
    for (int d = 1; d <= 17; ++d)
      for (int q = 1; q <= 6; ++q)
        s.wind[static_cast<size_t>(d - 1)][static_cast<size_t>(q - 1)] = a.strYearWDF(d, q);
    saved = std::move(s);
  });
  if (saved) {
    Step([&] { CallComponent(para, a); });
    Step([&] { CompareItems(*saved, a.strMonthYearS, list); });
    Step([&] { CompareWind(*saved, a.strYearWDF, list); });
  }
  Step([&] {
    const Variant* y = para.Find(kParaYear);
    const int year = static_cast<int>(std::clamp<int64_t>(
        LeadingInteger(y ? y->Text() : std::string()), -100000, 100000));
    CheckFirstLast(a.strElementStartEndDate, year, list);
  });
}

}  // namespace kelvane::yfile
