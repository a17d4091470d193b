// The three component classes: each public method serialises on the
// instance's mutex, empties the instance's result list, runs its check or
// audit and hands the findings back; whatever the work raises becomes the
// returned error status, with the caller's result list as it was.
#include <atomic>
#include <mutex>

#include "afile/audit/driver.h"
#include "afile/format/form_check.h"
#include "common/audit_list.h"
#include "common/error.h"
#include "common/wind.h"
#include "kelvane/kelvane.h"
#include "rfile/audit/driver.h"
#include "rfile/format/form_check.h"
#include "server/instance_count.h"
#include "yfile/audit.h"
#include "yfile/form_check.h"

namespace kelvane {

namespace detail {
namespace {
std::atomic<long> g_liveObjects{0};
}
void ObjectCreated() { g_liveObjects.fetch_add(1, std::memory_order_relaxed); }
void ObjectDestroyed() { g_liveObjects.fetch_sub(1, std::memory_order_relaxed); }
}  // namespace detail

long LiveObjectCount() { return detail::g_liveObjects.load(std::memory_order_relaxed); }

// State shared by the three classes: the result list of the current call,
// the warning callback and the mutex that keeps one call at a time.
struct ComponentState {
  std::mutex mu;
  AuditList list;
  WarningCallback warn;

  ComponentState() { detail::ObjectCreated(); }
  ~ComponentState() { detail::ObjectDestroyed(); }

  void AddAuditItem(std::string_view message, std::string_view element, std::string_view related,
                    std::string_view day, std::string_view timeOrItem, std::string_view line,
                    std::string_view level) {
    list.Add(message, element, related, day, timeOrItem, line, level);
  }

  // Problems of the reference data, each as a warning (none without a
  // callback); a callback that throws loses only its warnings.
  void WarnAll(const std::vector<std::string>& problems) const {
    if (!warn) return;
    for (const std::string& p : problems) {
      try {
        warn(p, "警告");
      } catch (...) {
      }
    }
  }
};

// ---------------------------------------------------------------- KelvaneA

struct KelvaneA::Impl : ComponentState {
  afile::audit::AuditRules auditRules;  // filled and erased by each AFileAuditing call
};

KelvaneA::KelvaneA() : impl_(std::make_unique<Impl>()) {}
KelvaneA::~KelvaneA() = default;

void KelvaneA::SetWarningCallback(WarningCallback cb) {
  std::lock_guard<std::mutex> lock(impl_->mu);
  impl_->warn = std::move(cb);
}

void KelvaneA::SetFindingLimit(long n) {
  std::lock_guard<std::mutex> lock(impl_->mu);
  impl_->list.SetLimit(n > 0 ? static_cast<size_t>(n) : 0);
}

Status KelvaneA::AFileFormCheck(std::string strSysPath, std::string strPathFile,
                                VariantArray& AFilePara, StringArray& AFileClass,
                                StringArray& AFileAuditingList) {
  std::lock_guard<std::mutex> lock(impl_->mu);
  return RunGuarded([&] {
    impl_->list.Clear();
    std::vector<std::string> problems;
    afile::RunFormCheck(strSysPath, strPathFile, nullptr, AFilePara, AFileClass, impl_->list,
                        &problems);
    impl_->WarnAll(problems);
    impl_->list.HandBack(AFileAuditingList);
  });
}

Status KelvaneA::AFileFormCheck(std::string strSysPath, const DataFile& file,
                                VariantArray& AFilePara, StringArray& AFileClass,
                                StringArray& AFileAuditingList) {
  std::lock_guard<std::mutex> lock(impl_->mu);
  return RunGuarded([&] {
    if (!file.IsOpen()) throw Error(kErrInvalidCall, "AFileFormCheck: the data file is not open");
    impl_->list.Clear();
    std::vector<std::string> problems;
    afile::RunFormCheck(strSysPath, file.Path(), file.text(), AFilePara, AFileClass,
                        impl_->list, &problems);
    impl_->WarnAll(problems);
    impl_->list.HandBack(AFileAuditingList);
  });
}

Status KelvaneA::AFileAuditing(
    std::string strSysPath, VariantArray& SysLib, VariantArray& AFilePara, StringArray& AFileClass,
    StringArray& strP, StringArray& strT, StringArray& strI, StringArray& strE, StringArray& strU,
    StringArray& strTD, StringArray& strNN, StringArray& strNL, StringArray& strCC,
    StringArray& strH, StringArray& strV, StringArray& strR, StringArray& strw,
    StringArray& strFDFF, StringArray& strD0, StringArray& strGLT, StringArray& strGE,
    StringArray& strD5, StringArray& strD10, StringArray& strD15, StringArray& strD20,
    StringArray& strD40, StringArray& strK8, StringArray& strK16, StringArray& strK32,
    StringArray& strLE, StringArray& strLL, StringArray& strP0, StringArray& strZ,
    StringArray& strDYF, StringArray& strAA, StringArray& strG, StringArray& strZJRR,
    StringArray& strZJFDFF, StringArray& strZJSS, StringArray& strMaxRain,
    StringArray& strRconnect, StringArray& VFileFM, StringArray& VFileJY, StringArray& VFileGK,
    StringArray& VFileBZ, std::string& strManualWindV, StringArray& AFileAuditingList) {
  // The caller's arrays are moved into a bundle for the call and back out
  // whatever happens (moving an array moves its storage, not its cells).
  StringArray* const params[] = {
      &strP,    &strT,    &strI,      &strE,    &strU,      &strTD,      &strNN,   &strNL,
      &strCC,   &strH,    &strV,      &strR,    &strw,      &strFDFF,    &strD0,   &strGLT,
      &strGE,   &strD5,   &strD10,    &strD15,  &strD20,    &strD40,     &strK8,   &strK16,
      &strK32,  &strLE,   &strLL,     &strP0,   &strZ,      &strDYF,     &strAA,   &strG,
      &strZJRR, &strZJFDFF, &strZJSS, &strMaxRain, &strRconnect, &VFileFM, &VFileJY, &VFileGK,
      &VFileBZ};
  static_assert(std::size(params) == kAFileArrayCount);
  AFileArrays arrays;
  const OnExit moveBack{[&] {
    for (size_t i = 0; i < kAFileArrayCount; ++i)
      *params[i] = std::move(arrays.*kAFileArrayTable<>[i].member);
    SysLib = std::move(arrays.SysLib);
    strManualWindV = std::move(arrays.strManualWindV);
  }};
  for (size_t i = 0; i < kAFileArrayCount; ++i)
    arrays.*kAFileArrayTable<>[i].member = std::move(*params[i]);
  arrays.SysLib = std::move(SysLib);
  arrays.strManualWindV = std::move(strManualWindV);
  return AFileAuditing(std::move(strSysPath), AFilePara, AFileClass, arrays, AFileAuditingList);
}

Status KelvaneA::AFileAuditing(std::string strSysPath, VariantArray& AFilePara,
                               StringArray& AFileClass, AFileArrays& arrays,
                               StringArray& AFileAuditingList) {
  std::lock_guard<std::mutex> lock(impl_->mu);
  return RunGuarded([&] {
    impl_->list.Clear();
    const afile::audit::AuditInputs in{.sysPath = strSysPath,
                                       .AFilePara = AFilePara,
                                       .AFileClass = AFileClass,
                                       .arrays = arrays,
                                       .AFileAuditingList = AFileAuditingList};
    afile::audit::RunAFileAuditing(in, impl_->auditRules, impl_->list, impl_->warn);
    impl_->list.MergeInto(AFileAuditingList);
  });
}

std::string KelvaneA::WindDToWindDValue(std::string strWD, std::string strWF) {
  // Uses no instance state; safe to call at any time.
  try {
    return WindDirectionDegrees(strWD, strWF);
  } catch (...) {
    return "-";
  }
}

// ---------------------------------------------------------------- KelvaneR

struct KelvaneR::Impl : ComponentState {
  rfile::SunTimesTable sunTimes;  // RSunTimes: rebuilt by every check and audit
};

KelvaneR::KelvaneR() : impl_(std::make_unique<Impl>()) {}
KelvaneR::~KelvaneR() = default;

void KelvaneR::SetWarningCallback(WarningCallback cb) {
  std::lock_guard<std::mutex> lock(impl_->mu);
  impl_->warn = std::move(cb);
}

void KelvaneR::SetFindingLimit(long n) {
  std::lock_guard<std::mutex> lock(impl_->mu);
  impl_->list.SetLimit(n > 0 ? static_cast<size_t>(n) : 0);
}

Status KelvaneR::RFileFormCheck(std::string strSysPath, std::string strPathFile,
                                VariantArray& RFilePara, StringArray& RFileAuditingList) {
  std::lock_guard<std::mutex> lock(impl_->mu);
  return RunGuarded([&] {
    impl_->list.Clear();
    CutToRowZero(RFileAuditingList);
    std::vector<std::string> problems;
    rfile::RunRFormCheck(strSysPath, strPathFile, nullptr, RFilePara, impl_->sunTimes,
                         impl_->list, &problems);
    impl_->WarnAll(problems);
    impl_->list.HandBack(RFileAuditingList);
  });
}

Status KelvaneR::RFileFormCheck(std::string strSysPath, const DataFile& file,
                                VariantArray& RFilePara, StringArray& RFileAuditingList) {
  std::lock_guard<std::mutex> lock(impl_->mu);
  return RunGuarded([&] {
    if (!file.IsOpen()) throw Error(kErrInvalidCall, "RFileFormCheck: the data file is not open");
    impl_->list.Clear();
    CutToRowZero(RFileAuditingList);
    std::vector<std::string> problems;
    rfile::RunRFormCheck(strSysPath, file.Path(), file.text(), RFilePara, impl_->sunTimes,
                         impl_->list, &problems);
    impl_->WarnAll(problems);
    impl_->list.HandBack(RFileAuditingList);
  });
}

Status KelvaneR::RFileAuditing(std::string strSysPath, VariantArray& RFilePara,
                               StringArray& strRFileG, StringArray& strRFileN,
                               StringArray& strRFileD, StringArray& strRFileS,
                               StringArray& strRFileR, StringArray& strRFileYQ,
                               StringArray& strRFileEnvironment, StringArray& strRFileSurface,
                               StringArray& strRFileOtherCZ, StringArray& strRFileBZ,
                               StringArray& strRFileFM, StringArray& RFileAuditingList) {
  // The caller's arrays are moved into a bundle for the call and back out
  // whatever happens.
  StringArray* const params[] = {&strRFileG,  &strRFileN,           &strRFileD,
                                 &strRFileS,  &strRFileR,           &strRFileYQ,
                                 &strRFileEnvironment, &strRFileSurface, &strRFileOtherCZ,
                                 &strRFileBZ, &strRFileFM};
  static_assert(std::size(params) == kRFileArrayCount);
  RFileArrays arrays;
  const OnExit moveBack{[&] {
    for (size_t i = 0; i < kRFileArrayCount; ++i)
      *params[i] = std::move(arrays.*kRFileArrayTable<>[i].member);
  }};
  for (size_t i = 0; i < kRFileArrayCount; ++i)
    arrays.*kRFileArrayTable<>[i].member = std::move(*params[i]);
  return RFileAuditing(std::move(strSysPath), RFilePara, arrays, RFileAuditingList);
}

Status KelvaneR::RFileAuditing(std::string strSysPath, VariantArray& RFilePara,
                               RFileArrays& arrays, StringArray& RFileAuditingList) {
  std::lock_guard<std::mutex> lock(impl_->mu);
  return RunGuarded([&] {
    impl_->list.Clear();
    RequireResultListShape(RFileAuditingList, "RFileAuditingList");
    const rfile::RAuditInputs in{.sysPath = strSysPath, .RFilePara = RFilePara, .arrays = arrays};
    rfile::RunRFileAuditing(in, impl_->sunTimes, impl_->list, impl_->warn);
    impl_->list.MergeInto(RFileAuditingList);
  });
}

// ---------------------------------------------------------------- KelvaneY

struct KelvaneY::Impl : ComponentState {};

KelvaneY::KelvaneY() : impl_(std::make_unique<Impl>()) {}
KelvaneY::~KelvaneY() = default;

void KelvaneY::SetWarningCallback(WarningCallback cb) {
  std::lock_guard<std::mutex> lock(impl_->mu);
  impl_->warn = std::move(cb);
}

void KelvaneY::SetFindingLimit(long n) {
  std::lock_guard<std::mutex> lock(impl_->mu);
  impl_->list.SetLimit(n > 0 ? static_cast<size_t>(n) : 0);
}

Status KelvaneY::YfileFormCheck(std::string strSysPath, std::string strPathFile,
                                VariantArray& YFilePara, StringArray& YFileAuditingList) {
  std::lock_guard<std::mutex> lock(impl_->mu);
  return RunGuarded([&] {
    impl_->list.Clear();
    CutToRowZero(YFileAuditingList);
    std::vector<std::string> problems;
    yfile::RunYFormCheck(strSysPath, strPathFile, nullptr, YFilePara, impl_->list, &problems);
    impl_->WarnAll(problems);
    impl_->list.HandBack(YFileAuditingList);
  });
}

Status KelvaneY::YfileFormCheck(std::string strSysPath, const DataFile& file,
                                VariantArray& YFilePara, StringArray& YFileAuditingList) {
  std::lock_guard<std::mutex> lock(impl_->mu);
  return RunGuarded([&] {
    if (!file.IsOpen()) throw Error(kErrInvalidCall, "YfileFormCheck: the data file is not open");
    impl_->list.Clear();
    CutToRowZero(YFileAuditingList);
    std::vector<std::string> problems;
    yfile::RunYFormCheck(strSysPath, file.Path(), file.text(), YFilePara, impl_->list, &problems);
    impl_->WarnAll(problems);
    impl_->list.HandBack(YFileAuditingList);
  });
}

Status KelvaneY::YfileAuditing(std::string strSysPath, VariantArray& YFilePara,
                               StringArray& strMonthYearS, StringArray& strTimesSegmantMaxR,
                               StringArray& strElementStartEndDate, StringArray& strMonthWDF,
                               StringArray& strYearWDF, StringArray& YFileFM,
                               StringArray& YFileGK, StringArray& YFileBZ, StringArray& YFileYQ,
                               StringArray& YFileAuditingList) {
  // The caller's arrays are moved into a bundle for the call and back out
  // whatever happens.
  StringArray* const params[] = {&strMonthYearS, &strTimesSegmantMaxR, &strElementStartEndDate,
                                 &strMonthWDF,   &strYearWDF,          &YFileFM,
                                 &YFileGK,       &YFileBZ,             &YFileYQ};
  YFileArrays arrays;
  StringArray* const members[] = {&arrays.strMonthYearS, &arrays.strTimesSegmantMaxR,
                                  &arrays.strElementStartEndDate, &arrays.strMonthWDF,
                                  &arrays.strYearWDF,    &arrays.YFileFM,
                                  &arrays.YFileGK,       &arrays.YFileBZ,
                                  &arrays.YFileYQ};
  const OnExit moveBack{[&] {
    for (size_t i = 0; i < std::size(params); ++i) *params[i] = std::move(*members[i]);
  }};
  for (size_t i = 0; i < std::size(params); ++i) *members[i] = std::move(*params[i]);
  return YfileAuditing(std::move(strSysPath), YFilePara, arrays, YFileAuditingList);
}

Status KelvaneY::YfileAuditing(std::string strSysPath, VariantArray& YFilePara,
                               YFileArrays& arrays, StringArray& YFileAuditingList) {
  std::lock_guard<std::mutex> lock(impl_->mu);
  return RunGuarded([&] {
    impl_->list.Clear();
    (void)strSysPath;  // the yearly audit reads no database
    yfile::RunYFileAuditing(YFilePara, arrays, impl_->list);
    impl_->list.MergeInto(YFileAuditingList);
  });
}

}  // namespace kelvane
