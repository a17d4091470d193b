// State of one R-file format check while it reads the file: the parameter
// array, the result list, the open file with its line counter, the station
// class and the sun table the daylight tests read. The section checkers
// share it; every finding goes through Add or Stop.
#pragma once

#include <optional>
#include <string>
#include <vector>
#include <string_view>

#include "common/audit_list.h"
#include "common/text_file.h"
#include "kelvane/safe_array.h"
#include "rfile/sun_times.h"

namespace kelvane::rfile {

// Raised by RContext::Stop to end the check; caught by RunRFormCheck.
struct StopCheck {};

class RContext {
 public:
  RContext(std::string_view sysPath, VariantArray& para, SunTimesTable& sun, AuditList& list)
      : sysPath(sysPath), para(para), sun(sun), list(list) {}

  std::string_view sysPath;
  VariantArray& para;
  SunTimesTable& sun;
  AuditList& list;
  std::vector<std::string>* problems = nullptr;  // of the station table, when wanted

  std::optional<LineReader> in;
  long line = 0;          // number of the last line read (1 = header)
  int days = 31;          // days of the month (RFilePara 4)
  int stationClass = 0;   // number value of RFilePara 11
  bool sunBuilt = false;  // the daylight tests have a sun table to read
  // Instrument heights of the station record (text; empty: not compared).
  std::string heightG, heightD, heightS, heightN, heightR;

  bool AtEnd() const { return in->Eof(); }
  // Reads the next line and counts it. At end of file the check stops
  // with "记录非法结束" for the element or section being read.
  std::string_view Read(std::string_view element, std::string_view day = {});

  // Appends a finding of level "错误" on the current line.
  void Add(std::string_view message, std::string_view element, std::string_view related = {},
           std::string_view day = {}, std::string_view timeOrItem = {},
           std::string_view level = kLevelError);
  // Appends the finding, clears the usable flag (RFilePara 6) and ends the check.
  [[noreturn]] void Stop(std::string_view message, std::string_view element,
                         std::string_view day = {}, std::string_view timeOrItem = {});
  void MarkUnusable();
};

// Blank-separated groups of a line, as Split at " " gives them (adjacent
// blanks enclose an empty group); calls fn(j, group) for j = 1, 2, ...
// and returns the number of groups.
template <class Fn>
int ForEachGroup(std::string_view line, Fn&& fn) {
  int j = 0;
  size_t start = 0;
  for (;;) {
    const size_t blank = line.find(' ', start);
    const std::string_view group =
        line.substr(start, blank == std::string_view::npos ? std::string_view::npos : blank - start);
    fn(++j, group);
    if (blank == std::string_view::npos) return j;
    start = blank + 1;
  }
}

// The cover, instrument, surroundings and remarks sections (sections.cpp).
void CheckCover(RContext& c);
void CheckInstruments(RContext& c);
void CheckSurroundings(RContext& c);
void CheckRemarks(RContext& c);

// A valid calendar date of 8 digits YYYYMMDD; its day number when valid.
std::optional<long> DateNumberOf(std::string_view yyyymmdd);
// Day number of a calendar date (days since 1970-01-01, proleptic Gregorian).
long DaysFromCivil(long year, int month, int day);

}  // namespace kelvane::rfile
