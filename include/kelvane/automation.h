// Late binding to the component classes: objects created by program
// identifier and methods called by name with a list of arguments, the way a
// scripting host reaches an in-process automation server.
//
// Arguments are held by value inside the caller's argument list; the called
// method reads and writes them in place, so after Invoke the caller sees the
// arrays and by-reference strings as the method left them.
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "kelvane/kelvane.h"
#include "kelvane/safe_array.h"
#include "kelvane/status.h"
#include "kelvane/variant.h"

namespace kelvane::automation {

// One argument or result: empty, a string, a scalar variant, an array of
// variants or an array of strings (rank 1 or 2).
class Value {
 public:
  enum class Kind { Empty, String, Variant, VariantArray, StringArray };

  Value() = default;
  Value(std::string s) : v_(std::move(s)) {}                   // NOLINT(google-explicit-constructor)
  Value(const char* s) : v_(std::string(s ? s : "")) {}        // NOLINT
  explicit Value(std::string_view s) : v_(std::string(s)) {}
  Value(kelvane::Variant v) : v_(std::move(v)) {}              // NOLINT
  Value(VariantArray a) : v_(std::move(a)) {}                  // NOLINT
  Value(StringArray a) : v_(std::move(a)) {}                   // NOLINT

  Kind kind() const { return static_cast<Kind>(v_.index()); }
  bool IsEmpty() const { return v_.index() == 0; }

  std::string* AsString() { return std::get_if<std::string>(&v_); }
  const std::string* AsString() const { return std::get_if<std::string>(&v_); }
  kelvane::Variant* AsVariant() { return std::get_if<kelvane::Variant>(&v_); }
  const kelvane::Variant* AsVariant() const { return std::get_if<kelvane::Variant>(&v_); }
  VariantArray* AsVariantArray() { return std::get_if<VariantArray>(&v_); }
  const VariantArray* AsVariantArray() const { return std::get_if<VariantArray>(&v_); }
  StringArray* AsStringArray() { return std::get_if<StringArray>(&v_); }
  const StringArray* AsStringArray() const { return std::get_if<StringArray>(&v_); }

  // Text of a scalar: the string itself, or the variant's text; empty for an
  // empty value and for arrays.
  std::string Text() const;

  // "empty", "a string", "a variant", "an array of variants", "an array of strings".
  static const char* KindName(Kind k);

 private:
  std::variant<std::monostate, std::string, kelvane::Variant, VariantArray, StringArray> v_;
};

// An object created by program identifier.
class Dispatch {
 public:
  virtual ~Dispatch() = default;

  // Calls a method by name (matched without regard to case). Wrong argument
  // count: kErrInvalidCall; an argument of the wrong type: kErrTypeMismatch;
  // no such method: kErrNoMethod. Otherwise the method's own status. result
  // may be null; when given it is set to the method's return value (empty
  // for procedures). Never throws.
  virtual Status Invoke(std::string_view method, std::vector<Value>& args, Value* result) noexcept = 0;

  // The method names in interface order.
  virtual std::vector<std::string> MethodNames() const = 0;

  // The receiver of the warning message the audits may raise. Objects that
  // raise none ignore it.
  virtual void SetWarningCallback(WarningCallback cb) { (void)cb; }
};

// How a method takes one parameter.
enum class ParamKind {
  kStringIn,         // string by value: a string, a scalar variant (its text) or empty ("")
  kStringRef,        // string by reference: a string (empty becomes "")
  kVariantIn,        // scalar variant by value: a variant, a string or empty
  kVariantRef,       // scalar variant by reference: a variant (a string or empty becomes one)
  kVariantArrayRef,  // array of variants by reference
  kStringArrayRef,   // array of strings by reference
};

struct ParamEntry {
  std::string_view name;
  ParamKind kind;
};

class MethodDispatch;

// One method of a class: its name, its parameters in order and the call.
// The call runs only after every argument has been checked (and coerced in
// place where a by-reference kind allows it), so it may access args[i] by
// the kind its ParamEntry names without further checks.
struct MethodEntry {
  std::string_view name;
  std::span<const ParamEntry> params;
  Status (*call)(MethodDispatch& self, std::vector<Value>& args, Value* result);
};

// Dispatch through a static table of methods. A class exposes its methods by
// deriving from this and passing its table. Calls on one object are
// serialised by the object's mutex; separate objects run in parallel.
class MethodDispatch : public Dispatch {
 public:
  explicit MethodDispatch(std::span<const MethodEntry> methods) : methods_(methods) {}

  Status Invoke(std::string_view method, std::vector<Value>& args, Value* result) noexcept final;
  std::vector<std::string> MethodNames() const override;

  // The method of that name, or null.
  const MethodEntry* FindMethod(std::string_view name) const;

 private:
  std::span<const MethodEntry> methods_;
  std::mutex mu_;
};

// Checks and coerces args against a method's parameter list (count, then
// each parameter in order). Exposed for hosts that bind ahead of a call.
Status BindArguments(const MethodEntry& method, std::vector<Value>& args);

using Factory = std::function<std::unique_ptr<Dispatch>()>;

// The process-wide table of creatable classes by program identifier
// (matched without regard to case). Thread-safe.
class Registry {
 public:
  static Registry& Instance();

  // Adds or replaces a class. An empty identifier or a null factory is an
  // invalid call.
  Status RegisterClass(std::string_view progid, Factory factory);
  // True when the class was registered.
  bool UnregisterClass(std::string_view progid);
  bool IsRegistered(std::string_view progid) const;
  // Registered program identifiers, as registered, sorted without regard to case.
  std::vector<std::string> ProgIds() const;

  // Creates an object; kErrObjectCreate when no class of that identifier is
  // registered or its factory fails. out is null after a failure.
  Status Create(std::string_view progid, std::unique_ptr<Dispatch>& out) const;

  // Server lock count, as a host keeps the server loaded without objects.
  void LockServer(bool lock);
  long LockCount() const;

  Registry(const Registry&) = delete;
  Registry& operator=(const Registry&) = delete;

 private:
  Registry();
  ~Registry();
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace kelvane::automation

namespace kelvane::server {

inline constexpr std::string_view kProgIdA = "Kelvane.KelvaneA";
inline constexpr std::string_view kProgIdR = "Kelvane.KelvaneR";
inline constexpr std::string_view kProgIdY = "Kelvane.KelvaneY";

// Registers the three classes under their program identifiers (repeating it
// is harmless).
Status DllRegisterServer();
// Removes those three registrations (other classes stay).
Status DllUnregisterServer();
// The factory of one of the three classes of this server, registered or not;
// kErrObjectCreate for any other identifier.
Status DllGetClassObject(std::string_view progid, automation::Factory& factory);
// True when no component object is alive and no server lock is held.
bool DllCanUnloadNow();

}  // namespace kelvane::server
