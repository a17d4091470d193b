// Cloud audits: total and low cloud amount, cloud forms and their agreement
// with the amounts, with visibility and with hourly sunshine; the format of
// the measured cloud height.
#include "afile/audit/clouds.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cmath>
#include <initializer_list>
#include <string>
#include <vector>

#include "afile/audit/audits.h"
#include "common/solar.h"
#include "common/text.h"

namespace kelvane::afile::audit {

namespace {

constexpr std::string_view kTotalAmount = "总云量";
constexpr std::string_view kLowAmount = "低云量";
constexpr std::string_view kForms = "云状";
constexpr std::string_view kCloudHeight = "实测云高";

constexpr std::string_view kRelatedAmounts = "总云量/低云量";
constexpr std::string_view kRelatedVisibility = "能见度";
constexpr std::string_view kRelatedFormsSunshine = "云状/日照时数";
constexpr std::string_view kRelatedTotalSunshine = "总云量/日照时数";

constexpr std::string_view kMsgBadForm = "云状格式有错误";
constexpr std::string_view kMsgRepeatedForm = "云状有重复";
constexpr std::string_view kMsgTotalBelowLow = "总云量小于低云量";
constexpr std::string_view kMsgFogVisibility = "云状为雾、雪暴、沙尘暴之一,但能见度>=1.0KM";
constexpr std::string_view kMsgMistVisibility =
    "云状为轻雾、扬沙之一,但能见度不在1.0-<10.0KM之间";
constexpr std::string_view kMsgNoSunshine = "无云状或云状为高云,但无日照时数";
constexpr std::string_view kMsgOvercastSunshine = "总云量为10且云状中无高云,日照时数为1.0";

// Messages of the forms-against-amounts rules.
constexpr std::string_view kMsgAmountWithoutForms = "有总云量,但无云状!";
constexpr std::string_view kMsgObstructionAmounts = "有视程障碍现象,总低云量错!";
constexpr std::string_view kMsgMissingAmountsWithForms = "总低云量缺测,但有云状错!";
constexpr std::string_view kMsgObstructionNotFirst = "视程障碍现象不是位于第一!";
constexpr std::string_view kMsgLowFormsWithoutLowAmount = "无低云量,但有低云状!";
constexpr std::string_view kMsgLowAmountWithoutLowForms = "有低云量,但无低云状!";
constexpr std::string_view kMsgFormsWithoutTotal = "无总云量,但有云状!";
constexpr std::string_view kMsgNimbostratusNotOvercast = "有NS云,但云量不为10/10!";
constexpr std::string_view kMsgNebulosusNotOvercast = "有CSNEBU,总云量不为10!";
constexpr std::string_view kMsgOpacusScUnderOne = "有SCOP云,但云量小于1成!";
constexpr std::string_view kMsgOpacusAcUnderOne = "有ACOP云,但云量小于1成!";
constexpr std::string_view kMsgOpacusAsUnderOne = "有ASOP云,但云量小于1成!";
constexpr std::string_view kMsgNebulosusUnderOne = "有CSNEBU云,但云量小于1成!";
constexpr std::string_view kMsgFibratusUnderOne = "有CSFIL云,但云量小于1成!";
constexpr std::string_view kMsgLowOvercastWithoutSheet = "低云量为10,但无可使满布全天的云状!";
constexpr std::string_view kMsgLowOvercastWithUpper = "低云量为10,但有中高云!";
constexpr std::string_view kMsgTotalOvercastWithoutSheet = "总云量为10,但无可使满布全天的云状!";
constexpr std::string_view kMsgLowOnlyAmountsDiffer = "仅有低云,但总云量与低云量不相等!";
constexpr std::string_view kMsgFormsOrder = "云状顺序排列错!";

// Calls fn(word) for the words of a forms text split at single blanks: the
// fields of the text without its outer blanks, then one empty word for each
// outer blank, so that a text has one word more than it has blanks. An empty
// text has no words. Stops when fn returns false.
template <class Fn>
void ForEachWord(std::string_view forms, Fn&& fn) {
  if (forms.empty()) return;
  const std::string_view inner = TrimBlanks(forms);
  size_t start = 0;
  while (true) {
    const size_t blank = inner.find(' ', start);
    if (!fn(inner.substr(start, blank == std::string_view::npos ? blank : blank - start))) return;
    if (blank == std::string_view::npos) break;
    start = blank + 1;
  }
  for (size_t k = forms.size() - inner.size(); k > 0; --k)
    if (!fn(std::string_view())) return;
}

bool Contains(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

bool ContainsAny(std::string_view text, std::initializer_list<std::string_view> parts) {
  for (std::string_view p : parts)
    if (Contains(text, p)) return true;
  return false;
}

// " " + forms contains part: a part that starts with a blank also matches
// at the start of the forms, so " NS" finds NS as any word.
bool ContainsAfterBlank(std::string_view forms, std::string_view part) {
  if (Contains(forms, part)) return true;
  return !part.empty() && part.front() == ' ' && forms.starts_with(part.substr(1));
}

bool HasDigit(std::string_view text) {
  return std::any_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// "04", "05", "06" or "07": smoke, haze, dust, blowing sand.
bool HasObstructionPair(std::string_view forms) {
  return ContainsAny(forms, {"04", "05", "06", "07"});
}

bool HasLowCloudWord(std::string_view forms) {
  bool low = false;
  ForEachWord(forms, [&](std::string_view w) {
    low = IsLowCloudPosition(CloudCodePosition(w));
    return !low;
  });
  return low;
}

// P of the ordering rule: the class letters of the first nine words ('L'
// low, 'H' middle or high, '-' phenomenon; unknown words give none), cut
// after the first letter that differs from the first one.
struct FormsPattern {
  char letters[9] = {};
  int length = 0;
  bool cut = false;

  void Add(char letter) {
    if (cut || length == 9) return;
    letters[length++] = letter;
    cut = length > 1 && letter != letters[0];
  }
  std::string_view View() const { return {letters, static_cast<size_t>(length)}; }
  // Length of the run of the first letter.
  int Run() const {
    int k = 0;
    while (k < length && letters[k] == letters[0]) ++k;
    return k;
  }
  // k times `first` followed by `then` (k 1..8), or nine times `first`.
  bool RunThen(char first, char then, int& k) const {
    if (length == 0 || letters[0] != first) return false;
    k = Run();
    if (k == 9) return true;
    return k <= 8 && length == k + 1 && letters[k] == then;
  }
};

// Clock hour of observation i: 21..24, 1..20 of an hourly day, 6i - 4 (2,
// 8, 14, 20) of four observations; 0 past the hourly day.
int ObservationHour(Layout layout, int i) {
  if (layout == Layout::FourTimes) return 6 * i - 4;
  if (i < 1 || i > 24) return 0;
  return i <= 4 ? i + 20 : i - 4;
}

// Column of the visibility array observed at the same hour as cloud
// observation i: visibility may be hourly where clouds are four a day, and
// the other way round (then only the fixed hours have a visibility).
int VisibilityColumn(Layout clouds, const Grid& visibility, int i) {
  const Layout v = LayoutOf(visibility.Columns());
  if (v == clouds) return i;
  const int hour = ObservationHour(clouds, i);
  if (v == Layout::Hourly) return HourColumn(hour);
  return hour % 6 == 2 ? (hour + 4) / 6 : 0;
}

// A visibility or sunshine value that a rule can compare: present and not
// a missing run. Other texts read as their leading number (0 without one).
bool Comparable(const Cell& c) { return c.Present() && !IsMissingRun(c.text); }

// Hundredths of x, halves away from zero.
int32_t Hundredths(double x) { return RoundHalfAway(x * 100); }

// The part of a day in which the sun has been up for at least an hour and a
// half, in hundredths of an hour of true solar time: 12 - D/2 + 1.5 to
// D/2 + 12 - 1.5 for the day length D, both rounded to two decimals. D has
// two decimals, so the halving is done on whole hundredths.
struct SunWindow {
  bool valid = false;
  int32_t start = 0, end = 0;
};

SunWindow DayWindow(const AuditContext& cx, std::string_view day) {
  SunWindow w;
  const int32_t d = Hundredths(DayLength(cx.Para(2), cx.Para(3), day, cx.Latitude(),
                                         cx.Longitude()));
  w.start = (2700 - d + 1) / 2;
  w.end = (d + 2100 + 1) / 2;
  w.valid = true;
  return w;
}

}  // namespace

// ---------------------------------------------------------------- pieces

namespace {

// Position of word in the code list by a plain substring search.
int SearchCodeList(std::string_view word) {
  size_t from = 0;
  while (true) {
    const size_t at = kCloudCodeList.find(word, from);
    if (at == std::string_view::npos) return 0;
    const size_t after = at + word.size();
    if (after < kCloudCodeList.size() && kCloudCodeList[after] == ',')
      return static_cast<int>(at) + 1;
    from = at + 1;
  }
}

// Every word without a "," that the search finds is the tail of one code of
// the list: all of them, with the position the search gives, in a small
// open-addressed table built once, so that the forms of a month (tens of
// thousands of words) cost a hash and a compare each instead of a search of
// the list.
class CodeTable {
 public:
  CodeTable() {
    for (size_t at = 0; at < kCloudCodeList.size(); ++at) {
      if (kCloudCodeList[at] == ',') continue;
      const size_t comma = kCloudCodeList.find(',', at);
      const std::string_view tail = kCloudCodeList.substr(at, comma - at);
      Slot& slot = slots_[Index(tail)];
      if (slot.position == 0) slot = {tail, static_cast<int>(at) + 1};  // the first place wins
      longest_ = std::max(longest_, tail.size());
    }
  }
  int Find(std::string_view word) const {
    if (word.size() > longest_) return 0;
    return slots_[Index(word)].position;
  }

 private:
  struct Slot {
    std::string_view word;
    int position = 0;  // 0: empty
  };
  static constexpr size_t kSlots = 1024;  // well above the ~200 tails
  static size_t Hash(std::string_view w) {
    uint32_t h = 2166136261u;
    for (char c : w) h = (h ^ static_cast<unsigned char>(c)) * 16777619u;
    return h & (kSlots - 1);
  }
  // The slot holding w, or the empty slot where it would go.
  size_t Index(std::string_view w) const {
    size_t i = Hash(w);
    while (slots_[i].position != 0 && slots_[i].word != w) i = (i + 1) & (kSlots - 1);
    return i;
  }
  std::array<Slot, kSlots> slots_{};
  size_t longest_ = 0;
};

}  // namespace

int CloudCodePosition(std::string_view word) {
  if (word.empty()) return 0;
  if (word.find(',') != std::string_view::npos) return SearchCodeList(word);
  static const CodeTable table;
  return table.Find(word);
}

float CodeCloudAmount(const Cell& amount, bool cloudsPresent, float previous) {
  const std::string_view t = amount.text;
  if (t.empty()) return 0;
  if (t == "-") return kAmountNotObservable;
  if (t == "10-") return kAmountOvercastWithGaps;
  if (!amount.WellFormed() || amount.value < 0 || amount.value > 10) return previous;
  if (amount.value == 0) return cloudsPresent ? kAmountZeroWithClouds : 0.0f;
  return static_cast<float>(amount.value);
}

std::string_view CheckCloudForms(float n, float nh, std::string_view forms) {
  if (n == kAmountNotObservable && nh == kAmountNotObservable && forms == "-") return {};
  if (n > 0 && forms.empty()) return kMsgAmountWithoutForms;

  // Fog, mist, sandstorms and the like stand in place of the forms only
  // when they hide the sky (amounts 10/10) or when the amounts are "-".
  const bool both10 = n == 10 && nh == 10;
  const bool bothMissing = n == kAmountNotObservable && nh == kAmountNotObservable;
  const bool obstructionPair = HasObstructionPair(forms);
  const bool hidingSky = ContainsAny(forms, {"10", "42", "38", "39"});
  if (!((both10 || !hidingSky) && (bothMissing || (!Contains(forms, "31") && !obstructionPair))))
    return kMsgObstructionAmounts;
  if (n == kAmountNotObservable && !ContainsAny(forms, {"10", "42", "38", "39", "31", "-"}) &&
      !obstructionPair)
    return kMsgMissingAmountsWithForms;
  if (!forms.empty()) {
    const bool digit = HasDigit(forms);
    if (digit && LeadingNumber(forms.substr(0, 2)) == 0) return kMsgObstructionNotFirst;
    if (digit) return {};
  }

  int lc = 0, hc = 0, words = 0;
  FormsPattern pattern;
  ForEachWord(forms, [&](std::string_view w) {
    if (++words > 10) return false;
    const int p = CloudCodePosition(w);
    char letter = 0;
    if (IsLowCloudPosition(p)) {
      ++lc;
      letter = 'L';
    } else if (IsMiddleOrHighPosition(p)) {
      ++hc;
      letter = 'H';
    } else if (p > 182) {
      letter = '-';
    }
    if (letter && words <= 9) pattern.Add(letter);
    return true;
  });

  auto has = [&](std::string_view part) { return ContainsAfterBlank(forms, part); };
  auto hasAny = [&](std::initializer_list<std::string_view> parts) {
    for (std::string_view p : parts)
      if (has(p)) return true;
    return false;
  };

  if (nh == 0 && lc > 0) return kMsgLowFormsWithoutLowAmount;
  if (nh > 0 && lc == 0) return kMsgLowAmountWithoutLowForms;
  if (n == 0 && (hc > 0 || lc > 0)) return kMsgFormsWithoutTotal;
  if (n > 0 && hc == 0 && lc == 0) return kMsgAmountWithoutForms;
  if (has(" NS") && n < 10 && nh < 10) return kMsgNimbostratusNotOvercast;
  if (has("CSNEBU") && n < 10) return kMsgNebulosusNotOvercast;
  if (has(" SCOP") && n < 1 && nh < 1) return kMsgOpacusScUnderOne;
  if (has(" ACOP") && n < 1) return kMsgOpacusAcUnderOne;
  if (has(" ASOP") && n < 1) return kMsgOpacusAsUnderOne;
  if (has(" CSNEBU") && n < 1) return kMsgNebulosusUnderOne;
  if (has(" CSFIL") && n < 1) return kMsgFibratusUnderOne;
  if (nh == 10 &&
      !hasAny({"SCOP", " NS", " FN", "CUCONG", "CB", "SCCUG", "SCTRA", " ST", " FS"}))
    return kMsgLowOvercastWithoutSheet;
  if (nh == 10 && hc > 0) return kMsgLowOvercastWithUpper;
  if (n == 10 && !hasAny({"SCOP", " NS", " FN", "CUCONG", "CB", "SCCUG", "SCTRA", "ACTRA",
                          "ACOP", "ASTRA", "ASOP", "CS", "CIDENS", "CINOT", " ST", " FS"}))
    return kMsgTotalOvercastWithoutSheet;
  if (n - nh > 0 && !Contains(pattern.View(), "H")) return kMsgLowOnlyAmountsDiffer;

  // Forms are written in order of decreasing amount: the share of each
  // leading low (or upper) form must not fall below that of the upper (or
  // low) forms that follow.
  const float n0 = n == kAmountZeroWithClouds ? 0.0f : n;
  const float nh0 = nh == kAmountZeroWithClouds ? 0.0f : nh;
  const float m = n0 - nh0;
  const float lc1 = static_cast<float>(lc == 0 ? 1 : lc);
  const float hc1 = static_cast<float>(hc == 0 ? 1 : hc);
  int k = 0;
  if (pattern.RunThen('L', 'H', k) && nh0 / static_cast<float>(k) < m / hc1)
    return kMsgFormsOrder;
  if (pattern.RunThen('H', 'L', k) && m / static_cast<float>(k) < nh0 / lc1) return kMsgFormsOrder;
  if (pattern.View() == "HHL" && lc1 == 2 && m == nh0 && std::floor(m / 2) != m / 2)
    return kMsgFormsOrder;
  return {};
}

bool IsBadCloudHeight(std::string_view value) {
  if (value.empty()) return false;
  if (CharCount(value) < 4) return true;
  static constexpr std::string_view kGenera[] = {"FC", "CU", "CB", "SC", "ST", "FS", "NS",
                                                 "FN", "AC", "AS", "CI", "CS", "CC"};
  const std::string_view genus = value.substr(0, 2);
  if (std::find(std::begin(kGenera), std::end(kGenera), genus) == std::end(kGenera)) return true;
  return !IsNumericText(value.substr(2));
}

// ---------------------------------------------------------------- audits

namespace {

// Where a finding of observation i of a cloud array points.
Spot At(std::string_view element, int day, int observations, int i) {
  return Spot{element, day, ObsTimeLabel(observations, i)};
}

// Amount format: a well-formed whole number, or "10-" (overcast with gaps);
// both amounts are read over the days and observations of the total amount.
void AmountFormatPass(AuditContext& cx, const Grid& strNN, const Grid& strNL) {
  const int days = strNN.Days();
  const int observations = strNN.Columns();
  for (const auto& [amounts, element] :
       {std::pair{&strNN, kTotalAmount}, std::pair{&strNL, kLowAmount}}) {
    for (int day = 1; day <= days; ++day)
      for (int i = 1; i <= observations; ++i) {
        const Cell& c = (*amounts)(day, i);
        if (c.text != "10-") CheckFormat(cx, c, At(element, day, observations, i));
      }
  }
}

// Forms format: every word a cloud code, no word twice. The forms are read
// over the days and observations of the total amount array.
void FormsFormatPass(AuditContext& cx, const Grid& strCC, int days, int observations) {
  std::vector<std::string_view> words, sorted;
  std::string message;
  for (int day = 1; day <= days; ++day)
    for (int i = 1; i <= observations; ++i) {
      const std::string_view forms = strCC.Text(day, i);
      if (forms.empty()) continue;
      words.clear();
      ForEachWord(forms, [&](std::string_view w) {
        words.push_back(w);
        return true;
      });
      sorted.assign(words.begin(), words.end());
      std::sort(sorted.begin(), sorted.end());
      bool repeatReported = false;
      for (std::string_view w : words) {
        if (CloudCodePosition(w) == 0) {
          message.assign(kMsgBadForm).append(w);
          cx.Error(message, At(kForms, day, observations, i));
        }
        if (!repeatReported && !w.empty()) {
          const auto [first, last] = std::equal_range(sorted.begin(), sorted.end(), w);
          if (last - first >= 2) {
            message.assign(kMsgRepeatedForm).append(w);
            cx.Error(message, At(kForms, day, observations, i));
            repeatReported = true;
          }
        }
      }
    }
}

// Amounts against forms, visibility and sunshine, observation by
// observation; an amount that cannot be coded keeps the one before.
void AgreementPass(AuditContext& cx, const Grid& strNN, const Grid& strNL, const Grid& strCC,
                   const Grid& strV, const Grid& strZJSS) {
  const int days = strNN.Days();
  const int observations = strNN.Columns();
  const Layout layout = LayoutOf(observations);
  auto at = [&](std::string_view element, int day, int i) {
    return At(element, day, observations, i);
  };
  const bool sunshine = cx.Present(19);
  const bool northEast = cx.Latitude().ends_with('N') && cx.Longitude().ends_with('E');
  const int monthDays = DaysInMonth(cx.Year(), cx.Month());
  const double longitude = CoordinateToDegreesValue(cx.Longitude(), 'E', 'W');
  float n = 0, nh = 0;
  for (int day = 1; day <= days; ++day) {
    std::array<char, 24> dayBuf;
    const std::string_view dayText = NumberText(day, dayBuf);
    // Rows past the end of the month are no dates: no sunshine rule there.
    SunWindow window;
    if (sunshine && northEast && (monthDays == 0 || day <= monthDays))
      window = DayWindow(cx, dayText);

    for (int i = 1; i <= observations; ++i) {
      const std::string_view forms = strCC.Text(day, i);
      n = CodeCloudAmount(strNN(day, i), !forms.empty(), n);
      nh = CodeCloudAmount(strNL(day, i), HasLowCloudWord(forms), nh);
      if (n < nh) cx.Error(kMsgTotalBelowLow, at(kTotalAmount, day, i), kLowAmount);

      const std::string_view verdict = CheckCloudForms(n, nh, forms);
      if (!verdict.empty()) {
        const bool suspicious =
            verdict == kMsgNimbostratusNotOvercast || verdict == kMsgNebulosusNotOvercast;
        cx.Add(verdict, at(kForms, day, i), kRelatedAmounts,
               suspicious ? kLevelSuspicious : kLevelError);
      }

      const Cell& v = strV(day, VisibilityColumn(layout, strV, i));
      if (Comparable(v)) {
        if (v.value >= 10 && ContainsAny(forms, {"42", "39", "31"}))
          cx.Error(kMsgFogVisibility, at(kForms, day, i), kRelatedVisibility);
        if (ContainsAny(forms, {"10", "07"}) && !(v.value >= 10 && v.value < 100))
          cx.Error(kMsgMistVisibility, at(kForms, day, i), kRelatedVisibility);
      }

      if (!window.valid) continue;
      const std::string_view label = ObsTimeLabel(observations, i);
      if (label.empty()) continue;
      const int32_t t = Hundredths(
          TrueSolarTime(cx.Para(2), cx.Para(3), dayText, label, longitude));
      if (!(window.start < t && t < window.end)) continue;
      const int hour = (t + 99) / 100;  // the hour of true solar time that t falls in
      if (hour < 1 || hour > 24) continue;
      const Cell& z = strZJSS(day, hour);
      if (!Comparable(z)) continue;
      bool noFormsOrHighOnly = true, noHigh = true;
      ForEachWord(forms, [&](std::string_view w) {
        const int p = CloudCodePosition(w);
        if (IsHighCloudPosition(p))
          noHigh = false;
        else
          noFormsOrHighOnly = false;
        return true;
      });
      if (z.value == 0 && noFormsOrHighOnly)
        cx.Suspicious(kMsgNoSunshine, at(kTotalAmount, day, i), kRelatedFormsSunshine);
      if (n == 10 && noHigh && z.value == 10)
        cx.Suspicious(kMsgOvercastSunshine, at(kForms, day, i), kRelatedTotalSunshine);
    }
  }
}

}  // namespace

void AuditClouds(AuditContext& cx, const Grid& strNN, const Grid& strNL, const Grid& strCC,
                 const Grid& strV, const Grid& /*strw*/, const Grid& strZJSS) {
  AmountFormatPass(cx, strNN, strNL);
  FormsFormatPass(cx, strCC, strNN.Days(), strNN.Columns());
  AgreementPass(cx, strNN, strNL, strCC, strV, strZJSS);
}

void AuditCloudHeight(AuditContext& cx, const Grid& strH) {
  const int observations = strH.Columns();
  ForEachCell(strH, [&](int day, int i, const Cell& c) {
    if (c.Present() && IsBadCloudHeight(c.text))
      cx.Error(kMsgFormat, {kCloudHeight, day, ObsTimeLabel(observations, i)});
  });
}

}  // namespace kelvane::afile::audit
