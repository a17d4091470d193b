#include "common/station_params.h"

#include <cmath>

#include "common/database.h"
#include "common/error.h"
#include "common/text.h"

namespace kelvane {

namespace {

constexpr std::string_view kMismatch = "文件首部参数与台站参数表不符";
constexpr std::string_view kHeaderElement = "文件首部";
constexpr std::string_view kReferenceClass = "基准站";

void AddMismatch(AuditList& list, std::string_view item) {
  list.Add(kMismatch, kHeaderElement, item, "", "", "1", kLevelError);
}

// Text of a parameter-array entry; "" for an unset or missing entry.
std::string ParaText(const VariantArray& para, long i) {
  const Variant* v = para.Find(i);
  return v ? v->Text() : std::string();
}
std::optional<std::string> ParaOptional(const VariantArray& para, long i) {
  const Variant* v = para.Find(i);
  if (!v || v->IsEmpty()) return std::nullopt;
  return v->Text();
}

// Single character at 1-based position n of the header line ("" beyond it).
std::string_view HeaderFlag(std::string_view header, size_t n) {
  return n >= 1 && n <= header.size() ? header.substr(n - 1, 1) : std::string_view();
}

// A yes/no column: true when the stored value reads as true.
bool YesNo(std::string_view v) {
  if (v == "True" || v == "true" || v == "TRUE" || v == "yes" || v == "Yes") return true;
  return IsNumericText(v) && LeadingNumber(v) != 0;
}

std::string ModeFlagOf(const StationRecord& rec, std::string_view column) {
  return StationModeFlag(static_cast<long>(LeadingInteger(rec.Get(column))));
}
std::string YesNoFlagOf(const StationRecord& rec, std::string_view column) {
  return YesNo(rec.Get(column)) ? "0" : "9";
}

}  // namespace

StationRecord::StationRecord(std::vector<std::string> columns, std::vector<std::string> values,
                             std::string source)
    : columns_(std::move(columns)), values_(std::move(values)), source_(std::move(source)) {}

bool StationRecord::Has(std::string_view column) const {
  for (const auto& c : columns_)
    if (c == column) return true;
  return false;
}

const std::string& StationRecord::Get(std::string_view column) const {
  for (size_t i = 0; i < columns_.size(); ++i)
    if (columns_[i] == column) return values_[i];
  throw Error(kErrColumnNotFound,
              "column '" + std::string(column) + "' not found in table 'tabStationParameter'" +
                  (source_.empty() ? std::string() : " of " + source_));
}

std::optional<StationRecord> FindStation(std::string_view sysPath, std::string_view station,
                                         std::vector<std::string>* problems) {
  auto db = db::Database::Open(db::SysLibPath(sysPath));
  db::Recordset rs = db->OpenTable("tabStationParameter");
  const std::string source = rs.table().path;
  if (rs.IsEmpty()) {
    if (problems)
      problems->push_back("台站参数表tabStationParameter(" + source + ")中没有记录,站号" +
                          std::string(station) + "的台站参数未能比较");
    return std::nullopt;
  }
  if (problems) {
    size_t without = 0;
    for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext())
      if (rs.Field("StationNum").empty()) ++without;
    if (without > 0)
      problems->push_back("台站参数表tabStationParameter(" + source + ")中有" +
                          std::to_string(without) + "条记录没有站号(共" +
                          std::to_string(rs.RecordCount()) + "条)");
  }
  rs.Filter("StationNum", station);
  if (rs.Eof()) {
    if (problems)
      problems->push_back("台站参数表tabStationParameter(" + source + ")中没有站号" +
                          std::string(station) + "的记录,台站参数未能比较");
    return std::nullopt;
  }
  if (problems && rs.RecordCount() > 1)
    problems->push_back("台站参数表tabStationParameter(" + source + ")中站号" +
                        std::string(station) + "有" + std::to_string(rs.RecordCount()) +
                        "条记录,只用第一条");
  const auto& cols = rs.Columns();
  std::vector<std::string> values;
  values.reserve(cols.size());
  for (size_t i = 0; i < cols.size(); ++i) values.push_back(rs.Field(static_cast<int>(i)));
  return StationRecord(cols, std::move(values), rs.table().path);
}

std::string StationModeFlag(long code) {
  if (code == 1) return "0";
  if (code == 2) return "1";
  return "9";
}

std::string CombinedFlag(std::initializer_list<std::string_view> flags) {
  bool anyZero = false;
  for (std::string_view f : flags) {
    if (f == "1") return "1";
    if (f == "0") anyZero = true;
  }
  return anyZero ? "0" : "9";
}

void CompareGeneralItems(const StationRecord& rec, const HeaderValues& h, int count,
                         AuditList& list) {
  // 1, 2: coordinates compared in their canonical form.
  if (count >= 1 && NormalizeCoordinate(rec.Get("Latitude")) != NormalizeCoordinate(h.latitude))
    AddMismatch(list, "纬度");
  if (count >= 2 && NormalizeCoordinate(rec.Get("Longitude")) != NormalizeCoordinate(h.longitude))
    AddMismatch(list, "经度");
  // 3: an elevation the table does not give never differs.
  if (count >= 3) {
    const std::string& field = rec.Get("FieldElevation");
    if (!field.empty() && field != h.fieldElevation) AddMismatch(list, "观测场高");
  }
  if (count >= 4) {
    const std::string& baro =
        rec.Get(h.pressureAutomatic ? "BaroSensorElevation" : "BaroElevation");
    if (baro != h.baroElevation) AddMismatch(list, "气压表高");
  }
  if (count >= 5 && LeadingNumber(rec.Get("WindVHeight")) != LeadingNumber(h.windHeight))
    AddMismatch(list, "风速器高");
  if (count >= 6 && LeadingNumber(rec.Get("PlatformH")) != LeadingNumber(h.platformHeight))
    AddMismatch(list, "平台高");
  // 7, 8: a header value the class code did not give is not compared.
  if (count >= 7 && h.stationClass && rec.Get("StationClass") != *h.stationClass)
    AddMismatch(list, "台站类别");
  if (count >= 8 && h.fixTimes && !(h.stationClass && *h.stationClass == kReferenceClass) &&
      rec.Get("FixTimes") != *h.fixTimes)
    AddMismatch(list, "定时次数");
  if (count >= 9) {
    std::string registered = rec.Get("DataCollection") == "人工" ? "人工" : "自动站";
    if (registered != h.collection) AddMismatch(list, "自动站型");
  }
}

void CompareAFileHeader(const StationRecord& rec, const VariantArray& para,
                        std::string_view header, AuditList& list) {
  HeaderValues h;
  h.latitude = ParaText(para, 8);
  h.longitude = ParaText(para, 9);
  h.fieldElevation = ParaText(para, 10);
  h.baroElevation = ParaText(para, 11);
  h.windHeight = ParaText(para, 12);
  h.platformHeight = ParaText(para, 14);
  h.stationClass = ParaOptional(para, 15);
  h.fixTimes = ParaOptional(para, 16);
  h.collection = ParaText(para, 17);
  h.pressureAutomatic = ParaText(para, 24) == "1";
  CompareGeneralItems(rec, h, 9, list);

  // Element mode flags: what the station table says against the header digit.
  const std::string humidity =
      CombinedFlag({ModeFlagOf(rec, "WetBulbT"), ModeFlagOf(rec, "HumidityFeel")});
  struct FlagItem {
    std::string registered;
    std::string_view headerValue;
    std::string_view item;
  };
  const std::string para24 = ParaText(para, 24), para25 = ParaText(para, 25),
                    para26 = ParaText(para, 26), para20 = ParaText(para, 20),
                    para21 = ParaText(para, 21), para22 = ParaText(para, 22),
                    para28 = ParaText(para, 28), para23 = ParaText(para, 23),
                    para30 = ParaText(para, 30), para32 = ParaText(para, 32),
                    para34 = ParaText(para, 34), para27 = ParaText(para, 27),
                    para36 = ParaText(para, 36), para42 = ParaText(para, 42),
                    para35 = ParaText(para, 35), para29 = ParaText(para, 29),
                    para49 = ParaText(para, 49);
  const FlagItem items[] = {
      {ModeFlagOf(rec, "StationPressure"), para24, "气压项"},
      {ModeFlagOf(rec, "Temperature"), para25, "气温项"},
      {humidity, HeaderFlag(header, 48), "湿球露点项"},
      {humidity, HeaderFlag(header, 49), "水汽压项"},
      {humidity, para26, "相对湿度项"},
      {ModeFlagOf(rec, "Cloud"), para20, "云量项"},
      {ModeFlagOf(rec, "CloudHeight"), para21, "云高项"},
      {ModeFlagOf(rec, "Cloud"), HeaderFlag(header, 53), "云状项"},
      {ModeFlagOf(rec, "Visibility"), para22, "能见度项"},
      {CombinedFlag({ModeFlagOf(rec, "Precipitation"), ModeFlagOf(rec, "AutoPrecip")}), para28,
       "降水量项"},
      {ModeFlagOf(rec, "WeatherPhenomena"), para23, "天气现象项"},
      {CombinedFlag({YesNoFlagOf(rec, "Evapan"), ModeFlagOf(rec, "Evapgauge")}), para30,
       "蒸发量项"},
      {YesNoFlagOf(rec, "SnowDepth"), para32, "积雪项"},
      {YesNoFlagOf(rec, "IcingLine"), para34, "电线积冰项"},
      {CombinedFlag({ModeFlagOf(rec, "Wind"), ModeFlagOf(rec, "AutoWind"),
                     ModeFlagOf(rec, "ExMaxWind")}),
       para27, "风向风速项"},
      {CombinedFlag({ModeFlagOf(rec, "SurfaceTemp"), ModeFlagOf(rec, "Temp5cm"),
                     ModeFlagOf(rec, "Temp10cm"), ModeFlagOf(rec, "Temp15cm"),
                     ModeFlagOf(rec, "Temp20cm"), ModeFlagOf(rec, "Temp40cm")}),
       para36, "浅层地温项"},
      {CombinedFlag({ModeFlagOf(rec, "Temp80cm"), ModeFlagOf(rec, "Temp160cm"),
                     ModeFlagOf(rec, "Temp320cm")}),
       para42, "深层地温项"},
      {YesNoFlagOf(rec, "FrozenSoil"), para35, "冻土项"},
      {ModeFlagOf(rec, "Sunshine"), para29, "日照项"},
      {CombinedFlag({ModeFlagOf(rec, "GrasslandTemp"), YesNoFlagOf(rec, "GroundEstate")}),
       para49, "草面温度项"},
  };
  for (const FlagItem& it : items)
    if (it.registered != it.headerValue) AddMismatch(list, it.item);
}

void CheckAFileAgainstStation(std::string_view sysPath, const VariantArray& para,
                              std::string_view headerLine, AuditList& list,
                              std::vector<std::string>* problems) {
  std::optional<StationRecord> rec = FindStation(sysPath, ParaText(para, 7), problems);
  if (!rec) return;
  CompareAFileHeader(*rec, para, headerLine, list);
}

}  // namespace kelvane
