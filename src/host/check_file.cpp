#include "host/check_file.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <string>

#include "common/audit_list.h"
#include "common/error.h"
#include "host/decoder.h"
#include "host/rfile_decoder.h"
#include "host/yfile_decoder.h"
#include "kelvane/year_statistic.h"

namespace kelvane::host {

bool FileResult::HasError() const {
  for (const Finding& f : findings)
    if (f.Level == kLevelError) return true;
  return false;
}

char FileKind(const std::string& path) {
  size_t slash = path.find_last_of("/\\");
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  if (name.empty()) return '?';
  return static_cast<char>(std::toupper(static_cast<unsigned char>(name[0])));
}

std::vector<Finding> ReadFindings(const StringArray& list) {
  std::vector<Finding> out;
  if (!list.IsAllocated() || list.Rank() != 2 || list.LBound(1) > 1 || list.UBound(1) < 7)
    return out;
  for (long r = 1; r <= list.UBound(2); ++r) {
    if (r < list.LBound(2)) continue;
    out.push_back(Finding{list(1, r), list(2, r), list(3, r), list(4, r), list(5, r), list(6, r),
                          list(7, r)});
  }
  return out;
}

namespace {

constexpr std::string_view kLeftOutStart = "另有";
constexpr std::string_view kLeftOutEnd = "条结果未列出(已达结果条数上限)";

// The count of a row that says how many findings were left out, or -1 for
// any other row.
long long LeftOutCount(const Finding& f) {
  const std::string_view m = f.Message;
  if (!f.Level.empty() || !f.Element.empty() || !f.Day.empty() || !m.starts_with(kLeftOutStart) ||
      !m.ends_with(kLeftOutEnd))
    return -1;
  const std::string_view digits =
      m.substr(kLeftOutStart.size(), m.size() - kLeftOutStart.size() - kLeftOutEnd.size());
  if (digits.empty() || digits.size() > 18) return -1;
  long long n = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return -1;
    n = n * 10 + (c - '0');
  }
  return n;
}

}  // namespace

void BoundFindings(std::vector<Finding>& findings, long maxFindings) {
  if (maxFindings <= 0) return;
  // The format check and the audit each bound their own list, so a merged
  // list may hold both their rows of left-out findings and more findings
  // than the bound: keep the first maxFindings in order and say once how
  // many were left out in all.
  long long leftOut = 0;
  size_t kept = 0;
  for (size_t i = 0; i < findings.size(); ++i) {
    const long long n = LeftOutCount(findings[i]);
    if (n >= 0) {
      leftOut += n;
      continue;
    }
    if (kept == static_cast<size_t>(maxFindings)) {
      ++leftOut;
      continue;
    }
    if (kept != i) findings[kept] = std::move(findings[i]);
    ++kept;
  }
  findings.resize(kept);
  if (leftOut > 0)
    findings.push_back(Finding{std::string(kLeftOutStart) + std::to_string(leftOut) +
                                   std::string(kLeftOutEnd),
                               "", "", "", "", "", ""});
}

namespace {

std::string WithSeparator(std::string dir) {
  if (!dir.empty() && dir.back() != '/' && dir.back() != '\\') dir += '/';
  return dir;
}

// `decoded` is the checker's own, reused from file to file: decoding
// reshapes and refills every array, keeping the cells' buffers when a file
// has the shape of the one before.
void CheckAFile(KelvaneA& a, DecodedAFile& decoded, const std::string& path,
                const CheckOptions& opt, FileResult& r) {
  // The file is read and decoded once; the format check and the decoder
  // walk the same lines.
  DataFile file;
  r.status = file.Open(path);
  if (!r.status.ok()) return;
  VariantArray para = VariantArray::Vector(1, 52);
  StringArray cls = StringArray::Vector(1, 20);
  StringArray list;
  const std::string sys = WithSeparator(opt.sysPath);
  r.status = a.AFileFormCheck(sys, file, para, cls, list);
  if (!r.status.ok()) return;
  const Variant* usable = para.Find(6);
  r.usable = usable && usable->Truth();
  if (r.usable && !opt.formatOnly) {
    // The host's part: decode the data into element arrays, then audit them;
    // the audit merges its findings into the format check's list.
    DecodeAFileText(file.text(), para, decoded);
    StringArray merged = list;
    // The limit holds per file: the audit keeps what the format check left
    // (BoundFindings then makes the merged list exact).
    if (opt.maxFindings > 0) {
      const long formatRows = list.IsAllocated() && list.Rank() == 2 ? list.UBound(2) : 0;
      a.SetFindingLimit(std::max(1L, opt.maxFindings - formatRows));
    }
    r.status = a.AFileAuditing(sys, para, cls, decoded, merged);
    if (opt.maxFindings > 0) a.SetFindingLimit(opt.maxFindings);
    if (!r.status.ok()) {
      r.findings = ReadFindings(list);
      return;
    }
    list = std::move(merged);
    if (opt.keepArrays) r.aArrays = std::make_shared<DecodedAFile>(std::move(decoded));
  }
  r.findings = ReadFindings(list);
}

void CheckRFile(KelvaneR& rr, const std::string& path, const CheckOptions& opt, FileResult& r) {
  DataFile file;
  r.status = file.Open(path);
  if (!r.status.ok()) return;
  VariantArray para = VariantArray::Vector(1, 12);
  StringArray list;
  const std::string sys = WithSeparator(opt.sysPath);
  r.status = rr.RFileFormCheck(sys, file, para, list);
  if (!r.status.ok()) return;
  const Variant* usable = para.Find(6);
  r.usable = usable && usable->Truth();
  if (r.usable && !opt.formatOnly) {
    RFileArrays arrays;
    DecodeRFileText(file.text(), para, arrays);
    StringArray merged = list;
    r.status = rr.RFileAuditing(sys, para, arrays, merged);
    if (!r.status.ok()) {
      r.findings = ReadFindings(list);
      return;
    }
    list = std::move(merged);
    if (opt.keepArrays) r.rArrays = std::make_shared<RFileArrays>(std::move(arrays));
  }
  r.findings = ReadFindings(list);
}

void CheckYFile(KelvaneY& y, const std::string& path, const CheckOptions& opt, FileResult& r) {
  DataFile file;
  r.status = file.Open(path);
  if (!r.status.ok()) return;
  VariantArray para = VariantArray::Vector(1, 16);
  StringArray list;
  const std::string sys = WithSeparator(opt.sysPath);
  r.status = y.YfileFormCheck(sys, file, para, list);
  if (!r.status.ok()) return;
  const Variant* usable = para.Find(4);
  r.usable = usable && usable->Truth();
  if (r.usable && !opt.formatOnly) {
    YFileArrays decoded;
    DecodeYFileText(file.text(), decoded);
    StringArray merged = list;
    r.status = y.YfileAuditing(sys, para, decoded, merged);
    if (!r.status.ok()) {
      r.findings = ReadFindings(list);
      return;
    }
    list = std::move(merged);
    if (opt.keepArrays) r.yArrays = std::make_shared<YFileArrays>(std::move(decoded));
  }
  r.findings = ReadFindings(list);
}

}  // namespace

struct Checker::Instances {
  KelvaneA a;
  DecodedAFile decodedA;
  KelvaneR r;
  KelvaneY y;
};

Checker::Checker(CheckOptions options)
    : opt_(std::move(options)), in_(std::make_unique<Instances>()) {
  if (opt_.warn) in_->a.SetWarningCallback(opt_.warn);
  in_->a.SetFindingLimit(opt_.maxFindings);
  if (opt_.warn) in_->r.SetWarningCallback(opt_.warn);
  in_->r.SetFindingLimit(opt_.maxFindings);
  if (opt_.warn) in_->y.SetWarningCallback(opt_.warn);
  in_->y.SetFindingLimit(opt_.maxFindings);
  // The yearly audit's statistics component: this library's, unless the
  // host registered its own.
  (void)yearstat::RegisterYearStatistic();
}

Checker::~Checker() = default;

FileResult Checker::Check(const std::string& path) {
  FileResult r;
  r.file = path;
  r.kind = FileKind(path);
  try {
    if (opt_.maxFileSize > 0 && (r.kind == 'A' || r.kind == 'R' || r.kind == 'Y')) {
      struct stat st {};
      if (::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
          static_cast<uint64_t>(st.st_size) > opt_.maxFileSize) {
        r.checked = true;
        r.status = Status(kErrPathAccess, "file of " + std::to_string(st.st_size) +
                                              " bytes is larger than the limit of " +
                                              std::to_string(opt_.maxFileSize) +
                                              " bytes (--max-file-size)");
        return r;
      }
    }
    switch (r.kind) {
      case 'A':
        r.checked = true;
        CheckAFile(in_->a, in_->decodedA, path, opt_, r);
        break;
      case 'R':
        r.checked = true;
        CheckRFile(in_->r, path, opt_, r);
        break;
      case 'Y':
        r.checked = true;
        CheckYFile(in_->y, path, opt_, r);
        break;
      default:
        r.checked = false;
        break;
    }
    BoundFindings(r.findings, opt_.maxFindings);
  } catch (const Error& e) {
    r.status = Status(e.number(), e.what());
  } catch (const std::exception& e) {
    r.status = Status(kErrInternal, e.what());
  }
  return r;
}

FileResult CheckFile(const std::string& path, const CheckOptions& options) {
  return Checker(options).Check(path);
}

}  // namespace kelvane::host
