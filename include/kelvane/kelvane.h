// Kelvane: format check and quality audit of surface meteorological station
// data files. Three classes, one per file kind:
//
//   KelvaneA  monthly surface observation file (A file)
//   KelvaneR  monthly radiation file (R file)
//   KelvaneY  yearly surface observation file (Y file)
//
// Calling order for one file: create an instance, call the format check with
// the system directory, the file path, the parameter array(s) and a result
// list; decode the file's data into element arrays (see kelvane/host); call
// the audit with the same parameter arrays, the element arrays and the result
// list. Every finding is one row of the result list, a two-dimensional string
// array with columns 1..7 (Message, Element, RelatedItem, Day, TimeOrItem,
// Line, Level) and rows 0..n, row 0 always empty.
//
// Every method returns a Status instead of throwing. On failure the caller's
// result list keeps what it held before the call.
//
// Threads: an instance may be used from any thread, but one instance is never
// entered by two calls at once: each public method holds the instance's mutex
// for its whole duration, so a second concurrent call on the same instance
// waits. Separate instances share no state and run in parallel freely.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "kelvane/afile_arrays.h"
#include "kelvane/data_file.h"
#include "kelvane/rfile_arrays.h"
#include "kelvane/safe_array.h"
#include "kelvane/status.h"
#include "kelvane/variant.h"
#include "kelvane/yfile_arrays.h"

namespace kelvane {

// Receives the text and caption of the one warning the audits can raise
// (no audit rule set for the station). The default prints nothing.
using WarningCallback = std::function<void(const std::string& text, const std::string& caption)>;

// Column numbers of a result list.
enum AuditColumn : int {
  kColMessage = 1,
  kColElement = 2,
  kColRelatedItem = 3,
  kColDay = 4,
  kColTimeOrItem = 5,
  kColLine = 6,
  kColLevel = 7,
};

class KelvaneA {
 public:
  KelvaneA();
  ~KelvaneA();
  KelvaneA(const KelvaneA&) = delete;
  KelvaneA& operator=(const KelvaneA&) = delete;

  Status AFileFormCheck(std::string strSysPath, std::string strPathFile, VariantArray& AFilePara,
                        StringArray& AFileClass, StringArray& AFileAuditingList);
  // The same over a file already read (file.Path() is strPathFile), so a
  // host that decodes the file afterwards reads it only once.
  Status AFileFormCheck(std::string strSysPath, const DataFile& file, VariantArray& AFilePara,
                        StringArray& AFileClass, StringArray& AFileAuditingList);

  Status AFileAuditing(std::string strSysPath, VariantArray& SysLib, VariantArray& AFilePara,
                       StringArray& AFileClass, StringArray& strP, StringArray& strT,
                       StringArray& strI, StringArray& strE, StringArray& strU, StringArray& strTD,
                       StringArray& strNN, StringArray& strNL, StringArray& strCC,
                       StringArray& strH, StringArray& strV, StringArray& strR, StringArray& strw,
                       StringArray& strFDFF, StringArray& strD0, StringArray& strGLT,
                       StringArray& strGE, StringArray& strD5, StringArray& strD10,
                       StringArray& strD15, StringArray& strD20, StringArray& strD40,
                       StringArray& strK8, StringArray& strK16, StringArray& strK32,
                       StringArray& strLE, StringArray& strLL, StringArray& strP0,
                       StringArray& strZ, StringArray& strDYF, StringArray& strAA,
                       StringArray& strG, StringArray& strZJRR, StringArray& strZJFDFF,
                       StringArray& strZJSS, StringArray& strMaxRain, StringArray& strRconnect,
                       StringArray& VFileFM, StringArray& VFileJY, StringArray& VFileGK,
                       StringArray& VFileBZ, std::string& strManualWindV,
                       StringArray& AFileAuditingList);
  // The same with the element arrays, SysLib and strManualWindV in one
  // bundle (see kelvane/afile_arrays.h, DecodeAFile fills it).
  Status AFileAuditing(std::string strSysPath, VariantArray& AFilePara, StringArray& AFileClass,
                       AFileArrays& arrays, StringArray& AFileAuditingList);

  // Direction code and speed to whole degrees ("C" calm, "-" unknown).
  std::string WindDToWindDValue(std::string strWD, std::string strWF);

  void SetWarningCallback(WarningCallback cb);
  // At most n findings are kept per call (0, the default: no limit); the
  // rest are counted, and the list handed back ends with one row saying how
  // many were left out.
  void SetFindingLimit(long n);

  struct Impl;

 private:
  std::unique_ptr<Impl> impl_;
};

class KelvaneR {
 public:
  KelvaneR();
  ~KelvaneR();
  KelvaneR(const KelvaneR&) = delete;
  KelvaneR& operator=(const KelvaneR&) = delete;

  Status RFileFormCheck(std::string strSysPath, std::string strPathFile, VariantArray& RFilePara,
                        StringArray& RFileAuditingList);
  // The same over a file already read (file.Path() is strPathFile).
  Status RFileFormCheck(std::string strSysPath, const DataFile& file, VariantArray& RFilePara,
                        StringArray& RFileAuditingList);

  Status RFileAuditing(std::string strSysPath, VariantArray& RFilePara, StringArray& strRFileG,
                       StringArray& strRFileN, StringArray& strRFileD, StringArray& strRFileS,
                       StringArray& strRFileR, StringArray& strRFileYQ,
                       StringArray& strRFileEnvironment, StringArray& strRFileSurface,
                       StringArray& strRFileOtherCZ, StringArray& strRFileBZ,
                       StringArray& strRFileFM, StringArray& RFileAuditingList);
  // The same with the arrays in one bundle (see kelvane/rfile_arrays.h,
  // DecodeRFile fills it).
  Status RFileAuditing(std::string strSysPath, VariantArray& RFilePara, RFileArrays& arrays,
                       StringArray& RFileAuditingList);

  void SetWarningCallback(WarningCallback cb);
  // At most n findings are kept per call (0, the default: no limit); the
  // rest are counted, and the list handed back ends with one row saying how
  // many were left out.
  void SetFindingLimit(long n);

  struct Impl;

 private:
  std::unique_ptr<Impl> impl_;
};

class KelvaneY {
 public:
  KelvaneY();
  ~KelvaneY();
  KelvaneY(const KelvaneY&) = delete;
  KelvaneY& operator=(const KelvaneY&) = delete;

  Status YfileFormCheck(std::string strSysPath, std::string strPathFile, VariantArray& YFilePara,
                        StringArray& YFileAuditingList);
  // The same over a file already read (file.Path() is strPathFile).
  Status YfileFormCheck(std::string strSysPath, const DataFile& file, VariantArray& YFilePara,
                        StringArray& YFileAuditingList);

  Status YfileAuditing(std::string strSysPath, VariantArray& YFilePara,
                       StringArray& strMonthYearS, StringArray& strTimesSegmantMaxR,
                       StringArray& strElementStartEndDate, StringArray& strMonthWDF,
                       StringArray& strYearWDF, StringArray& YFileFM, StringArray& YFileGK,
                       StringArray& YFileBZ, StringArray& YFileYQ, StringArray& YFileAuditingList);
  // The same with the arrays in one bundle (see kelvane/yfile_arrays.h,
  // DecodeYFile fills it). The yearly statistics component is reached by
  // program identifier (kelvane/year_statistic.h registers this library's).
  Status YfileAuditing(std::string strSysPath, VariantArray& YFilePara, YFileArrays& arrays,
                       StringArray& YFileAuditingList);

  void SetWarningCallback(WarningCallback cb);
  // At most n findings are kept per call (0, the default: no limit); the
  // rest are counted, and the list handed back ends with one row saying how
  // many were left out.
  void SetFindingLimit(long n);

  struct Impl;

 private:
  std::unique_ptr<Impl> impl_;
};

// Number of live component objects (of all classes); the server reports
// "can unload" when it is zero and no server lock is held.
long LiveObjectCount();

}  // namespace kelvane
