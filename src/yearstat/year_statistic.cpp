// The yearly statistics component: every yearly value of a Y file derived
// from its monthly values. One table names the rule of each item; the rules
// are small functions over the twelve monthly texts of an item.
//
// Monthly texts read as: a whole number; missing (a run of "/", "-" or
// empty); no event (a run of "."). Means need twelve numbers; sums count
// "no event" as 0 and need no missing month; extremes are taken over the
// months that have a number, the first month on ties, and their date is that
// month (plus 50 when another month holds the same extreme) with the month's
// own day group. Results are written in the file's integer units,
// zero-padded to the group width (a sign counts as a character), "-" where a
// value cannot be computed, a run of "." where no month had the event.
#include "kelvane/year_statistic.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "common/error.h"
#include "common/solar.h"
#include "common/text.h"
#include "kelvane/automation.h"

namespace kelvane::yearstat {

namespace {

constexpr int kItems = 150;
constexpr int kYear = 13;

enum class Rule : uint8_t {
  Mean,              // mean of twelve monthly values
  Sum,               // sum of twelve monthly values
  Max,               // largest monthly extreme; the next item is its date
  Min,               // smallest monthly extreme; the next item is its date
  MaxWithDirection,  // largest monthly value, the next item its direction, then its date
  WetSpell,          // longest wet spell: days, amount, dates (three items)
  DrySpell,          // longest dry spell: days, dates (two items)
  Icing,             // wire icing, twelve items
  MostFrequent,      // most frequent direction and its frequency (from the wind table)
  SunshinePercent,   // the year's sunshine over the year's possible sunshine
};

struct ItemRule {
  int16_t first, last;  // items the rule computes (each item of a range alike)
  Rule rule;
  uint8_t width;     // characters of the value
  uint8_t dayWidth;  // characters of the day of a date (extremes)
};

// The rule of each yearly item. Items 9-17, 41-49 and 144-146 have no
// yearly value; date and direction items are written with their extreme.
constexpr ItemRule kRules[] = {
    {1, 3, Rule::Mean, 5, 0},     {4, 4, Rule::Max, 5, 2},       {6, 6, Rule::Min, 5, 2},
    {8, 8, Rule::Mean, 5, 0},     {18, 20, Rule::Mean, 4, 0},    {21, 21, Rule::Max, 4, 2},
    {23, 23, Rule::Min, 4, 2},    {25, 25, Rule::Mean, 3, 0},    {26, 26, Rule::Max, 3, 2},
    {28, 28, Rule::Min, 3, 2},    {30, 30, Rule::Mean, 2, 0},    {31, 31, Rule::Min, 2, 2},
    {33, 34, Rule::Mean, 3, 0},   {35, 40, Rule::Sum, 3, 0},     {50, 50, Rule::Sum, 5, 0},
    {51, 51, Rule::Max, 5, 2},    {53, 60, Rule::Sum, 4, 0},     {61, 61, Rule::WetSpell, 4, 0},
    {64, 64, Rule::DrySpell, 4, 0}, {66, 67, Rule::Sum, 5, 0},   {68, 68, Rule::Max, 3, 2},
    {70, 70, Rule::Max, 3, 2},    {72, 72, Rule::Icing, 4, 0},   {84, 108, Rule::Sum, 3, 0},
    {111, 111, Rule::Mean, 3, 0}, {112, 112, Rule::MaxWithDirection, 3, 2},
    {115, 115, Rule::MaxWithDirection, 3, 2},                    {118, 120, Rule::Mean, 4, 0},
    {121, 121, Rule::Max, 4, 2},  {123, 123, Rule::Min, 4, 2},   {125, 125, Rule::Sum, 3, 0},
    {126, 136, Rule::Mean, 4, 0}, {137, 137, Rule::Max, 4, 2},   {139, 139, Rule::Min, 4, 2},
    {141, 141, Rule::Sum, 3, 0},  {142, 142, Rule::Max, 4, 3},   {147, 147, Rule::Sum, 5, 0},
    // After item 147, which it reads.
    {148, 148, Rule::SunshinePercent, 2, 0},                     {149, 150, Rule::Sum, 3, 0},
    // After the wind table, which it reads.
    {109, 109, Rule::MostFrequent, 3, 0},
};

enum class Kind : uint8_t { Number, Missing, NoEvent };

struct Cell {
  Kind kind = Kind::Missing;
  int64_t value = 0;
};

bool IsWholeNumber(std::string_view s) {
  size_t i = (!s.empty() && (s[0] == '-' || s[0] == '+')) ? 1 : 0;
  if (i >= s.size()) return false;
  for (; i < s.size(); ++i)
    if (s[i] < '0' || s[i] > '9') return false;
  return true;
}

// Larger than any group of a Y file can hold; such a text is no value the
// sums and means can work with (and would overflow them), so it reads as
// missing.
constexpr int64_t kLargestValue = 1'000'000'000'000'000;

Cell Read(std::string_view s) {
  if (IsWholeNumber(s)) {
    const int64_t v = LeadingInteger(s);
    if (v > kLargestValue || v < -kLargestValue) return {Kind::Missing, 0};
    return {Kind::Number, v};
  }
  if (IsRunOf(s, '.')) return {Kind::NoEvent, 0};
  return {Kind::Missing, 0};
}

// A whole number zero-padded to width characters, a sign included.
std::string Pad(int64_t v, int width) {
  std::string digits = std::to_string(v < 0 ? -v : v);
  const int room = width - (v < 0 ? 1 : 0);
  if (static_cast<int>(digits.size()) < room)
    digits.insert(0, static_cast<size_t>(room) - digits.size(), '0');
  return v < 0 ? "-" + digits : digits;
}

std::string Run(char c, int width) { return std::string(static_cast<size_t>(width), c); }

std::string Rounded(double x, int width) { return Pad(RoundHalfAway(x), width); }

class Computation {
 public:
  Computation(const VariantArray& para, StringArray& my, const StringArray& mwdf,
              StringArray& ywdf)
      : para_(para), my_(my), mwdf_(mwdf), ywdf_(ywdf) {
    // Any year text gives a year the date arithmetic can hold.
    year_ = static_cast<int>(std::clamp<int64_t>(
        LeadingInteger(para.Find(2) ? para(2).Text() : std::string()), -100000, 100000));
  }

  void Run() {
    ComputeWind();
    for (const ItemRule& r : kRules)
      for (int k = r.first; k <= r.last; ++k) Item(r, k);
  }

 private:
  std::string& Year(int item) { return my_(kYear, item); }
  const std::string& Month(int m, int item) const { return my_(m, item); }
  Cell At(int m, int item) const { return Read(Month(m, item)); }

  void Item(const ItemRule& r, int k) {
    switch (r.rule) {
      case Rule::Mean: Year(k) = Mean(k, r.width); break;
      case Rule::Sum: Year(k) = Sum(k, r.width); break;
      case Rule::Max: Extreme(k, k + 1, 0, r, true); break;
      case Rule::Min: Extreme(k, k + 1, 0, r, false); break;
      case Rule::MaxWithDirection: Extreme(k, k + 2, k + 1, r, true); break;
      case Rule::WetSpell: Spell(k, true); break;
      case Rule::DrySpell: Spell(k, false); break;
      case Rule::Icing: Icing(k); break;
      case Rule::MostFrequent: MostFrequent(k); break;
      case Rule::SunshinePercent: Year(k) = SunshinePercent(k - 1, r.width); break;
    }
  }

  std::string Mean(int k, int width) const {
    int64_t sum = 0;
    for (int m = 1; m <= 12; ++m) {
      const Cell c = At(m, k);
      if (c.kind != Kind::Number) return "-";
      sum += c.value;
    }
    return Rounded(static_cast<double>(sum) / 12.0, width);
  }

  // Sum of twelve texts; "no event" counts 0, all twelve "no event" give a
  // run of ".".
  static std::string SumOf(const std::array<std::string_view, 12>& texts, int width) {
    int64_t sum = 0;
    int none = 0;
    for (std::string_view t : texts) {
      const Cell c = Read(t);
      if (c.kind == Kind::Missing) return "-";
      if (c.kind == Kind::NoEvent) ++none;
      sum += c.value;
    }
    return none == 12 ? yearstat::Run('.', width) : Pad(sum, width);
  }

  std::string Sum(int k, int width) const {
    std::array<std::string_view, 12> t;
    for (int m = 1; m <= 12; ++m) t[static_cast<size_t>(m - 1)] = Month(m, k);
    return SumOf(t, width);
  }

  // The month of the largest (or smallest) number among the months, 0 when
  // none has one; ties counts the months holding it.
  int Best(int k, bool largest, int& ties) const {
    int best = 0;
    int64_t v = 0;
    ties = 0;
    for (int m = 1; m <= 12; ++m) {
      const Cell c = At(m, k);
      if (c.kind != Kind::Number) continue;
      if (best == 0 || (largest ? c.value > v : c.value < v)) {
        best = m;
        v = c.value;
        ties = 1;
      } else if (c.value == v) {
        ++ties;
      }
    }
    return best;
  }

  bool AllNoEvent(int k) const {
    for (int m = 1; m <= 12; ++m)
      if (At(m, k).kind != Kind::NoEvent) return false;
    return true;
  }

  // "MM/DD": the month (2 characters) and the month's day group as written,
  // widened with zeros to dayWidth.
  std::string DateText(int month, std::string_view day, int dayWidth) const {
    std::string d(day);
    if (IsWholeNumber(d)) {
      d = Pad(LeadingInteger(d), dayWidth);
    } else if (IsRunOf(d, '/')) {
      d = yearstat::Run('/', dayWidth);
    }
    return Pad(month, 2) + "/" + d;
  }

  void Extreme(int k, int dateItem, int directionItem, const ItemRule& r, bool largest) {
    int ties = 0;
    const int m = Best(k, largest, ties);
    if (m == 0) {
      const bool none = AllNoEvent(k);
      Year(k) = none ? yearstat::Run('.', r.width) : "-";
      Year(dateItem) = none ? "//" + std::string("/") + yearstat::Run('/', r.dayWidth) : "-";
      if (directionItem != 0) Year(directionItem) = none ? "..." : "-";
      return;
    }
    Year(k) = Month(m, k);
    Year(dateItem) = DateText(ties > 1 ? m + 50 : m, Month(m, dateItem), r.dayWidth);
    if (directionItem != 0) Year(directionItem) = Month(m, directionItem);
  }

  // Monthly dates "MM/DD-MM/DD" of a spell, to months and days.
  static bool SpellDates(std::string_view t, int& sm, int& sd, int& em, int& ed) {
    if (t.size() != 11 || t[2] != '/' || t[5] != '-' || t[8] != '/') return false;
    for (size_t i : {0, 1, 3, 4, 6, 7, 9, 10})
      if (t[i] < '0' || t[i] > '9') return false;
    sm = (t[0] - '0') * 10 + (t[1] - '0');
    sd = (t[3] - '0') * 10 + (t[4] - '0');
    em = (t[6] - '0') * 10 + (t[7] - '0');
    ed = (t[9] - '0') * 10 + (t[10] - '0');
    return true;
  }

  // The month with the most days (wet spells: then the larger amount), the
  // earlier month on ties; its days, amount and dates, the start in the
  // previous year when the start month lies after the end month.
  void Spell(int k, bool wet) {
    const int dateItem = wet ? k + 2 : k + 1;
    int best = 0;
    int64_t days = 0, amount = 0;
    for (int m = 1; m <= 12; ++m) {
      const Cell d = At(m, k);
      if (d.kind != Kind::Number) continue;
      const Cell a = wet ? At(m, k + 1) : Cell{};
      const int64_t am = a.kind == Kind::Number ? a.value : -1;
      if (best == 0 || d.value > days || (wet && d.value == days && am > amount)) {
        best = m;
        days = d.value;
        amount = am;
      }
    }
    if (best == 0) {
      Year(k) = "-";
      if (wet) Year(k + 1) = "-";
      Year(dateItem) = "-";
      return;
    }
    Year(k) = Pad(days, 4);
    if (wet) Year(k + 1) = Month(best, k + 1);
    int sm = 0, sd = 0, em = 0, ed = 0;
    if (!SpellDates(Month(best, dateItem), sm, sd, em, ed)) {
      Year(dateItem) = "-";
      return;
    }
    const int startYear = sm > em ? year_ - 1 : year_;
    Year(dateItem) = Pad(startYear, 4) + "/" + Pad(sm, 2) + "/" + Pad(sd, 2) + "-" +
                     Pad(year_, 4) + "/" + Pad(em, 2) + "/" + Pad(ed, 2);
  }

  // Wire icing, items k..k+11: the symbol of every icing of the year; the
  // north-south and east-west measurements of the months with the largest
  // diameter in each direction; temperature and wind of the month whose
  // larger diameter is the year's largest. Ties: the earlier month.
  void Icing(int k) {
    bool rime = false, glaze = false, anyNumber = false, allNone = true;
    for (int m = 1; m <= 12; ++m) {
      const std::string& s = Month(m, k);
      const Cell c = Read(s);
      if (c.kind != Kind::NoEvent) allNone = false;
      if (c.kind != Kind::Number) continue;
      anyNumber = true;
      for (size_t i = 0; i + 2 <= s.size(); i += 2) {
        if (s.compare(i, 2, "56") == 0) glaze = true;
        if (s.compare(i, 2, "48") == 0) rime = true;
      }
    }
    Year(k) = glaze && rime ? "5648"
              : glaze       ? "0056"
              : rime        ? "0048"
              : anyNumber   ? "0000"
              : allNone     ? "...."
                            : "-";
    // One measurement's values stay together: diameter, thickness, weight, day.
    auto measurement = [&](int d) {
      int ties = 0;
      const int m = Best(d, true, ties);
      static constexpr int kWidths[] = {3, 3, 5};
      if (m == 0) {
        const bool none = AllNoEvent(d);
        for (int i = 0; i < 3; ++i) Year(d + i) = none ? yearstat::Run('.', kWidths[i]) : "-";
        Year(d + 3) = none ? "/////" : "-";
        return;
      }
      for (int i = 0; i < 3; ++i) Year(d + i) = Month(m, d + i);
      Year(d + 3) = DateText(m, Month(m, d + 3), 2);
    };
    measurement(k + 1);
    measurement(k + 5);
    int best = 0;
    int64_t v = 0;
    for (int m = 1; m <= 12; ++m) {
      const Cell a = At(m, k + 1), b = At(m, k + 5);
      if (a.kind != Kind::Number && b.kind != Kind::Number) continue;
      const int64_t larger = std::max(a.kind == Kind::Number ? a.value : INT64_MIN,
                                      b.kind == Kind::Number ? b.value : INT64_MIN);
      if (best == 0 || larger > v) {
        best = m;
        v = larger;
      }
    }
    static constexpr int kWidths[] = {4, 3, 3};
    for (int i = 0; i < 3; ++i) {
      const int item = k + 9 + i;
      if (best != 0) {
        Year(item) = Month(best, item);
      } else {
        Year(item) = allNone ? yearstat::Run('.', kWidths[i]) : "-";
      }
    }
  }

  std::string SunshinePercent(int hoursItem, int width) {
    const Cell h = Read(Year(hoursItem));
    if (h.kind != Kind::Number) return "-";
    const std::string lat = para_.Find(6) ? para_(6).Text() : std::string();
    const std::string lon = para_.Find(7) ? para_(7).Text() : std::string();
    const std::string y = std::to_string(year_);
    double possible = 0;
    try {
      for (int m = 1; m <= 12; ++m) {
        const std::string ms = std::to_string(m);
        for (int d = 1; d <= DaysInMonth(year_, m); ++d)
          possible += DayLength(y, ms, std::to_string(d), lat, lon);
      }
    } catch (const Error&) {
      return "-";
    }
    if (possible <= 0) return "-";
    return Rounded(100.0 * (static_cast<double>(h.value) / 10.0) / possible, width);
  }

  // ---- yearly wind statistics

  const std::string& MonthWind(int d, int m, int q) const { return mwdf_(d, (m - 1) * 5 + q); }

  void ComputeWind() {
    std::array<std::string, 17> counts;
    for (int d = 1; d <= 17; ++d) {
      std::array<std::string_view, 12> t;
      for (int m = 1; m <= 12; ++m) t[static_cast<size_t>(m - 1)] = MonthWind(d, m, 2);
      counts[static_cast<size_t>(d - 1)] = SumOf(t, 4);
    }
    int64_t all = 0;
    bool allKnown = true;
    for (const std::string& c : counts) {
      const Cell x = Read(c);
      if (x.kind == Kind::Missing) allKnown = false;
      all += x.value;
    }
    for (int d = 1; d <= 17; ++d) {
      const std::string& count = counts[static_cast<size_t>(d - 1)];
      const Cell n = Read(count);
      ywdf_(d, 2) = count;
      ywdf_(d, 4) = !allKnown || n.kind == Kind::Missing ? "-"
                    : all == 0                            ? ".."
                                                          : Rounded(100.0 * static_cast<double>(n.value) / static_cast<double>(all), 2);
      // Calm has only its count and frequency.
      if (d == 17) break;
      std::array<std::string_view, 12> t;
      for (int m = 1; m <= 12; ++m) t[static_cast<size_t>(m - 1)] = MonthWind(d, m, 1);
      const std::string sum = SumOf(t, 6);
      ywdf_(d, 1) = sum;
      const Cell s = Read(sum);
      ywdf_(d, 3) = s.kind == Kind::Missing || n.kind == Kind::Missing ? "-"
                    : n.value == 0                                      ? "..."
                                                                        : Rounded(static_cast<double>(s.value) / static_cast<double>(n.value), 3);
      int best = 0;
      int64_t v = 0;
      bool none = true;
      for (int m = 1; m <= 12; ++m) {
        const Cell c = Read(MonthWind(d, m, 5));
        if (c.kind != Kind::NoEvent) none = false;
        if (c.kind == Kind::Number && (best == 0 || c.value > v)) {
          best = m;
          v = c.value;
        }
      }
      if (best != 0) {
        ywdf_(d, 5) = MonthWind(d, best, 5);
        ywdf_(d, 6) = Pad(best, 2);
      } else {
        ywdf_(d, 5) = none ? "..." : "-";
        ywdf_(d, 6) = none ? ".." : "-";
      }
    }
  }

  // From the yearly counts of the sixteen directions (calm excluded); the
  // frequency over all observations, calm included.
  void MostFrequent(int k) {
    int best = 0;
    int64_t v = 0;
    for (int d = 1; d <= 16; ++d) {
      const Cell c = Read(ywdf_(d, 2));
      if (c.kind == Kind::Missing) {
        Year(k) = "-";
        Year(k + 1) = "-";
        return;
      }
      if (c.value > v) {
        best = d;
        v = c.value;
      }
    }
    if (best == 0) {
      Year(k) = "...";
      Year(k + 1) = "..";
      return;
    }
    Year(k) = std::string(kDirectionNames[best - 1]);
    Year(k + 1) = ywdf_(best, 4);
  }

  static constexpr std::string_view kDirectionNames[16] = {
      "N", "NNE", "NE", "ENE", "E", "ESE", "SE", "SSE",
      "S", "SSW", "SW", "WSW", "W", "WNW", "NW", "NNW"};

  const VariantArray& para_;
  StringArray& my_;
  const StringArray& mwdf_;
  StringArray& ywdf_;
  int year_ = 0;
};

bool Covers(const StringArray& a, long ub1, long ub2) {
  return a.Rank() == 2 && a.LBound(1) <= 1 && a.UBound(1) >= ub1 && a.LBound(2) <= 1 &&
         a.UBound(2) >= ub2;
}

// ---- the late-bound class

using automation::MethodDispatch;
using automation::MethodEntry;
using automation::ParamEntry;
using automation::ParamKind;
using automation::Value;

constexpr ParamEntry kYearStatisticParams[] = {
    {"YFilePara", ParamKind::kVariantArrayRef},
    {"strMonthYearS", ParamKind::kStringArrayRef},
    {"strMonthWDF", ParamKind::kStringArrayRef},
    {"strYearWDF", ParamKind::kStringArrayRef},
    {"result", ParamKind::kVariantRef},
};

constexpr MethodEntry kReadWriteFileMethods[] = {
    {"YearStatistic", kYearStatisticParams,
     [](MethodDispatch&, std::vector<Value>& v, Value*) {
       Status s = YearStatistic(*v[0].AsVariantArray(), *v[1].AsStringArray(),
                                *v[2].AsStringArray(), *v[3].AsStringArray());
       *v[4].AsVariant() = Variant(0.0);
       return s;
     }},
};

class ReadWriteFile final : public MethodDispatch {
 public:
  ReadWriteFile() : MethodDispatch(kReadWriteFileMethods) {}
};

}  // namespace

Status YearStatistic(const VariantArray& YFilePara, StringArray& strMonthYearS,
                     const StringArray& strMonthWDF, StringArray& strYearWDF) {
  return RunGuarded([&] {
    // Every shape is checked before a cell is written.
    if (!Covers(strMonthYearS, kYear, kItems))
      throw SubscriptError("strMonthYearS must cover (1 to 13, 1 to 150)");
    if (!Covers(strMonthWDF, 17, 60)) throw SubscriptError("strMonthWDF must cover (1 to 17, 1 to 60)");
    if (!Covers(strYearWDF, 17, 6)) throw SubscriptError("strYearWDF must cover (1 to 17, 1 to 6)");
    Computation(YFilePara, strMonthYearS, strMonthWDF, strYearWDF).Run();
  });
}

Status RegisterYearStatistic() {
  auto& reg = automation::Registry::Instance();
  if (reg.IsRegistered(kProgId)) return Status::Ok();
  return reg.RegisterClass(kProgId, [] { return std::make_unique<ReadWriteFile>(); });
}

}  // namespace kelvane::yearstat
