#include "afile/audit/minute_extremes.h"

#include <cstring>
#include <string>

#include "afile/audit/toolkit.h"
#include "common/text.h"

namespace kelvane::afile::audit {

namespace {

bool IsDigit(char c) { return static_cast<unsigned char>(c - '0') < 10; }

// The value of a token that is not a plain number (a sign and digits):
// its leading number, with the thousands digit of station pressure.
double TokenValue(std::string_view token, MinuteValues reading) {
  const double v = LeadingNumber(token);
  if (reading == MinuteValues::StationPressure && token.size() == 4 && v < 5000) {
    bool digits = true;
    for (char c : token) digits = digits && IsDigit(c);
    if (digits) return v + 10000;
  }
  return v;
}

// The extreme so far of one hour: `Max` true for the largest value. A value
// replaces it when strictly beyond it; an equal value adds its minute.
template <bool Max>
struct Running {
  explicit Running(MinuteExtreme& e) : out(e) {}
  double value = Max ? -99999 : 99999;
  MinuteExtreme& out;

  void Take(double v, int token) {
    if (Max ? v > value : v < value) {
      value = v;
      out.minutes = {};
      out.Mark(token);
    } else if (v == value && out.Found()) {
      out.Mark(token);
    }
  }
  void Finish() {
    if (out.Found()) out.value = value;
  }
};

}  // namespace

void MinuteExtreme::Mark(int token) {
  const int m = token == 60 ? 0 : token % 100;
  minutes[static_cast<size_t>(m >> 6)] |= uint64_t{1} << (m & 63);
}

bool MinuteExtreme::At(std::string_view minute) const {
  if (minute.size() != 2 || !IsDigit(minute[0]) || !IsDigit(minute[1])) return false;
  const int m = (minute[0] - '0') * 10 + (minute[1] - '0');
  return (minutes[static_cast<size_t>(m >> 6)] >> (m & 63)) & 1;
}

HourExtremes ScanMinuteHour(std::string_view line, MinuteValues reading) {
  HourExtremes h;
  Running<true> max(h.max);
  Running<false> min(h.min);
  const bool pressure = reading == MinuteValues::StationPressure;
  const char* p = line.data();
  const char* const end = p + line.size();
  std::string cleaned;  // a token without its "," and "=" (rare)
  for (int token = 1;; ++token) {
    // Most tokens are a plain number: an optional sign and digits ending at
    // a blank or the end of the line. Their value is read here the way
    // LeadingNumber reads it (digit by digit in double arithmetic).
    const char* q = p;
    const bool sign = q != end && (*q == '-' || *q == '+');
    q += sign;
    const char* const digits = q;
    double v = 0;
    while (q != end && IsDigit(*q)) v = v * 10 + (*q++ - '0');
    if (q != digits && (q == end || *q == ' ')) {
      if (sign && *p == '-') v = -v;
      else if (pressure && !sign && q - digits == 4 && v < 5000) v += 10000;
      max.Take(v, token);
      min.Take(v, token);
    } else {
      // (An empty line may have no buffer at all: no search then.)
      const char* blank =
          q == end ? nullptr
                   : static_cast<const char*>(std::memchr(q, ' ', static_cast<size_t>(end - q)));
      q = blank ? blank : end;
      std::string_view text(p, static_cast<size_t>(q - p));
      if (text.find_first_of(",=") != std::string_view::npos) {
        cleaned.clear();
        for (char c : text)
          if (c != ',' && c != '=') cleaned.push_back(c);
        text = cleaned;
      }
      if (!text.empty() && !IsMissingRun(text)) {
        const double x = TokenValue(text, reading);
        max.Take(x, token);
        min.Take(text == "%%" ? 100 : x, token);
      }
    }
    if (q == end) break;
    p = q + 1;
  }
  max.Finish();
  min.Finish();
  return h;
}

}  // namespace kelvane::afile::audit
