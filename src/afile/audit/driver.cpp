#include "afile/audit/driver.h"

#include <filesystem>

#include "afile/audit/audits.h"
#include "afile/audit/jfile.h"
#include "afile/audit/predicates.h"
#include "afile/audit/toolkit.h"
#include "common/error.h"
#include "common/text.h"

namespace kelvane::afile::audit {

namespace {

[[noreturn]] void ThrowShape(std::string_view name, std::string_view expected) {
  throw Error(kErrSubscript, "AFileAuditing: " + std::string(name) + " must be " +
                                 std::string(expected));
}

void RequireVector(const auto& a, long last, std::string_view name) {
  if (!a.IsAllocated() || a.Rank() != 1 || a.LBound(1) > 1 || a.UBound(1) < last)
    ThrowShape(name, "a one-dimensional array covering indices 1.." + std::to_string(last));
}

// An element array: absent (unallocated), or (day, column) with both
// indices reaching down to 1.
void RequireElementArray(const StringArray& a, std::string_view name) {
  if (!a.IsAllocated()) return;
  if (a.Rank() != 2 || a.LBound(1) > 1 || a.LBound(2) > 1)
    ThrowShape(name, "a two-dimensional array (day, column) indexed from 1");
}

void ValidateInputs(const AuditInputs& in) {
  RequireVector(in.AFilePara, 52, "AFilePara");
  RequireVector(in.AFileClass, 20, "AFileClass");
  if (in.arrays.SysLib.IsAllocated() && in.arrays.SysLib.Rank() != 1)
    ThrowShape("SysLib", "a one-dimensional array");
  for (const auto& e : kAFileArrayTable<>)
    if (e.columns != AFileColumns::List) RequireElementArray(in.arrays.*e.member, e.name);
  RequireResultListShape(in.AFileAuditingList, "AFileAuditingList");
}

// The element arrays, each parsed once for all audits that read it.
using ElementGrids = AFileArraysOf<Grid>;

void ParseGrids(const AFileArrays& arrays, ElementGrids& grids) {
  for (size_t i = 0; i < kAFileArrayCount; ++i) {
    const auto& e = kAFileArrayTable<>[i];
    if (e.columns != AFileColumns::List)
      grids.*kAFileArrayTable<Grid>[i].member = Grid(arrays.*e.member);
  }
}

void RunStep(AuditStep step, AuditContext& cx, const ElementGrids& g) {
  const JFileData& j = cx.jfile();
  switch (step) {
    case AuditStep::StationPressure: return AuditHourlyElement(cx, g.strP, "本站气压", 0);
    case AuditStep::StationPressureVsJFile: return CompareWithJFile(cx, g.strP, j.pressure, "本站气压");
    case AuditStep::AirTemperature: return AuditHourlyElement(cx, g.strT, "气温", 6);
    case AuditStep::AirTemperatureVsJFile: return CompareWithJFile(cx, g.strT, j.temperature, "气温");
    case AuditStep::MinTempAgainstGround: return AuditMinTempAgainstGround(cx, g.strT, g.strD0, g.strw);
    case AuditStep::Psychrometry:
      return AuditPsychrometry(cx, g.strP, g.strT, g.strI, g.strE, g.strU, g.strTD, g.strw);
    case AuditStep::VapourPressure: return AuditAgainstAirTemperature(cx, g.strE, g.strT, "水汽压", 15);
    case AuditStep::RelativeHumidity: return AuditRelativeHumidity(cx, g.strU, j.humidity, j.ok);
    case AuditStep::DewPoint: return AuditAgainstAirTemperature(cx, g.strTD, g.strT, "露点温度", 16);
    case AuditStep::Clouds: return AuditClouds(cx, g.strNN, g.strNL, g.strCC, g.strV, g.strw, g.strZJSS);
    case AuditStep::CloudHeight: return AuditCloudHeight(cx, g.strH);
    case AuditStep::Visibility: return AuditVisibility(cx, g.strV, g.strw);
    case AuditStep::FixedPrecipitation: return AuditFixedPrecipitation(cx, g.strR);
    case AuditStep::HourlyPrecipitation: return AuditHourlyPrecipitation(cx, g.strZJRR, g.strR);
    case AuditStep::WeatherPhenomena:
      return AuditWeatherPhenomena(cx, g.strw, g.strT, g.strU, g.strNN, g.strCC, g.strV, g.strR, g.strFDFF, g.strD0, g.strDYF,
                                   g.strZJRR, cx.MountainStation());
    case AuditStep::Evaporation:
      return AuditEvaporation(cx, g.strT, g.strE, g.strw, g.strFDFF, g.strZJFDFF, g.strD0, g.strLE, g.strLL);
    case AuditStep::Snow: return AuditSnow(cx, g.strw, g.strZ);
    case AuditStep::WireIcing: return AuditWireIcing(cx, cx.Para(2), g.strw, g.strG);
    case AuditStep::FixedHourWind: return AuditFixedHourWind(cx, g.strFDFF, g.strZJFDFF);
    case AuditStep::TenMinuteWind: return AuditTenMinuteWind(cx, g.strZJFDFF, g.strDYF);
    case AuditStep::DailyMaxWind: return AuditDailyMaxWind(cx, g.strDYF, g.strZJFDFF);
    case AuditStep::GroundSurfaceTemperature: return AuditHourlyElement(cx, g.strD0, "地面温度", 17);
    case AuditStep::GroundTemperature5cm:
      return AuditShallowGroundTemperature(cx, g.strD5, "5cm地温", 27);
    case AuditStep::GroundTemperature10cm:
      return AuditShallowGroundTemperature(cx, g.strD10, "10cm地温", 33);
    case AuditStep::GroundTemperature15cm:
      return AuditShallowGroundTemperature(cx, g.strD15, "15cm地温", 39);
    case AuditStep::GroundTemperature20cm:
      return AuditShallowGroundTemperature(cx, g.strD20, "20cm地温", 45);
    case AuditStep::GroundTemperature40cm:
      return AuditShallowGroundTemperature(cx, g.strD40, "40cm地温", 48);
    case AuditStep::GroundTemperatureProfile:
      return AuditGroundTemperatureProfile(cx, g.strNN, g.strw, g.strD0, g.strD5, g.strD10, g.strD15, g.strD20, g.strD40,
                                           g.strZJSS);
    case AuditStep::GroundTemperature80cm: return AuditDeepGroundTemperature(cx, g.strK8, "80cm地温");
    case AuditStep::GroundTemperature160cm:
      return AuditDeepGroundTemperature(cx, g.strK16, "160cm地温");
    case AuditStep::GroundTemperature320cm:
      return AuditDeepGroundTemperature(cx, g.strK32, "320cm地温");
    case AuditStep::FrozenSoil:
      return AuditFrozenSoil(cx, g.strAA, g.strD0, g.strD5, g.strD10, g.strD15, g.strD20, g.strD40, g.strK8);
    case AuditStep::Sunshine: return AuditSunshine(cx, g.strZJSS);
    case AuditStep::SeaLevelPressure: return AuditSeaLevelPressure(cx, g.strP0, g.strP, g.strT);
    case AuditStep::GrassTemperature: return AuditHourlyElement(cx, g.strGLT, "草面温度", 105);
    case AuditStep::GroundState: return AuditGroundState(cx, g.strGE);
  }
}

}  // namespace

std::string_view StepName(AuditStep step) {
  static constexpr std::string_view kNames[] = {
      "StationPressure", "StationPressureVsJFile", "AirTemperature", "AirTemperatureVsJFile",
      "MinTempAgainstGround", "Psychrometry", "VapourPressure", "RelativeHumidity", "DewPoint",
      "Clouds", "CloudHeight", "Visibility", "FixedPrecipitation", "HourlyPrecipitation",
      "WeatherPhenomena", "Evaporation", "Snow", "WireIcing", "FixedHourWind", "TenMinuteWind",
      "DailyMaxWind", "GroundSurfaceTemperature", "GroundTemperature5cm",
      "GroundTemperature10cm", "GroundTemperature15cm", "GroundTemperature20cm",
      "GroundTemperature40cm", "GroundTemperatureProfile", "GroundTemperature80cm",
      "GroundTemperature160cm", "GroundTemperature320cm", "FrozenSoil", "Sunshine",
      "SeaLevelPressure", "GrassTemperature", "GroundState"};
  const auto i = static_cast<size_t>(step);
  return i < std::size(kNames) ? kNames[i] : std::string_view("?");
}

std::vector<AuditStep> PlanAudits(const GateFacts& f) {
  auto code = [&](int k) { return f.modeCodes[static_cast<size_t>(k)]; };
  auto present = [&](int k) { return code(k).empty() || code(k).back() != '='; };
  using S = AuditStep;
  std::vector<AuditStep> plan;
  plan.reserve(40);

  if (present(1)) {
    plan.push_back(S::StationPressure);
    if (f.jfileOk) plan.push_back(S::StationPressureVsJFile);
  }
  if (present(2)) {
    plan.push_back(S::AirTemperature);
    if (f.jfileOk) plan.push_back(S::AirTemperatureVsJFile);
  }
  if (present(2) && present(16)) plan.push_back(S::MinTempAgainstGround);
  plan.insert(plan.end(), {S::Psychrometry, S::VapourPressure, S::RelativeHumidity, S::DewPoint});
  if (present(8)) plan.push_back(S::Clouds);
  if (present(7)) plan.push_back(S::CloudHeight);
  if (present(9) && code(9) != "7" && code(9) != "8") plan.push_back(S::Visibility);
  plan.push_back(S::FixedPrecipitation);
  if (!f.hourlyPrecipitationMissing) plan.push_back(S::HourlyPrecipitation);
  if (code(11) != "=") plan.push_back(S::WeatherPhenomena);
  plan.push_back(S::Evaporation);
  // Snow as the other elements: a block "0=" holds no data to audit.
  if (present(13)) plan.push_back(S::Snow);
  if (code(14) != "=") plan.push_back(S::WireIcing);
  if (present(15)) {
    plan.push_back(S::FixedHourWind);
    if (f.tenMinuteWindFlag != "9") plan.push_back(S::TenMinuteWind);
    // The daily maximum and extreme wind is audited whenever the wind
    // element is present: the header check writes "9" into AFilePara 47 for
    // every file, so a gate on that item would never open.
    plan.push_back(S::DailyMaxWind);
  }
  if (present(16) && code(16) != "1") {
    plan.insert(plan.end(),
                {S::GroundSurfaceTemperature, S::GroundTemperature5cm, S::GroundTemperature10cm,
                 S::GroundTemperature15cm, S::GroundTemperature20cm, S::GroundTemperature40cm,
                 S::GroundTemperatureProfile});
  }
  if (present(17) && code(17) != "1") {
    plan.insert(plan.end(),
                {S::GroundTemperature80cm, S::GroundTemperature160cm, S::GroundTemperature320cm});
  }
  if (present(18)) plan.push_back(S::FrozenSoil);
  if (present(19)) plan.push_back(S::Sunshine);
  plan.push_back(S::SeaLevelPressure);
  if (present(20)) plan.insert(plan.end(), {S::GrassTemperature, S::GroundState});
  return plan;
}

void RunAFileAuditing(const AuditInputs& in, AuditRules& rules, AuditList& list,
                      const WarningCallback& warn) {
  ValidateInputs(in);
  struct EraseRules {
    AuditRules& rules;
    ~EraseRules() { rules.Erase(); }
  } eraseOnExit{rules};

  const std::string path = in.AFilePara(1).Text();
  // Faults of the stored rules are told to the host, one warning each; the
  // audit goes on with the rules as stored.
  std::vector<std::string> problems;
  const bool found =
      LoadAuditRules(in.sysPath, in.AFilePara(7).Text(), in.AFilePara(3).Text(), rules, &problems);
  if (warn)
    for (const std::string& p : problems) warn(p, std::string(kWarningCaption));
  if (!found) {
    if (warn) warn(std::string(kNoRulesWarning), std::string(kWarningCaption));
    list.Add(kNoRulesNotice, "全月", "", "", "", "1", "");
    return;
  }

  const bool mountain = IsMountainStation(in.AFilePara, in.arrays.VFileFM);

  JFileData jfile;
  const std::string jpath = JFilePath(path);
  std::error_code ec;
  if (std::filesystem::exists(jpath, ec)) {
    const int64_t days = LeadingInteger(in.AFilePara(4).Text());
    ReadJFile(jpath, static_cast<int>(days < 0 || days > 31 ? 0 : days), jfile);
  }

  AuditContext cx(in.AFilePara, in.AFileClass, rules, in.arrays.SysLib, in.arrays.strManualWindV,
                  jfile, mountain, list);
  ElementGrids grids;
  ParseGrids(in.arrays, grids);

  GateFacts facts;
  for (int k = 1; k <= 20; ++k) facts.modeCodes[static_cast<size_t>(k)] = cx.ModeCode(k);
  facts.tenMinuteWindFlag = cx.Para(46);
  facts.jfileOk = jfile.ok;
  facts.hourlyPrecipitationMissing = IsAllMissing(in.arrays.strZJRR);

  for (AuditStep step : PlanAudits(facts)) RunStep(step, cx, grids);
}

}  // namespace kelvane::afile::audit
