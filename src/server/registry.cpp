// Late binding: argument values, method tables with argument checking, the
// class registry and the server entry points, plus the adapters that expose
// the three component classes by method name.
#include <algorithm>
#include <array>
#include <map>
#include <new>
#include <string>

#include "common/error.h"
#include "kelvane/automation.h"

namespace kelvane::automation {

namespace {

char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  return true;
}

std::string FoldedKey(std::string_view s) {
  std::string k(s);
  for (char& c : k) c = FoldAscii(c);
  return k;
}

const char* ExpectedText(ParamKind k) {
  switch (k) {
    case ParamKind::kStringIn: return "a string";
    case ParamKind::kStringRef: return "a string variable";
    case ParamKind::kVariantIn: return "a scalar value";
    case ParamKind::kVariantRef: return "a scalar variable";
    case ParamKind::kVariantArrayRef: return "an array of variants";
    case ParamKind::kStringArrayRef: return "an array of strings";
  }
  return "?";
}

// Whether an argument can be passed for a parameter of that kind.
bool Accepts(ParamKind kind, Value::Kind given) {
  using K = Value::Kind;
  switch (kind) {
    case ParamKind::kStringIn:
    case ParamKind::kVariantIn: return given == K::String || given == K::Variant || given == K::Empty;
    case ParamKind::kStringRef: return given == K::String || given == K::Empty;
    case ParamKind::kVariantRef: return given == K::Variant || given == K::String || given == K::Empty;
    case ParamKind::kVariantArrayRef: return given == K::VariantArray;
    case ParamKind::kStringArrayRef: return given == K::StringArray;
  }
  return false;
}

// Turns an accepted by-reference argument into the variable the method
// writes: an empty argument becomes an empty string or variant, a string
// passed for a variant becomes a variant holding it.
void Coerce(ParamKind kind, Value& v) {
  if (kind == ParamKind::kStringRef && v.IsEmpty()) {
    v = Value(std::string());
  } else if (kind == ParamKind::kVariantRef && v.AsVariant() == nullptr) {
    Variant var = v.IsEmpty() ? Variant() : Variant(v.Text());
    v = Value(std::move(var));
  }
}

}  // namespace

// ------------------------------------------------------------------ Value

std::string Value::Text() const {
  if (const std::string* s = AsString()) return *s;
  if (const Variant* v = AsVariant()) return v->Text();
  return {};
}

const char* Value::KindName(Kind k) {
  switch (k) {
    case Kind::Empty: return "empty";
    case Kind::String: return "a string";
    case Kind::Variant: return "a variant";
    case Kind::VariantArray: return "an array of variants";
    case Kind::StringArray: return "an array of strings";
  }
  return "?";
}

// ---------------------------------------------------------- MethodDispatch

Status BindArguments(const MethodEntry& method, std::vector<Value>& args) {
  const size_t want = method.params.size();
  if (args.size() != want) {
    return Status(kErrInvalidCall, std::string(method.name) + ": expects " + std::to_string(want) +
                                       (want == 1 ? " argument" : " arguments") + ", got " +
                                       std::to_string(args.size()));
  }
  // Every argument is checked before any is converted, so a rejected call
  // leaves the caller's arguments as they were.
  for (size_t i = 0; i < want; ++i) {
    const ParamEntry& p = method.params[i];
    const Value::Kind given = args[i].kind();
    if (!Accepts(p.kind, given)) {
      return Status(kErrTypeMismatch, std::string(method.name) + ": parameter " +
                                          std::to_string(i + 1) + " (" + std::string(p.name) +
                                          ") must be " + ExpectedText(p.kind) + ", not " +
                                          Value::KindName(given));
    }
  }
  for (size_t i = 0; i < want; ++i) Coerce(method.params[i].kind, args[i]);
  return Status::Ok();
}

const MethodEntry* MethodDispatch::FindMethod(std::string_view name) const {
  for (const MethodEntry& m : methods_)
    if (EqualNoCase(m.name, name)) return &m;
  return nullptr;
}

std::vector<std::string> MethodDispatch::MethodNames() const {
  std::vector<std::string> names;
  names.reserve(methods_.size());
  for (const MethodEntry& m : methods_) names.emplace_back(m.name);
  return names;
}

Status MethodDispatch::Invoke(std::string_view method, std::vector<Value>& args,
                              Value* result) noexcept {
  try {
    const MethodEntry* m = FindMethod(method);
    if (m == nullptr) {
      return Status(kErrNoMethod,
                    "The object has no method named \"" + std::string(method) + "\"");
    }
    if (Status s = BindArguments(*m, args); !s.ok()) return s;
    if (result != nullptr) *result = Value();
    Status out;
    Status guard = RunGuarded([&] {
      std::lock_guard<std::mutex> lock(mu_);
      out = m->call(*this, args, result);
    });
    return guard.ok() ? out : guard;
  } catch (const std::bad_alloc&) {
    return Status(kErrOutOfMemory, "Out of memory");
  } catch (...) {
    return Status(kErrInternal, "Internal error");
  }
}

// ---------------------------------------------------------------- Registry

struct Registry::State {
  struct Entry {
    std::string progid;  // as registered
    Factory factory;
  };
  mutable std::mutex mu;
  std::map<std::string, Entry> classes;  // keyed by the case-folded identifier
  long locks = 0;
};

Registry::Registry() : state_(std::make_unique<State>()) {}
Registry::~Registry() = default;

Registry& Registry::Instance() {
  static Registry instance;
  return instance;
}

Status Registry::RegisterClass(std::string_view progid, Factory factory) {
  if (progid.empty()) return Status(kErrInvalidCall, "RegisterClass: empty program identifier");
  if (!factory) {
    return Status(kErrInvalidCall,
                  "RegisterClass: no factory given for \"" + std::string(progid) + "\"");
  }
  return RunGuarded([&] {
    std::string key = FoldedKey(progid);
    std::lock_guard<std::mutex> lock(state_->mu);
    state_->classes.insert_or_assign(std::move(key),
                                     State::Entry{std::string(progid), std::move(factory)});
  });
}

bool Registry::UnregisterClass(std::string_view progid) {
  std::string key = FoldedKey(progid);
  std::lock_guard<std::mutex> lock(state_->mu);
  return state_->classes.erase(key) > 0;
}

bool Registry::IsRegistered(std::string_view progid) const {
  std::string key = FoldedKey(progid);
  std::lock_guard<std::mutex> lock(state_->mu);
  return state_->classes.count(key) > 0;
}

std::vector<std::string> Registry::ProgIds() const {
  std::lock_guard<std::mutex> lock(state_->mu);
  std::vector<std::string> ids;
  ids.reserve(state_->classes.size());
  for (const auto& [key, entry] : state_->classes) ids.push_back(entry.progid);
  return ids;
}

Status Registry::Create(std::string_view progid, std::unique_ptr<Dispatch>& out) const {
  out.reset();
  Factory factory;
  try {
    std::string key = FoldedKey(progid);
    std::lock_guard<std::mutex> lock(state_->mu);
    auto it = state_->classes.find(key);
    if (it != state_->classes.end()) factory = it->second.factory;
  } catch (const std::bad_alloc&) {
    return Status(kErrOutOfMemory, "Out of memory");
  }
  if (!factory) {
    return Status(kErrObjectCreate, "Cannot create an object of class \"" + std::string(progid) +
                                        "\": no such class is registered");
  }
  // The factory runs outside the lock, so it may itself use the registry.
  try {
    out = factory();
  } catch (const std::bad_alloc&) {
    out.reset();
    return Status(kErrOutOfMemory, "Out of memory");
  } catch (const std::exception& e) {
    out.reset();
    return Status(kErrObjectCreate, "Cannot create an object of class \"" + std::string(progid) +
                                        "\": " + e.what());
  } catch (...) {
    out.reset();
    return Status(kErrObjectCreate,
                  "Cannot create an object of class \"" + std::string(progid) + "\"");
  }
  if (!out) {
    return Status(kErrObjectCreate, "Cannot create an object of class \"" + std::string(progid) +
                                        "\": its factory produced no object");
  }
  return Status::Ok();
}

void Registry::LockServer(bool lock) {
  std::lock_guard<std::mutex> guard(state_->mu);
  if (lock) {
    ++state_->locks;
  } else if (state_->locks > 0) {
    --state_->locks;
  }
}

long Registry::LockCount() const {
  std::lock_guard<std::mutex> guard(state_->mu);
  return state_->locks;
}

// ---------------------------------------------------------------- adapters

namespace {

// Typed access to arguments already checked by BindArguments.
struct Args {
  std::vector<Value>& v;
  std::string In(size_t i) const { return v[i].Text(); }
  std::string& StrRef(size_t i) const { return *v[i].AsString(); }
  VariantArray& VA(size_t i) const { return *v[i].AsVariantArray(); }
  StringArray& SA(size_t i) const { return *v[i].AsStringArray(); }
};

constexpr ParamKind kIn = ParamKind::kStringIn;
constexpr ParamKind kStrRef = ParamKind::kStringRef;
constexpr ParamKind kVarArr = ParamKind::kVariantArrayRef;
constexpr ParamKind kStrArr = ParamKind::kStringArrayRef;

// --- KelvaneA

class KelvaneADispatch final : public MethodDispatch {
 public:
  KelvaneADispatch();
  void SetWarningCallback(WarningCallback cb) override { obj.SetWarningCallback(std::move(cb)); }
  KelvaneA obj;
};

constexpr ParamEntry kAFileFormCheckParams[] = {
    {"strSysPath", kIn},      {"strPathFile", kIn},          {"AFilePara", kVarArr},
    {"AFileClass", kStrArr},  {"AFileAuditingList", kStrArr},
};

// strSysPath, SysLib, AFilePara, AFileClass, the element arrays in the
// order of their table, strManualWindV, AFileAuditingList.
constexpr size_t kAFileAuditingLeading = 4;
constexpr auto kAFileAuditingParams = [] {
  std::array<ParamEntry, kAFileAuditingLeading + kAFileArrayCount + 2> p{};
  p[0] = {"strSysPath", kIn};
  p[1] = {"SysLib", kVarArr};
  p[2] = {"AFilePara", kVarArr};
  p[3] = {"AFileClass", kStrArr};
  for (size_t i = 0; i < kAFileArrayCount; ++i)
    p[kAFileAuditingLeading + i] = {kAFileArrayTable<>[i].name, kStrArr};
  p[p.size() - 2] = {"strManualWindV", kStrRef};
  p[p.size() - 1] = {"AFileAuditingList", kStrArr};
  return p;
}();
static_assert(kAFileAuditingParams.size() == 47);

// Runs AFileAuditing on arguments bound in kAFileAuditingParams order: the
// arrays are moved into the bundle for the call and back out.
Status CallAFileAuditing(KelvaneA& obj, std::vector<Value>& v) {
  AFileArrays arrays;
  auto arg = [&](size_t i) -> StringArray& { return *v[kAFileAuditingLeading + i].AsStringArray(); };
  VariantArray& sysLib = *v[1].AsVariantArray();
  std::string& manualWind = *v[v.size() - 2].AsString();
  const OnExit moveBack{[&] {
    for (size_t i = 0; i < kAFileArrayCount; ++i)
      arg(i) = std::move(arrays.*kAFileArrayTable<>[i].member);
    sysLib = std::move(arrays.SysLib);
    manualWind = std::move(arrays.strManualWindV);
  }};
  for (size_t i = 0; i < kAFileArrayCount; ++i)
    arrays.*kAFileArrayTable<>[i].member = std::move(arg(i));
  arrays.SysLib = std::move(sysLib);
  arrays.strManualWindV = std::move(manualWind);
  return obj.AFileAuditing(v[0].Text(), *v[2].AsVariantArray(), *v[3].AsStringArray(), arrays,
                           *v[v.size() - 1].AsStringArray());
}

constexpr ParamEntry kWindDToWindDValueParams[] = {{"strWD", kIn}, {"strWF", kIn}};

KelvaneA& SelfA(MethodDispatch& d) { return static_cast<KelvaneADispatch&>(d).obj; }

constexpr MethodEntry kKelvaneAMethods[] = {
    {"AFileFormCheck", kAFileFormCheckParams,
     [](MethodDispatch& d, std::vector<Value>& v, Value*) {
       Args a{v};
       return SelfA(d).AFileFormCheck(a.In(0), a.In(1), a.VA(2), a.SA(3), a.SA(4));
     }},
    {"AFileAuditing", kAFileAuditingParams,
     [](MethodDispatch& d, std::vector<Value>& v, Value*) { return CallAFileAuditing(SelfA(d), v); }},
    {"WindDToWindDValue", kWindDToWindDValueParams,
     [](MethodDispatch& d, std::vector<Value>& v, Value* result) {
       Args a{v};
       std::string degrees = SelfA(d).WindDToWindDValue(a.In(0), a.In(1));
       if (result != nullptr) *result = Value(std::move(degrees));
       return Status::Ok();
     }},
};

KelvaneADispatch::KelvaneADispatch() : MethodDispatch(kKelvaneAMethods) {}

// --- KelvaneR

class KelvaneRDispatch final : public MethodDispatch {
 public:
  KelvaneRDispatch();
  void SetWarningCallback(WarningCallback cb) override { obj.SetWarningCallback(std::move(cb)); }
  KelvaneR obj;
};

constexpr ParamEntry kRFileFormCheckParams[] = {
    {"strSysPath", kIn},
    {"strPathFile", kIn},
    {"RFilePara", kVarArr},
    {"RFileAuditingList", kStrArr},
};

constexpr ParamEntry kRFileAuditingParams[] = {
    {"strSysPath", kIn},           {"RFilePara", kVarArr},
    {"strRFileG", kStrArr},        {"strRFileN", kStrArr},
    {"strRFileD", kStrArr},        {"strRFileS", kStrArr},
    {"strRFileR", kStrArr},        {"strRFileYQ", kStrArr},
    {"strRFileEnvironment", kStrArr}, {"strRFileSurface", kStrArr},
    {"strRFileOtherCZ", kStrArr},  {"strRFileBZ", kStrArr},
    {"strRFileFM", kStrArr},       {"RFileAuditingList", kStrArr},
};

KelvaneR& SelfR(MethodDispatch& d) { return static_cast<KelvaneRDispatch&>(d).obj; }

constexpr MethodEntry kKelvaneRMethods[] = {
    {"RFileFormCheck", kRFileFormCheckParams,
     [](MethodDispatch& d, std::vector<Value>& v, Value*) {
       Args a{v};
       return SelfR(d).RFileFormCheck(a.In(0), a.In(1), a.VA(2), a.SA(3));
     }},
    {"RFileAuditing", kRFileAuditingParams,
     [](MethodDispatch& d, std::vector<Value>& v, Value*) {
       Args a{v};
       return SelfR(d).RFileAuditing(a.In(0), a.VA(1), a.SA(2), a.SA(3), a.SA(4), a.SA(5),
                                     a.SA(6), a.SA(7), a.SA(8), a.SA(9), a.SA(10), a.SA(11),
                                     a.SA(12), a.SA(13));
     }},
};

KelvaneRDispatch::KelvaneRDispatch() : MethodDispatch(kKelvaneRMethods) {}

// --- KelvaneY

class KelvaneYDispatch final : public MethodDispatch {
 public:
  KelvaneYDispatch();
  void SetWarningCallback(WarningCallback cb) override { obj.SetWarningCallback(std::move(cb)); }
  KelvaneY obj;
};

constexpr ParamEntry kYfileFormCheckParams[] = {
    {"strSysPath", kIn},
    {"strPathFile", kIn},
    {"YFilePara", kVarArr},
    {"YFileAuditingList", kStrArr},
};

constexpr ParamEntry kYfileAuditingParams[] = {
    {"strSysPath", kIn},          {"YFilePara", kVarArr},
    {"strMonthYearS", kStrArr},   {"strTimesSegmantMaxR", kStrArr},
    {"strElementStartEndDate", kStrArr}, {"strMonthWDF", kStrArr},
    {"strYearWDF", kStrArr},      {"YFileFM", kStrArr},
    {"YFileGK", kStrArr},         {"YFileBZ", kStrArr},
    {"YFileYQ", kStrArr},         {"YFileAuditingList", kStrArr},
};

KelvaneY& SelfY(MethodDispatch& d) { return static_cast<KelvaneYDispatch&>(d).obj; }

constexpr MethodEntry kKelvaneYMethods[] = {
    {"YfileFormCheck", kYfileFormCheckParams,
     [](MethodDispatch& d, std::vector<Value>& v, Value*) {
       Args a{v};
       return SelfY(d).YfileFormCheck(a.In(0), a.In(1), a.VA(2), a.SA(3));
     }},
    {"YfileAuditing", kYfileAuditingParams,
     [](MethodDispatch& d, std::vector<Value>& v, Value*) {
       Args a{v};
       return SelfY(d).YfileAuditing(a.In(0), a.VA(1), a.SA(2), a.SA(3), a.SA(4), a.SA(5),
                                     a.SA(6), a.SA(7), a.SA(8), a.SA(9), a.SA(10), a.SA(11));
     }},
};

KelvaneYDispatch::KelvaneYDispatch() : MethodDispatch(kKelvaneYMethods) {}

}  // namespace

}  // namespace kelvane::automation

// ------------------------------------------------------ server entry points

namespace kelvane::server {

namespace {

using automation::Dispatch;
using automation::Factory;

struct ServerClass {
  std::string_view progid;
  std::unique_ptr<Dispatch> (*create)();
};

constexpr ServerClass kServerClasses[] = {
    {kProgIdA, [] { return std::unique_ptr<Dispatch>(new automation::KelvaneADispatch()); }},
    {kProgIdR, [] { return std::unique_ptr<Dispatch>(new automation::KelvaneRDispatch()); }},
    {kProgIdY, [] { return std::unique_ptr<Dispatch>(new automation::KelvaneYDispatch()); }},
};

}  // namespace

Status DllRegisterServer() {
  auto& reg = automation::Registry::Instance();
  for (const ServerClass& c : kServerClasses) {
    if (Status s = reg.RegisterClass(c.progid, Factory(c.create)); !s.ok()) return s;
  }
  return Status::Ok();
}

Status DllUnregisterServer() {
  auto& reg = automation::Registry::Instance();
  for (const ServerClass& c : kServerClasses) reg.UnregisterClass(c.progid);
  return Status::Ok();
}

Status DllGetClassObject(std::string_view progid, Factory& factory) {
  for (const ServerClass& c : kServerClasses) {
    if (automation::EqualNoCase(c.progid, progid)) {
      return RunGuarded([&] { factory = Factory(c.create); });
    }
  }
  return Status(kErrObjectCreate,
                "This server provides no class named \"" + std::string(progid) + "\"");
}

bool DllCanUnloadNow() {
  return LiveObjectCount() == 0 && automation::Registry::Instance().LockCount() == 0;
}

}  // namespace kelvane::server
