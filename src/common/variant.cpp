#include <string>

#include "common/text.h"
#include "kelvane/variant.h"

namespace kelvane {

std::string Variant::Text() const {
  switch (v_.index()) {
    case 0: return {};
    case 1: return std::get<bool>(v_) ? "True" : "False";
    case 2: return std::to_string(std::get<int64_t>(v_));
    case 3: return FormatNumber(std::get<double>(v_));
    default: return std::get<std::string>(v_);
  }
}

bool Variant::Truth() const {
  switch (v_.index()) {
    case 0: return false;
    case 1: return std::get<bool>(v_);
    case 2: return std::get<int64_t>(v_) != 0;
    case 3: return std::get<double>(v_) != 0;
    default: {
      const std::string& s = std::get<std::string>(v_);
      return s == "True" || s == "true" || s == "TRUE" || s == "1" || s == "-1" || s == "yes" ||
             s == "Yes";
    }
  }
}

}  // namespace kelvane
