// A small variant value as carried by the parameter arrays (AFilePara, ...).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

namespace kelvane {

class Variant {
 public:
  enum class Type { Empty, Bool, Long, Double, String };

  Variant() = default;
  Variant(bool b) : v_(b) {}                       // NOLINT(google-explicit-constructor)
  Variant(int i) : v_(static_cast<int64_t>(i)) {}  // NOLINT
  Variant(int64_t i) : v_(i) {}                    // NOLINT
  Variant(double d) : v_(d) {}                     // NOLINT
  Variant(std::string s) : v_(std::move(s)) {}     // NOLINT
  Variant(const char* s) : v_(std::string(s)) {}   // NOLINT
  Variant(std::string_view s) : v_(std::string(s)) {}  // NOLINT

  Type type() const { return static_cast<Type>(v_.index()); }
  bool IsEmpty() const { return v_.index() == 0; }
  bool IsString() const { return v_.index() == 4; }
  bool IsBool() const { return v_.index() == 1; }

  // The value as text: empty for Empty, "True"/"False" for booleans, the
  // shortest round-trip form for numbers, the text itself for strings.
  std::string Text() const;
  // Truth of the value: booleans as they are, numbers when non-zero, texts
  // "True"/"true"/"1"/"-1"/"yes".
  bool Truth() const;

  const std::string* AsString() const { return std::get_if<std::string>(&v_); }

  friend bool operator==(const Variant& a, const Variant& b) { return a.v_ == b.v_; }

 private:
  std::variant<std::monostate, bool, int64_t, double, std::string> v_;
};

}  // namespace kelvane
