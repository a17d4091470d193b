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
  if (in.SysLib.IsAllocated() && in.SysLib.Rank() != 1)
    ThrowShape("SysLib", "a one-dimensional array");
  const std::pair<const StringArray*, std::string_view> elements[] = {
      {&in.strP, "strP"},       {&in.strT, "strT"},         {&in.strI, "strI"},
      {&in.strE, "strE"},       {&in.strU, "strU"},         {&in.strTD, "strTD"},
      {&in.strNN, "strNN"},     {&in.strNL, "strNL"},       {&in.strCC, "strCC"},
      {&in.strH, "strH"},       {&in.strV, "strV"},         {&in.strR, "strR"},
      {&in.strw, "strw"},       {&in.strFDFF, "strFDFF"},   {&in.strD0, "strD0"},
      {&in.strGLT, "strGLT"},   {&in.strGE, "strGE"},       {&in.strD5, "strD5"},
      {&in.strD10, "strD10"},   {&in.strD15, "strD15"},     {&in.strD20, "strD20"},
      {&in.strD40, "strD40"},   {&in.strK8, "strK8"},       {&in.strK16, "strK16"},
      {&in.strK32, "strK32"},   {&in.strLE, "strLE"},       {&in.strLL, "strLL"},
      {&in.strP0, "strP0"},     {&in.strZ, "strZ"},         {&in.strDYF, "strDYF"},
      {&in.strAA, "strAA"},     {&in.strG, "strG"},         {&in.strZJRR, "strZJRR"},
      {&in.strZJFDFF, "strZJFDFF"}, {&in.strZJSS, "strZJSS"}};
  for (const auto& [array, name] : elements) RequireElementArray(*array, name);
  RequireResultListShape(in.AFileAuditingList, "AFileAuditingList");
}

// The element arrays, each parsed once for all audits that read it.
struct ElementGrids {
  explicit ElementGrids(const AuditInputs& in)
      : P(in.strP), T(in.strT), I(in.strI), E(in.strE), U(in.strU), TD(in.strTD),
        NN(in.strNN), NL(in.strNL), CC(in.strCC), H(in.strH), V(in.strV), R(in.strR),
        w(in.strw), FDFF(in.strFDFF), D0(in.strD0), GLT(in.strGLT), GE(in.strGE),
        D5(in.strD5), D10(in.strD10), D15(in.strD15), D20(in.strD20), D40(in.strD40),
        K8(in.strK8), K16(in.strK16), K32(in.strK32), LE(in.strLE), LL(in.strLL),
        P0(in.strP0), Z(in.strZ), DYF(in.strDYF), AA(in.strAA), G(in.strG),
        ZJRR(in.strZJRR), ZJFDFF(in.strZJFDFF), ZJSS(in.strZJSS) {}
  Grid P, T, I, E, U, TD, NN, NL, CC, H, V, R, w, FDFF, D0, GLT, GE, D5, D10, D15, D20, D40,
      K8, K16, K32, LE, LL, P0, Z, DYF, AA, G, ZJRR, ZJFDFF, ZJSS;
};

void RunStep(AuditStep step, AuditContext& cx, const ElementGrids& g) {
  const JFileData& j = cx.jfile();
  switch (step) {
    case AuditStep::StationPressure: return AuditHourlyElement(cx, g.P, "本站气压", 0);
    case AuditStep::StationPressureVsJFile: return CompareWithJFile(cx, g.P, j.pressure, "本站气压");
    case AuditStep::AirTemperature: return AuditHourlyElement(cx, g.T, "气温", 6);
    case AuditStep::AirTemperatureVsJFile: return CompareWithJFile(cx, g.T, j.temperature, "气温");
    case AuditStep::MinTempAgainstGround: return AuditMinTempAgainstGround(cx, g.T, g.D0, g.w);
    case AuditStep::Psychrometry:
      return AuditPsychrometry(cx, g.P, g.T, g.I, g.E, g.U, g.TD, g.w);
    case AuditStep::VapourPressure: return AuditAgainstAirTemperature(cx, g.E, g.T, "水汽压", 15);
    case AuditStep::RelativeHumidity: return AuditRelativeHumidity(cx, g.U, j.humidity, j.ok);
    case AuditStep::DewPoint: return AuditAgainstAirTemperature(cx, g.TD, g.T, "露点温度", 16);
    case AuditStep::Clouds: return AuditClouds(cx, g.NN, g.NL, g.CC, g.V, g.w, g.ZJSS);
    case AuditStep::CloudHeight: return AuditCloudHeight(cx, g.H);
    case AuditStep::Visibility: return AuditVisibility(cx, g.V, g.w);
    case AuditStep::FixedPrecipitation: return AuditFixedPrecipitation(cx, g.R);
    case AuditStep::HourlyPrecipitation: return AuditHourlyPrecipitation(cx, g.ZJRR, g.R);
    case AuditStep::WeatherPhenomena:
      return AuditWeatherPhenomena(cx, g.w, g.T, g.U, g.NN, g.CC, g.V, g.R, g.FDFF, g.D0, g.DYF,
                                   g.ZJRR, cx.MountainStation());
    case AuditStep::Evaporation:
      return AuditEvaporation(cx, g.T, g.E, g.w, g.FDFF, g.ZJFDFF, g.D0, g.LE, g.LL);
    case AuditStep::Snow: return AuditSnow(cx, g.w, g.Z);
    case AuditStep::WireIcing: return AuditWireIcing(cx, cx.Para(2), g.w, g.G);
    case AuditStep::FixedHourWind: return AuditFixedHourWind(cx, g.FDFF, g.ZJFDFF);
    case AuditStep::TenMinuteWind: return AuditTenMinuteWind(cx, g.ZJFDFF, g.DYF);
    case AuditStep::DailyMaxWind: return AuditDailyMaxWind(cx, g.DYF, g.ZJFDFF);
    case AuditStep::GroundSurfaceTemperature: return AuditHourlyElement(cx, g.D0, "地面温度", 17);
    case AuditStep::GroundTemperature5cm:
      return AuditShallowGroundTemperature(cx, g.D5, "5cm地温", 27);
    case AuditStep::GroundTemperature10cm:
      return AuditShallowGroundTemperature(cx, g.D10, "10cm地温", 33);
    case AuditStep::GroundTemperature15cm:
      return AuditShallowGroundTemperature(cx, g.D15, "15cm地温", 39);
    case AuditStep::GroundTemperature20cm:
      return AuditShallowGroundTemperature(cx, g.D20, "20cm地温", 45);
    case AuditStep::GroundTemperature40cm:
      return AuditShallowGroundTemperature(cx, g.D40, "40cm地温", 48);
    case AuditStep::GroundTemperatureProfile:
      return AuditGroundTemperatureProfile(cx, g.NN, g.w, g.D0, g.D5, g.D10, g.D15, g.D20, g.D40,
                                           g.ZJSS);
    case AuditStep::GroundTemperature80cm: return AuditDeepGroundTemperature(cx, g.K8, "80cm地温");
    case AuditStep::GroundTemperature160cm:
      return AuditDeepGroundTemperature(cx, g.K16, "160cm地温");
    case AuditStep::GroundTemperature320cm:
      return AuditDeepGroundTemperature(cx, g.K32, "320cm地温");
    case AuditStep::FrozenSoil:
      return AuditFrozenSoil(cx, g.AA, g.D0, g.D5, g.D10, g.D15, g.D20, g.D40, g.K8);
    case AuditStep::Sunshine: return AuditSunshine(cx, g.ZJSS);
    case AuditStep::SeaLevelPressure: return AuditSeaLevelPressure(cx, g.P0, g.P, g.T);
    case AuditStep::GrassTemperature: return AuditHourlyElement(cx, g.GLT, "草面温度", 105);
    case AuditStep::GroundState: return AuditGroundState(cx, g.GE);
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
  if (code(13) != "=") plan.push_back(S::Snow);
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
  if (!LoadAuditRules(in.sysPath, in.AFilePara(7).Text(), in.AFilePara(3).Text(), rules)) {
    if (warn) warn(std::string(kNoRulesWarning), std::string(kWarningCaption));
    list.Add(kNoRulesNotice, "全月", "", "", "", "1", "");
    return;
  }

  const bool mountain = IsMountainStation(in.AFilePara, in.VFileFM);

  JFileData jfile;
  const std::string jpath = JFilePath(path);
  std::error_code ec;
  if (std::filesystem::exists(jpath, ec)) {
    const int64_t days = LeadingInteger(in.AFilePara(4).Text());
    ReadJFile(jpath, static_cast<int>(days < 0 || days > 31 ? 0 : days), jfile);
  }

  AuditContext cx(in.AFilePara, in.AFileClass, rules, in.SysLib, in.strManualWindV, jfile,
                  mountain, list);
  const ElementGrids grids(in);

  GateFacts facts;
  for (int k = 1; k <= 20; ++k) facts.modeCodes[static_cast<size_t>(k)] = cx.ModeCode(k);
  facts.tenMinuteWindFlag = cx.Para(46);
  facts.jfileOk = jfile.ok;
  facts.hourlyPrecipitationMissing = IsAllMissing(in.strZJRR);

  for (AuditStep step : PlanAudits(facts)) RunStep(step, cx, grids);
}

}  // namespace kelvane::afile::audit
