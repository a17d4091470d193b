#include "common/wind.h"

#include "common/text.h"

namespace kelvane {

namespace {

struct Point {
  std::string_view code;
  std::string_view degrees;
};

// The 16 compass points at 22.5 degree spacing, rounded half up.
constexpr Point kPoints[] = {
    {"N", "0"},     {"NNE", "23"},  {"NE", "45"},  {"ENE", "68"}, {"E", "90"},   {"ESE", "113"},
    {"SE", "135"},  {"SSE", "158"}, {"S", "180"},  {"SSW", "203"}, {"SW", "225"}, {"WSW", "248"},
    {"W", "270"},   {"WNW", "293"}, {"NW", "315"}, {"NNW", "338"}, {"C", "C"},
};

}  // namespace

std::string WindDirectionDegrees(std::string_view wd, std::string_view wf) {
  std::string_view value = "-";
  bool numeric = IsNumericText(wd);
  if (!numeric) {
    for (const Point& p : kPoints)
      if (p.code == wd) {
        value = p.degrees;
        break;
      }
  }
  if (wf.empty()) return {};
  if (wf == "-") return "-";
  std::string result = numeric ? std::string(wd) : std::string(value);
  if (result != "-" && LeadingNumber(wf) == 0) return "C";
  return result;
}

}  // namespace kelvane
