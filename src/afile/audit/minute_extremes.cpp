#include "afile/audit/minute_extremes.h"

#include "afile/audit/toolkit.h"
#include "common/text.h"

namespace kelvane::afile::audit {

namespace {

double TokenValue(std::string_view token, MinuteValues reading, bool fullHumidity) {
  if (fullHumidity && token == "%%") return 100;
  const double v = LeadingNumber(token);
  if (reading == MinuteValues::StationPressure && token.size() == 4 && v < 5000) {
    bool digits = true;
    for (char c : token) digits = digits && c >= '0' && c <= '9';
    if (digits) return v + 10000;
  }
  return v;
}

void AppendMinute(std::string& minutes, int k) {
  const int m = k == 60 ? 0 : k;
  minutes += static_cast<char>('0' + m / 10 % 10);
  minutes += static_cast<char>('0' + m % 10);
}

// One pass over the tokens; `better(a, b)` is true when a replaces the
// running extreme b.
template <class Better>
void HourExtreme(std::string_view hour, std::string& value, std::string& minutes,
                 MinuteValues reading, bool fullHumidity, double start, Better better) {
  value.clear();
  minutes.clear();
  double extreme = start;
  bool found = false;
  int k = 0;
  size_t from = 0;
  while (from <= hour.size()) {
    size_t end = hour.find(' ', from);
    if (end == std::string_view::npos) end = hour.size();
    const std::string_view token = hour.substr(from, end - from);
    from = end + 1;
    ++k;
    if (token.empty() || IsMissingRun(token)) continue;
    const double v = TokenValue(token, reading, fullHumidity);
    if (better(v, extreme)) {
      extreme = v;
      found = true;
      minutes.clear();
      AppendMinute(minutes, k);
    } else if (found && v == extreme) {
      minutes += ',';
      AppendMinute(minutes, k);
    }
  }
  if (found) value = FormatNumber(extreme);
}

}  // namespace

void JHourMaximum(std::string_view hour, std::string& value, std::string& minutes,
                  MinuteValues reading) {
  HourExtreme(hour, value, minutes, reading, false, -99999,
              [](double v, double max) { return v > max; });
}

void JHourMinimum(std::string_view hour, std::string& value, std::string& minutes,
                  MinuteValues reading) {
  HourExtreme(hour, value, minutes, reading, true, 99999,
              [](double v, double min) { return v < min; });
}

bool MinuteListed(std::string_view minutes, std::string_view minute) {
  for (size_t at = 0; at < minutes.size(); at += 3)
    if (minutes.substr(at, 2) == minute) return true;
  return false;
}

}  // namespace kelvane::afile::audit
