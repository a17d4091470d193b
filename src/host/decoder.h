// What a host does between the A-file format check and the audit: decode the
// file's data into the element arrays that KelvaneA::AFileAuditing takes.
//
// The decoder walks the same segment table as the format check
// (afile/segment_table.h): the mode code of each segment chooses its blocks,
// and each block is routed to its element array. Arrays are two-dimensional
// (1..days, 1..columns); the column layout of each array is the one the
// audits read (README.md, "Decoded arrays"). Cells hold the record text as
// written, with the few host conversions listed there (pressure thousands
// digit, "%%", iced wet bulb, wind records, "," runs, ...).
//
// An element the file does not carry keeps its usual shape at this station
// with every cell "-"; columns a carried layout has no record for (the 02 h
// column of a station observing three times a day, the extreme times of a
// layout without times) are empty.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "kelvane/kelvane.h"
#include "kelvane/safe_array.h"
#include "kelvane/status.h"

namespace kelvane::host {

struct DecodedAFile {
  // Facts the arrays were shaped by.
  int days = 0;                   // rows of the element arrays
  bool manualStation = false;     // AFilePara 17 "人工"
  bool referenceStation = false;  // class "基准站": 24 fixed observations, hourly clouds
  bool hourlyStation = false;     // automatic or reference: absent elements get 24 columns

  StringArray strP, strT, strI, strE, strU, strTD, strNN, strNL, strCC, strH, strV, strR, strw,
      strFDFF, strD0, strGLT, strGE, strD5, strD10, strD15, strD20, strD40, strK8, strK16,
      strK32, strLE, strLL, strP0, strZ, strDYF, strAA, strG, strZJRR, strZJFDFF, strZJSS,
      strMaxRain, strRconnect, VFileFM, VFileJY, VFileGK, VFileBZ;
  // Station settings of the psychrometric audit (DefaultSysLib).
  VariantArray SysLib;
  // Psychrometer ventilation of a manual station; empty at an automatic one.
  std::string strManualWindV;

  struct Named {
    std::string_view name;
    StringArray DecodedAFile::*member;
  };
  // The string arrays strP ... VFileBZ in the order AFileAuditing takes them.
  static std::span<const Named> Arrays();
};

// Decodes the A file at path. AFilePara is the parameter array the format
// check filled (items 4 days, 11 barometer elevation, 16 fixed observation
// times, 17 station type, 22 visibility mode flag are read; when the header
// failed its pattern the header line itself is consulted). AFileClass is
// not needed: the mode codes are read from the segments' indicator lines,
// which is where the format check took them from.
//
// Raises kelvane::Error when the file cannot be read. Any content is
// decoded without failing: where a malformed file loses the thread (an
// unknown mode code, a wrong indicator letter) the remaining elements keep
// their absent shape.
void DecodeAFile(const std::string& path, const VariantArray& AFilePara,
                 const StringArray& AFileClass, DecodedAFile& out);

// Station settings for the psychrometric audit: items 27..30 the hygrometer
// coefficients c0..c3 of U = c0 + c1 h + c2 h² + c3 h³ (identity: the
// hygrometer reads relative humidity directly), item 72 the default station
// pressure in hPa (the standard atmosphere at the barometer elevation,
// AFilePara 11). Indices 1..72; the other items are empty.
VariantArray DefaultSysLib(const VariantArray& AFilePara);

// Calls AFileAuditing with the decoded arrays.
Status AuditDecodedAFile(KelvaneA& a, const std::string& sysPath, VariantArray& AFilePara,
                         StringArray& AFileClass, DecodedAFile& d, StringArray& auditList);

}  // namespace kelvane::host
