#include "afile/format/form_check.h"

#include "afile/format/sections.h"

namespace kelvane::afile {

namespace {

void RequireVector(const auto& a, long last, const char* name) {
  if (!a.IsAllocated() || a.Rank() != 1 || a.LBound(1) > 1 || a.UBound(1) < last)
    throw SubscriptError(std::string(name) + " must cover indices 1.." + std::to_string(last));
}

}  // namespace

void RunFormCheck(std::string_view sysPath, const std::string& pathFile,
                  std::shared_ptr<const DataFile::Text> text, VariantArray& AFilePara,
                  StringArray& AFileClass, AuditList& list,
                  std::vector<std::string>* problems) {
  RequireVector(AFilePara, 52, "AFilePara");
  RequireVector(AFileClass, 20, "AFileClass");
  // Values of an earlier file must not survive into this one.
  for (long i = 5; i <= 52; ++i) AFilePara(i) = Variant();
  for (long i = 1; i <= 20; ++i) AFileClass(i).clear();

  FormContext cx(sysPath, pathFile, AFilePara, AFileClass, list);
  cx.problems = problems;
  try {
    CheckFileName(cx);
    if (text)
      cx.in.emplace(std::move(text));
    else
      cx.in.emplace(pathFile);
    CheckHeader(cx);
    CheckDataSection(cx);
    CheckControlSection(cx);
    CheckAppendix(cx);
  } catch (const FatalStop&) {
    // The finding is in the list and the usable flag is cleared.
  }
}

}  // namespace kelvane::afile
