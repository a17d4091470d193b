// The weather phenomena audit: each day's text read by its grammar, the
// codes, night brackets, periods, minimum visibilities and thunderstorm
// directions of its records checked, then the rules against the other
// elements applied with the day's state.
#include "afile/audit/weather_phenomena.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "afile/audit/audits.h"
#include "common/text.h"

namespace kelvane::afile::audit {

namespace {

// Whole text.
constexpr std::string_view kMsgIncomplete = "天气现象不完整";
constexpr std::string_view kMsgNightBrackets = "夜间天气现象括号不完整";
constexpr std::string_view kMsgVisibilityBrackets = "最小能见度记录格式可能错误";
constexpr std::string_view kMsgBlankBeforeComma =
    "天气现象不能连接记载,应转分段记载,余下记录没审核!";
// Records.
constexpr std::string_view kMsgRecordFormat = "天气现象中有格式错误";
constexpr std::string_view kMsgCode = "天气现象代码错";
constexpr std::string_view kMsgTimesMissing = "可能漏记起止时间";
constexpr std::string_view kMsgVisibilityMissing = "漏记最小能见度";
constexpr std::string_view kMsgVisibilityAbove999 = "的最小能见度不能>999";
constexpr std::string_view kMsgVisibilityRepeated = "最小能见度记载重复";
constexpr std::string_view kMsgNoTimesAllowed = "不能有起止时间";
// Periods.
constexpr std::string_view kMsgNoDots = "的起止时间不能用虚线连接";
constexpr std::string_view kMsgPeriodBad = "的起止时间错";
constexpr std::string_view kMsgStartBefore08 = "的开始时间应在08时之后";
constexpr std::string_view kMsgAnd = "和";
constexpr std::string_view kMsgStartOrder = "的开始时间矛盾";
constexpr std::string_view kMsgStartBad = "的开始时间错";
constexpr std::string_view kMsgEndBad = "的终止时间错";
constexpr std::string_view kMsgOf = "的";
constexpr std::string_view kMsgSquallEnd = "飑不能有终止时间";
constexpr std::string_view kMsgThunderStartOrder = "雷暴开始时间与前一开始时间矛盾";
constexpr std::string_view kMsgVisibilityFormat = "的最小能见度格式错误";
constexpr std::string_view kMsgNoVisibilityAllowed = "不能有最小能见度";
constexpr std::string_view kMsgNoDirectionAllowed = "不能有方位";
constexpr std::string_view kMsgPeriodLength = "的起止时间段格式错误";
// Thunderstorm directions.
constexpr std::string_view kMsgThunderStartDir = "雷暴的开始方位格式错误";
constexpr std::string_view kMsgThunderMiddleDir = "雷暴的中间方位格式错误";
constexpr std::string_view kMsgThunderEndDir = "雷暴的终止方位格式错误";
constexpr std::string_view kMsgThunderNoMiddle = "漏记雷暴中间方位";
constexpr std::string_view kMsgThunderStartMiddle = "雷暴开始与中间方位矛盾";
constexpr std::string_view kMsgThunderMiddleEnd = "雷暴中间与终止方位矛盾";
constexpr std::string_view kMsgThunderExtraMiddle = "多记雷暴中间方位";
constexpr std::string_view kMsgThunderSameStart = "前后两次雷暴过程的开始时间和开始方位相同错误";
constexpr std::string_view kMsgThunderSplit = "同一雷暴系统起止时间分段错";
constexpr std::string_view kMsgThunderAcrossDays = "前一日雷暴终止时间与该日雷暴开始时间记录错";
// End of day.
constexpr std::string_view kMsgNightRepeated = "夜间天气现象有重复";
constexpr std::string_view kMsgDayRepeated = "天气现象有重复";

// Codes whose records normally carry times, and codes that never do.
constexpr std::string_view kCodesWithTimes =
    "06,07,14,15,17,18,19,31,38,39,42,48,50,56,60,68,70,77,79,80,83,87,89,";
constexpr std::string_view kCodesWithoutTimes = "01,02,03,04,05,08,10,13,16,76,";

std::string Join(std::initializer_list<std::string_view> parts) {
  size_t n = 0;
  for (std::string_view p : parts) n += p.size();
  std::string s;
  s.reserve(n);
  for (std::string_view p : parts) s.append(p);
  return s;
}

// Two directions that contradict each other: the same, or opposite.
bool SameOrOpposite(std::string_view a, std::string_view b) {
  return a == b || std::abs(ThunderDirectionDegrees(a) - ThunderDirectionDegrees(b)) == 180;
}

class WeatherPass {
 public:
  WeatherPass(AuditContext& cx, const WeatherElements& el, bool mountain)
      : cx_(cx), el_(el), mountain_(mountain) {}

  void Run(const Grid& strw) {
    withoutTimes_ = true;
    nightBrackets_ = false;
    for (int d = 1; d <= strw.Days(); ++d) {
      const std::string_view text = strw.Text(d, 1);
      withoutTimes_ = withoutTimes_ && IsWithoutTimes(text);
      nightBrackets_ = nightBrackets_ || text.find('(') != std::string_view::npos;
    }
    for (int d = 1; d <= strw.Days(); ++d)
      if (!Day(d, strw.Text(d, 1))) return;
  }

 private:
  void Error(std::string_view message) { cx_.Error(message, {kWeatherElement, st_.day, {}}); }
  void Suspicious(std::string_view message) {
    cx_.Suspicious(message, {kWeatherElement, st_.day, {}});
  }

  // False when the rest of the month is not to be audited.
  bool Day(int d, std::string_view text) {
    st_.Reset(d);
    todayThunderEnd_ = kUnknownMinutes;
    todayThunderDirection_.clear();

    day_.Parse(text);
    RunWeatherStep([&] { WholeText(); });
    if (text.empty() || text == "-") {
      // Nothing recorded for the day: only its incompleteness is reported.
      EndThunderDay();
      return true;
    }
    if (day_.blankBeforeComma()) {
      Error(kMsgBlankBeforeComma);
      return false;
    }
    st_.lastNight = day_.lastNightIndex();
    NoteVisibilityRecords();

    bool first = true;
    for (const WeatherRecord& r : day_.records()) {
      RunWeatherStep([&] { Record(r, first); });
      st_.previousCode = r.code();
      first = false;
    }

    RunWeatherStep([&] { CheckMinimumVisibilityWithElements(cx_, el_, day_, st_); });
    EndThunderDay();
    RunWeatherStep([&] { Duplicates(true, kMsgNightRepeated); });
    RunWeatherStep([&] { Duplicates(false, kMsgDayRepeated); });
    RunWeatherStep([&] { CheckDayWithElements(cx_, el_, day_, st_); });
    return true;
  }

  void WholeText() {
    if (!day_.complete()) Error(kMsgIncomplete);
    if (day_.hasOpenParenthesis() != day_.hasCloseParenthesis()) Error(kMsgNightBrackets);
    if (day_.openBrackets() != day_.closeBrackets()) Suspicious(kMsgVisibilityBrackets);
  }

  // Which of the codes that may carry a minimum visibility have a record of
  // their own giving it ("42[300]"), by night or by day.
  void NoteVisibilityRecords() {
    visibilityRecord_.fill(false);
    for (const WeatherRecord& r : day_.records()) {
      const int slot = VisibilityCodeSlot(r.code());
      if (slot >= 0 && r.AfterCode() == "[") visibilityRecord_[static_cast<size_t>(slot)] = true;
    }
  }
  bool HasVisibilityRecord(std::string_view code) const {
    const int slot = VisibilityCodeSlot(code);
    return slot >= 0 && visibilityRecord_[static_cast<size_t>(slot)];
  }

  void Record(const WeatherRecord& r, bool firstOfDay) {
    const std::string_view R = r.code();
    if (r.length() < 2) Error(kMsgRecordFormat);
    if (r.length() == 1) Error(kMsgCode);
    else if (IsBadPhenomenonCode(R)) Error(Join({kMsgCode, R}));
    if (!withoutTimes_ && !r.night && r.length() == 2 && CodeIn(R, kCodesWithTimes))
      Suspicious(Join({R, kMsgTimesMissing}));
    if (r.length() > 2) {
      const std::string_view after = r.AfterCode();
      if ((after != " " && after != "[") || (after == "[" && VisibilityCodeSlot(R) < 0))
        Error(kMsgCode);
    }
    if (!r.night) st_.NoteDayRecord(R, r.index);
    if (!withoutTimes_ && ((R == "42" && !mountain_) || R == "31" || R == "39") &&
        r.text().find_first_of("[]") == std::string_view::npos && !HasVisibilityRecord(R))
      Suspicious(Join({R, kMsgVisibilityMissing}));

    if (r.form == RecordForm::Visibility) {
      if (LeadingNumber(r.visibility()) > 999) Error(Join({R, kMsgVisibilityAbove999}));
      NoteVisibility(R);
      return;
    }
    if (r.form == RecordForm::Periods && CodeIn(R, kCodesWithoutTimes))
      Error(Join({R, kMsgNoTimesAllowed}));

    thunder_.valid = false;
    int x = 0;
    for (const WeatherPeriod* p = day_.begin(r); p != day_.end(r); ++p) {
      ++x;
      bool examined = false;
      RunWeatherStep([&] { examined = Period(r, *p, x, firstOfDay); });
      if (!examined) continue;
      if (R == "17" && p->hasDirections) RunWeatherStep([&] { ThunderDirections(*p, x); });
      st_.previousStart = p->startMinutes;
      st_.previousEnd = p->endMinutes;
      RunWeatherStep([&] { CheckPeriodWithElements(cx_, el_, day_, r, *p, st_); });
    }
  }

  void NoteVisibility(std::string_view code) {
    const int slot = VisibilityCodeSlot(code);
    if (slot < 0) return;
    bool& given = st_.visibilityGiven[static_cast<size_t>(slot)];
    if (given) Error(Join({code, kMsgVisibilityRepeated}));
    given = true;
  }

  // The checks of one period; false when it is too short to be examined.
  bool Period(const WeatherRecord& r, const WeatherPeriod& p, int x, bool firstRecord) {
    const std::string_view R = r.code();
    if ((R == "15" || R == "17") && p.dotted) Error(Join({R, kMsgNoDots}));
    if (p.tooShort) {
      Error(Join({R, kMsgPeriodBad, p.text()}));
      return false;
    }

    // A start written "////" takes part in no comparison of times.
    const int s = p.writtenStart;
    if (nightBrackets_ && s != kUnknownMinutes && s < 720) Error(Join({R, kMsgStartBefore08}));
    if (x == 1) {
      if (!firstRecord && s != kUnknownMinutes && st_.lastFirstStart != kUnknownMinutes &&
          s < st_.lastFirstStart)
        Error(Join({st_.previousCode, kMsgAnd, R, kMsgStartOrder, p.start()}));
      st_.lastFirstStart = s;
    }
    if (p.start() != kUnknownTime && IsBadPhenomenonTime(p.start(), TimeRole::Start))
      Error(Join({R, kMsgStartBad, p.start()}));

    if (p.hasEnd) {
      if (p.end() != kUnknownTime && IsBadPhenomenonTime(p.end(), TimeRole::End))
        Error(Join({R, kMsgEndBad, p.end()}));
      if (p.start() != kUnknownTime && p.end() != kUnknownTime) {
        const std::string_view m =
            CheckPeriodSequence(p.startMinutes, p.endMinutes, Sequence::WithinPeriod);
        if (!m.empty()) Error(Join({R, kMsgOf, m}));
      }
      if (R == "18") Error(kMsgSquallEnd);
    }

    if (x > 1) {
      if (R != "17") {
        const std::string_view m =
            CheckPeriodSequence(st_.previousEnd, p.startMinutes, Sequence::BetweenPeriods);
        if (!m.empty()) Error(Join({R, kMsgOf, m}));
      } else if (p.startMinutes != kUnknownMinutes && p.startMinutes < st_.previousStart) {
        Error(kMsgThunderStartOrder);
      }
    }

    if (p.opens != p.closes) Error(Join({R, kMsgVisibilityFormat}));
    if (p.opens > 0 && p.closes > 0) {
      if (VisibilityCodeSlot(R) < 0) {
        Error(Join({R, kMsgNoVisibilityAllowed}));
      } else if (!p.bracketsReversed) {
        if (LeadingNumber(p.visibility()) > 999) Error(Join({R, kMsgVisibilityAbove999}));
        NoteVisibility(R);
      } else {
        Error(Join({R, kMsgVisibilityFormat}));
      }
    }

    if (p.hasDirections && R != "17") Error(Join({R, kMsgNoDirectionAllowed}));
    if (CharCount(p.core()) != (p.hasEnd ? 9u : 4u)) Error(Join({R, kMsgPeriodLength}));
    return true;
  }

  void ThunderDirections(const WeatherPeriod& p, int x) {
    const std::array<std::string_view, 3> d = p.directions();
    const std::string_view startDir = d[0];
    switch (p.directionCount) {
      case 1:
        if (IsBadThunderDirection(d[0])) Error(kMsgThunderStartDir);
        break;
      case 2:
        if (IsBadThunderDirection(d[0])) Error(kMsgThunderStartDir);
        if (IsBadThunderDirection(d[1])) Error(kMsgThunderEndDir);
        if (SameOrOpposite(d[0], d[1])) Error(kMsgThunderNoMiddle);
        break;
      case 3: {
        if (IsBadThunderDirection(d[0])) Error(kMsgThunderStartDir);
        if (IsBadThunderDirection(d[1])) Error(kMsgThunderMiddleDir);
        if (IsBadThunderDirection(d[2])) Error(kMsgThunderEndDir);
        if (SameOrOpposite(d[0], d[1])) Error(kMsgThunderStartMiddle);
        if (SameOrOpposite(d[1], d[2])) Error(kMsgThunderMiddleEnd);
        if (d[0] != "Z" && d[1] != "Z" && d[2] != "Z") {
          // Does the middle lie on the shorter arc from start to end?
          int a = ThunderDirectionDegrees(d[0]), b = ThunderDirectionDegrees(d[2]);
          const int m = ThunderDirectionDegrees(d[1]);
          if (a > b) std::swap(a, b);
          if (b < m) std::tie(a, b) = std::pair(b, a + 360);
          if (b - a < 180 && a < m && m < b) Error(kMsgThunderExtraMiddle);
        }
        break;
      }
      default:
        Error(kMsgThunderEndDir);
        break;
    }
    const std::string_view endDir = p.lastDirection();
    st_.thunderDirection = true;

    // Times written "////" are not compared.
    const bool startKnown = p.writtenStart != kUnknownMinutes;
    const bool endKnown = p.writtenEnd != kUnknownMinutes;
    const int s = p.startMinutes;
    if (x > 1 && thunder_.valid && startKnown) {
      if (thunder_.startKnown && startDir == thunder_.startDirection && s == thunder_.start)
        Error(kMsgThunderSameStart);
      if (thunder_.endKnown && s - thunder_.end < 16 && thunder_.endDirection == startDir)
        Error(kMsgThunderSplit);
    }
    if (x == 1 && st_.day > 1 && startKnown && carriedThunderEnd_ != kUnknownMinutes) {
      const int gap = carriedThunderEnd_ - s;
      if (gap >= 1425 && s <= 15 && gap < 1440 && carriedThunderDirection_ == startDir)
        Error(kMsgThunderAcrossDays);
    }
    thunder_ = {true, startKnown, s, startDir, endKnown, p.endMinutes, endDir};
    todayThunderEnd_ = endKnown ? p.endMinutes : kUnknownMinutes;
    todayThunderDirection_.assign(endDir);
  }

  // The thunderstorm end carried into the next day: the day's last one, or
  // none when the day had no thunderstorm direction.
  void EndThunderDay() {
    if (st_.thunderDirection) {
      carriedThunderEnd_ = todayThunderEnd_;
      carriedThunderDirection_.swap(todayThunderDirection_);
    } else {
      carriedThunderEnd_ = kUnknownMinutes;
      // clear + push_back rather than assign("-"): GCC 12 at -O3 gives a
      // false -Wrestrict warning for the short assign.
      carriedThunderDirection_.clear();
      carriedThunderDirection_.push_back('-');
    }
  }

  // The first pair of night (or day) records with the same code, found as
  // the pairs (i, j), i < j, are searched in order: the code of the earliest
  // record that recurs later.
  void Duplicates(bool night, std::string_view message) {
    // Places of the records in the day (4 bytes each: a very long line has
    // millions), sorted by code and then by place.
    const std::vector<WeatherRecord>& records = day_.records();
    codes_.clear();
    codes_.reserve(records.size());
    for (uint32_t i = 0; i < records.size(); ++i)
      if (records[i].night == night && records[i].length() >= 2) codes_.push_back(i);
    const auto code = [&](uint32_t i) { return records[i].code(); };
    std::sort(codes_.begin(), codes_.end(), [&](uint32_t x, uint32_t y) {
      const int c = code(x).compare(code(y));
      return c != 0 ? c < 0 : records[x].index < records[y].index;
    });
    int bestIndex = 0;
    std::string_view best;
    for (size_t i = 0; i + 1 < codes_.size(); ++i) {
      if (code(codes_[i]) != code(codes_[i + 1])) continue;
      const WeatherRecord& first = records[codes_[i]];
      if (bestIndex == 0 || first.index < bestIndex) {
        bestIndex = first.index;
        best = first.code();
      }
      while (i + 1 < codes_.size() && code(codes_[i + 1]) == code(codes_[i])) ++i;
    }
    if (bestIndex != 0) Error(Join({message, best}));
  }

  AuditContext& cx_;
  const WeatherElements& el_;
  const bool mountain_;
  bool withoutTimes_ = true;
  bool nightBrackets_ = false;

  WeatherDay day_;
  WeatherDayState st_;
  std::array<bool, 7> visibilityRecord_{};
  std::vector<uint32_t> codes_;

  // The last thunderstorm period with directions of the record at hand.
  struct ThunderPeriod {
    bool valid = false;
    bool startKnown = false;
    int start = kUnknownMinutes;
    std::string_view startDirection;
    bool endKnown = false;
    int end = kUnknownMinutes;
    std::string_view endDirection;
  } thunder_;
  int todayThunderEnd_ = kUnknownMinutes;
  std::string todayThunderDirection_;
  int carriedThunderEnd_ = kUnknownMinutes;
  std::string carriedThunderDirection_ = "-";
};

}  // namespace

void WeatherDayState::Reset(int d) {
  *this = WeatherDayState();
  day = d;
}

int WeatherDayState::LastDayRecord(std::string_view code) const {
  if (code.size() != 2 || code[0] < '0' || code[0] > '9' || code[1] < '0' || code[1] > '9')
    return 0;
  return lastDayRecord_[static_cast<size_t>((code[0] - '0') * 10 + (code[1] - '0'))];
}

void WeatherDayState::NoteDayRecord(std::string_view code, int index) {
  if (code.size() != 2 || code[0] < '0' || code[0] > '9' || code[1] < '0' || code[1] > '9')
    return;
  lastDayRecord_[static_cast<size_t>((code[0] - '0') * 10 + (code[1] - '0'))] = index;
}

void AuditWeatherPhenomena(AuditContext& cx, const Grid& strw, const Grid& strT,
                           const Grid& strU, const Grid& strNN, const Grid& strCC,
                           const Grid& strV, const Grid& strR, const Grid& strFDFF,
                           const Grid& strD0, const Grid& strDYF, const Grid& strZJRR,
                           bool mountainStation) {
  const std::string_view mode = cx.ModeCode(11);
  if (!mode.empty() && mode.back() == '=') return;
  const WeatherElements el{strT, strU, strNN, strCC, strV, strR, strFDFF, strD0, strDYF, strZJRR};
  WeatherPass(cx, el, mountainStation).Run(strw);
}

}  // namespace kelvane::afile::audit
