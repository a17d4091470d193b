// The station parameter table (tabStationParameter of Sysconfig/SysLib.mdb)
// and the comparisons of a data file's header with a station's registered
// parameters.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/audit_list.h"
#include "kelvane/safe_array.h"

namespace kelvane {

// One row of tabStationParameter, read as text by column name.
class StationRecord {
 public:
  StationRecord() = default;
  // source: the database file the row was read from, named in errors.
  StationRecord(std::vector<std::string> columns, std::vector<std::string> values,
                std::string source = {});
  // Field text ("" for null). Raises kelvane::Error when the column is absent.
  const std::string& Get(std::string_view column) const;
  bool Has(std::string_view column) const;

 private:
  std::vector<std::string> columns_;
  std::vector<std::string> values_;
  std::string source_;
};

// Opens tabStationParameter below sysPath and returns the row whose
// StationNum equals station exactly; nullopt when the table is empty or has
// no such row. Raises kelvane::Error when the database or table is missing.
// With problems, what is wrong with the table for this lookup is noted there
// in words (naming the table, its file and the station): an empty table,
// records without a station number, no record of the station, more than one
// record of it (the first is used). The result is the same either way.
std::optional<StationRecord> FindStation(std::string_view sysPath, std::string_view station,
                                         std::vector<std::string>* problems = nullptr);

// "0" for code 1 (manual), "1" for 2 (automatic), "9" otherwise.
std::string StationModeFlag(long code);
// Combined flag of several element flags: "1" if any is "1", else "0" if any
// is "0", else "9".
std::string CombinedFlag(std::initializer_list<std::string_view> flags);

// Header values of a data file as the comparisons see them. An unset
// optional is a value the header did not give (no difference is reported).
struct HeaderValues {
  std::string latitude;         // e.g. 39.52N
  std::string longitude;        // e.g. 116.28E
  std::string fieldElevation;   // e.g. 31.3 or (55.0)
  std::string baroElevation;
  std::string windHeight;
  std::string platformHeight;
  std::optional<std::string> stationClass;  // 基准站 / 基本站 / 一般站
  std::optional<std::string> fixTimes;
  std::string collection;       // 人工 / 自动站
  bool pressureAutomatic = false;  // compare BaroSensorElevation instead of BaroElevation
};

// Comparisons 1..count of the general header items (latitude, longitude,
// field elevation, barometer elevation, wind sensor height, platform height,
// class, fixed times, observing mode), each mismatch one finding on the
// header line.
void CompareGeneralItems(const StationRecord& rec, const HeaderValues& h, int count,
                         AuditList& list);

// The A-file comparisons: the general items, then the element mode flags of
// the header line (positions 46..65). AFilePara is the parameter array as
// the header check filled it.
void CompareAFileHeader(const StationRecord& rec, const VariantArray& AFilePara,
                        std::string_view headerLine, AuditList& list);

// Whole step of the A-file check: opens the station table below sysPath,
// finds AFilePara 7 and runs CompareAFileHeader. No finding when the station
// is not registered. Raises kelvane::Error on a database failure.
// Problems of the station table go to problems (see FindStation).
void CheckAFileAgainstStation(std::string_view sysPath, const VariantArray& AFilePara,
                              std::string_view headerLine, AuditList& list,
                              std::vector<std::string>* problems = nullptr);

}  // namespace kelvane
