#include "rfile/audit/driver.h"

#include <cmath>

#include "common/database.h"
#include "common/error.h"
#include "common/text.h"
#include "rfile/audit/audits.h"
#include "rfile/layout.h"

namespace kelvane::rfile {

namespace {

std::string ParaText(const VariantArray& para, long i) {
  const Variant* v = para.Find(i);
  return v ? v->Text() : std::string();
}

// The month's value of the node whose key has the number value `node`;
// nullopt when the table has no such row or the cell holds no number.
// Rows may be stored in any order.
std::optional<double> NodeValue(db::Recordset& rs, double node, int month) {
  const int key = rs.ColumnIndex("Latitude") >= 0 ? rs.ColumnIndex("Latitude") : 0;
  for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext()) {
    const std::string k = rs.Field(key);
    if (!IsNumericText(k) || LeadingNumber(k) != node) continue;
    const std::string v = rs.Field(month);
    if (!IsNumericText(v)) return std::nullopt;
    return LeadingNumber(v);
  }
  return std::nullopt;
}

// Linear interpolation between the nodes of a table with the given step.
std::string PossibleRadiation(db::Recordset rs, double phi, int step, int month) {
  const double low = step * std::floor(phi / step);
  const std::optional<double> a = NodeValue(rs, low, month);
  if (!a) return {};
  double value = *a;
  if (phi != low) {
    const std::optional<double> b = NodeValue(rs, low + step, month);
    if (!b) return {};
    value = *a + (*b - *a) / step * (phi - low);
  }
  return Num(static_cast<long>(std::round(value)));
}

}  // namespace

bool LoadRuleValues(std::string_view sysPath, std::string_view station, std::string_view month,
                    std::string_view latitude, RuleValues& rules,
                    std::vector<std::string>* problems) {
  rules.fill(std::string());
  bool found = true;
  const int m = static_cast<int>(LeadingInteger(month));
  {
    auto db = db::Database::Open(db::SysLibPath(sysPath));
    db::Recordset rs = db->OpenTable("tabRAuditingData");
    if (rs.IsEmpty() && problems)
      problems->push_back("审核规则库tabRAuditingData(" + rs.table().path + ")没有记录");
    if (!rs.IsEmpty()) {
      rs.Filter("StationNum", station);
      if (rs.Eof()) {
        rs.ClearFilter();
        rs.Filter("StationNum", "99999");
      }
      if (rs.Eof()) {
        found = false;
      } else {
        for (int c = 1; c <= 42; ++c) {
          const std::string text = rs.Field(c);
          // An empty entry is one the station does not use.
          if (problems && !text.empty() && !IsNumberList(text))
            problems->push_back("审核规则库tabRAuditingData中站号" + rs.Field("StationNum") +
                                "的第" + std::to_string(c) + "项\"" + text +
                                "\"既不是数值,也不是12个月的数值列表");
          rules[static_cast<size_t>(c)] = GetField(text, ",", m);
        }
      }
    }
  }

  // Latitude in decimal degrees, from a northern latitude text "dd.mmN".
  if (!EndsWith(latitude, 'N')) return found;
  std::string_view lat = latitude.substr(0, latitude.size() - 1);
  const std::string_view minutes = lat.size() >= 2 ? lat.substr(lat.size() - 2) : lat;
  const long hundredths = static_cast<long>(std::round(LeadingNumber(minutes) / 60 * 100));
  std::string text(lat.substr(0, std::min<size_t>(2, lat.size())));
  text += '.';
  if (hundredths < 10) text += '0';
  text += Num(hundredths);
  const double phi = LeadingNumber(text);
  if (m < 1 || m > 12) return found;

  auto db = db::Database::Open(db::RadiationConstantPath(sysPath), db::kRadiationConstantPassword);
  if (phi >= 0 && phi <= 90)
    rules[43] = PossibleRadiation(db->OpenTable("tabPossibleGlobalRadiation"), phi, 5, m);
  if (phi >= 10 && phi <= 70)
    rules[44] = PossibleRadiation(db->OpenTable("tabPossibleDirectRadiation"), phi, 10, m);
  return found;
}

bool TimeFormatBad(std::string_view t, std::string_view marker) {
  if (t == "XXXX") return false;
  if (t.size() != 4 || !MatchPattern(t, "####")) return true;
  if (marker == "-") {
    if (t == "0000") return true;
    if (t == "2400") return false;
  }
  return LeadingInteger(t.substr(0, 2)) > 23 || LeadingInteger(t.substr(2, 2)) > 59;
}

namespace {

// An element array the audit reads must cover the days and groups of the month.
void RequireShape(const StringArray& a, const char* name, int days, int groups) {
  if (a.Rank() != 2 || a.LBound(1) > 1 || a.UBound(1) < days || a.LBound(2) > 1 ||
      a.UBound(2) < groups)
    throw SubscriptError(std::string(name) + " must cover days 1 to " + Num(days) +
                         " and groups 1 to " + Num(groups));
}

double ElevationMetres(std::string text) {
  std::string scratch;
  return LeadingNumber(RemoveChars(text, "()", scratch));
}

// The leading number of each rule entry (nullopt for an empty entry).
std::array<std::optional<double>, std::tuple_size_v<RuleValues>> RuleNumbers(
    const RuleValues& rules) {
  std::array<std::optional<double>, std::tuple_size_v<RuleValues>> out{};
  for (size_t k = 0; k < rules.size(); ++k)
    if (!rules[k].empty()) out[k] = LeadingNumber(rules[k]);
  return out;
}

}  // namespace

void RunRFileAuditing(const RAuditInputs& in, SunTimesTable& sunTimes, AuditList& list,
                      const WarningCallback& warn) {
  const VariantArray& para = in.RFilePara;
  if (para.Rank() != 1 || para.LBound(1) > 1 || para.UBound(1) < 12)
    throw SubscriptError("RFilePara must cover indices 1 to 12");
  RuleValues rules;
  std::vector<std::string> problems;
  const bool found = LoadRuleValues(in.sysPath, ParaText(para, 7), ParaText(para, 3),
                                    ParaText(para, 8), rules, &problems);
  // Problems of the reference data are said once each; a callback that
  // throws loses only its warnings.
  if (warn)
    for (const std::string& p : problems) try {
        warn(p, "警告");
      } catch (...) {
      }
  if (!found) {
    if (warn) warn("没有适合该站的审核规则库!", "警告");
    list.Add("无适合本站的审核规则库,不能进行数据审核", "全月", "", "", "", "1", "");
    return;
  }
  const int days = static_cast<int>(LeadingInteger(ParaText(para, 4)));
  if (days < 1 || days > 31) throw SubscriptError("RFilePara 4 must be a day count of 1 to 31");
  const bool sunBuilt = BuildSunTimes(ParaText(para, 2), ParaText(para, 3), days,
                                      ParaText(para, 8), ParaText(para, 9), sunTimes);
  const int cls = static_cast<int>(LeadingInteger(ParaText(para, 11)));
  const RFileArrays& arr = in.arrays;
  RequireShape(arr.strRFileG, "strRFileG", days, 28);
  if (cls < 3) RequireShape(arr.strRFileN, "strRFileN", days, 29);
  if (cls == 1) {
    RequireShape(arr.strRFileD, "strRFileD", days, 27);
    RequireShape(arr.strRFileS, "strRFileS", days, 28);
    RequireShape(arr.strRFileR, "strRFileR", days, 28);
  }
  const RAudit a{.para = para,
                 .rules = rules,
                 .sun = sunTimes,
                 .sunBuilt = sunBuilt,
                 .list = list,
                 .days = days,
                 .month = static_cast<int>(LeadingInteger(ParaText(para, 3))),
                 .elevationMetres = ElevationMetres(ParaText(para, 10)),
                 .ruleNumbers = RuleNumbers(rules)};
  AuditGlobal(a, arr.strRFileG);
  if (cls < 3) AuditNet(a, arr.strRFileG, arr.strRFileN);
  if (cls == 1) {
    AuditDiffuse(a, arr.strRFileG, arr.strRFileS, arr.strRFileD);
    AuditDirect(a, arr.strRFileG, arr.strRFileD, arr.strRFileS);
    AuditReflected(a, arr.strRFileG, arr.strRFileR);
  }
}

}  // namespace kelvane::rfile
