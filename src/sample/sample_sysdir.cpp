#include "sample/sample_sysdir.h"

#include <sqlite3.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <numbers>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "common/error.h"
#include "sample/sample_stations.h"
#include "kelvane/status.h"

namespace kelvane::sample {

namespace {

namespace fs = std::filesystem;

// ---------------------------------------------------------------------------
// Default A-file rule set ("99999"), for stations of the North China plain
// and the basins west of it (about 37..40°N, up to 800 m). Values are in the
// units of the A file: 0.1 hPa, 0.1 °C, %, 0.1 mm, cm, 0.1 m/s. A list of
// twelve items is read by month. Extremes are set a little beyond the
// records of the region so that ordinary weather never reaches them; the
// station pressure range covers both the plain (30..60 m) and the 778 m
// station. Entries no audit reads are left out (null).
struct Rule {
  int entry;
  const char* value;
};

constexpr Rule kAuditRules[] = {
    // Station pressure: upper, lower extreme; daily maximum above the
    // highest fixed hour, below the previous 20 h; daily minimum below the
    // lowest fixed hour, above the previous 20 h.
    {1, "10600,10590,10560,10500,10440,10400,10380,10400,10450,10520,10570,10600"},
    {2, "8950,8950,8900,8850,8850,8800,8800,8850,8900,8950,8950,8950"},
    {3, "50"},
    {4, "50"},
    {5, "50"},
    {6, "50"},
    // Air temperature, same six meanings.
    {7, "200,250,320,370,410,430,430,410,380,320,260,200"},
    {8, "-320,-300,-230,-130,-50,20,80,50,-40,-130,-230,-300"},
    {9, "60"},
    {10, "100"},
    {11, "60"},
    {12, "100"},
    // Wet-bulb lower extreme; daily minimum humidity above the previous
    // 20 h value; vapour pressure upper; dew point upper and lower.
    {13, "-340,-320,-250,-150,-70,0,60,30,-60,-150,-250,-320"},
    {14, "20"},
    {15, "100,120,170,230,300,380,420,420,350,250,170,120"},
    {16, "80,100,150,200,250,290,310,310,270,210,150,100"},
    {17, "-450,-450,-400,-350,-300,-200,-100,-120,-250,-350,-400,-450"},
    // Ground-surface temperature, the six meanings of pressure.
    {18, "350,450,550,650,720,750,750,720,650,550,420,320"},
    {19, "-400,-380,-300,-200,-80,0,50,20,-80,-200,-300,-380"},
    {20, "200"},
    {21, "200"},
    {22, "200"},
    {23, "200"},
    // Daily minimum air temperature below / above the ground-surface minimum.
    {24, "100"},
    {25, "150"},
    // Shallow ground temperatures: upper, lower extreme, then the
    // day-to-day change limits (5, 10, 15 cm: for 02, 08, 14, 20 h; 20 and
    // 40 cm: one limit).
    {27, "200,300,400,480,550,600,600,570,500,400,280,200"},
    {28, "-250,-230,-150,-50,20,80,130,100,20,-60,-150,-230"},
    {29, "80"},
    {30, "100"},
    {31, "150"},
    {32, "120"},
    {33, "150,250,340,420,480,520,520,500,440,350,240,160"},
    {34, "-200,-190,-120,-30,40,100,150,120,40,-40,-120,-190"},
    {35, "70"},
    {36, "80"},
    {37, "120"},
    {38, "100"},
    {39, "120,200,290,370,430,470,480,460,400,320,210,140"},
    {40, "-190,-180,-120,-30,40,90,140,120,40,-40,-120,-180"},
    {41, "60"},
    {42, "70"},
    {43, "100"},
    {44, "80"},
    {45, "100,170,250,330,400,440,450,430,380,300,190,120"},
    {46, "-180,-170,-110,-30,40,90,140,120,40,-40,-110,-170"},
    {47, "80"},
    {48, "80,120,200,280,340,380,400,390,350,280,180,110"},
    {49, "-140,-140,-90,-20,40,90,140,130,60,-20,-80,-130"},
    {50, "50"},
    // Deep ground temperatures (80, 160, 320 cm): upper, lower extreme,
    // day-to-day change limits of each depth.
    {52, "180,160,170,210,250,290,320,320,300,270,240,210"},
    {53, "-60,-80,-60,-10,30,60,90,100,80,40,0,-30"},
    {54, "30"},
    {55, "20"},
    {56, "10"},
    // Daily evaporation (small pan), frozen soil depth.
    {57, "60,90,150,220,280,300,250,220,180,140,90,60"},
    {58, "150,150,150,120,50,10,10,10,20,50,100,150"},
    // Snow depth, snow pressure; snow cover with the ground-surface / air
    // minimum above these.
    {60, "50,50,40,20,10,5,5,5,10,20,40,50"},
    {61, "100"},
    {62, "50"},
    {63, "50"},
    // Precipitation: one hour, one fixed-time half day, hourly sums against
    // the fixed-time amount.
    {64, "1000"},
    {65, "2500"},
    {66, "20"},
    // Wire icing: diameter and thickness (mm), weight (g/m).
    {67, "90"},
    {68, "2000"},
    // Wind: maximum, extreme, fixed-hour speed.
    {69, "300"},
    {70, "450"},
    {71, "250"},
    // Weather phenomena against other elements.
    {72, "100"},  // gale with a maximum wind below
    {73, "170"},  // maximum wind above this without gale
    {74, "30"},   // gale with a fixed-hour wind below
    {75, "50"},   // precipitation with humidity below
    {76, "80"},   // fog with humidity below
    {77, "100"},  // fog with a fixed-hour wind above
    {79, "30"},   // blowing snow with humidity below
    {80, "40"},   // blowing snow with a fixed-hour wind below
    {81, "60"},   // blowing snow with a maximum wind below
    {82, "50"},   // snowstorm with humidity below
    {83, "60"},   // snowstorm with a fixed-hour wind below
    {84, "80"},   // snowstorm with a maximum wind below
    {85, "50"},   // sandstorm with a fixed-hour wind below
    {86, "80"},   // sandstorm with a maximum wind below
    {87, "10"},   // sandstorm with humidity below
    {88, "80"},   // squall with a maximum wind below
    {89, "50"},   // blowing sand with a maximum wind below
    {90, "20"},   // glaze with the air minimum above
    {91, "9"},    // total cloud above this with phenomenon 14
    {92, "-200"}, // air minimum below this without ice
    {93, "-250"}, // ground-surface minimum below this without ice
    {94, "50"},   // ice with the air minimum above
    {95, "80"},   // ice with the ground-surface minimum above
    {96, "-250"}, // ground-surface minimum below this, fair night, without frost
    // Grass (snow) surface temperature, the six meanings of pressure.
    {106, "300,380,480,580,650,700,700,680,600,500,380,300"},
    {107, "-400,-380,-320,-220,-100,-20,30,0,-100,-220,-320,-380"},
    {108, "200"},
    {109, "200"},
    {110, "200"},
    {111, "200"},
};

// ---------------------------------------------------------------------------
// Default radiation rule set, columns RValue01..42, every column a twelve-
// month list (the loader takes the month's item of each column). Daily and
// hourly totals in 0.01 MJ/m², irradiances in W/m², albedo in percent;
// chosen for 39..40°N from the extraterrestrial radiation of those
// latitudes (global monthly mean about 0.7 H0, daily total 0.8 H0).
constexpr Rule kRadiationRules[] = {
    // Global: monthly mean of daily totals upper, lower; daily total upper;
    // daily maximum irradiance upper; hourly total upper.
    {1, "1060,1430,1920,2420,2780,2930,2850,2560,2100,1580,1150,970"},
    {2, "380,510,690,870,990,1050,1020,910,750,560,410,350"},
    {3, "1220,1640,2190,2770,3180,3340,3260,2920,2400,1800,1310,1100"},
    {4, "700,850,1000,1150,1250,1300,1280,1200,1070,900,750,650"},
    {6, "200,250,310,360,390,400,400,380,330,270,210,190"},
    // Net: daily total upper, lower; daily maximum upper and lower (also the
    // monthly mean limits); daily minimum upper, lower; hourly upper, lower.
    {9, "500,700,1100,1500,1800,1900,1900,1700,1300,900,600,450"},
    {10, "-500,-500,-450,-400,-300,-200,-200,-250,-300,-400,-450,-500"},
    {11, "600,700,850,950,1000,1050,1050,1000,900,750,600,550"},
    {12, "-150,-100,-50,0,0,0,0,0,0,-50,-100,-150"},
    {13, "0,0,0,0,0,0,0,0,0,0,0,0"},
    {14, "-200,-200,-200,-200,-200,-200,-200,-200,-200,-200,-200,-200"},
    {15, "150,180,220,260,280,290,290,270,240,200,160,140"},
    {16, "-60,-60,-60,-60,-60,-60,-60,-60,-60,-60,-60,-60"},
    // Diffuse: monthly mean upper, lower; daily total upper; hourly upper;
    // daily maximum upper, lower.
    {17, "700,900,1200,1400,1600,1700,1700,1500,1200,950,750,650"},
    {18, "130,180,250,300,350,350,350,300,250,200,150,120"},
    {19, "900,1200,1600,1900,2100,2200,2200,2000,1700,1300,1000,850"},
    {20, "150,180,220,250,270,280,280,260,230,190,160,140"},
    {21, "450,500,600,650,700,700,700,680,620,550,480,430"},
    {22, "50,50,60,80,100,100,100,100,80,60,50,50"},
    // Direct (normal to the beam): monthly mean upper, lower; daily total
    // upper; daily maximum upper; hourly upper.
    {23, "1840,2220,2650,3050,3340,3470,3390,3150,2780,2340,1930,1720"},
    {24, "200,200,200,200,200,200,200,200,200,200,200,200"},
    {25, "2050,2500,2950,3400,3700,3850,3800,3500,3100,2600,2150,1900"},
    {26, "1050,1050,1050,1050,1050,1050,1050,1050,1050,1050,1050,1050"},
    {28, "380,380,380,380,380,380,380,380,380,380,380,380"},
    // Reflected: daily total upper; monthly mean upper, lower; daily total
    // lower (its presence switches the daily upper limit on); hourly upper;
    // daily maximum upper; daily albedo upper, lower. The winter values
    // allow for snow cover.
    {31, "900,1000,900,800,800,800,750,700,600,500,700,850"},
    {33, "600,650,600,550,550,550,500,500,450,400,500,550"},
    {34, "50,50,50,50,50,50,50,50,50,50,50,50"},
    {35, "20,20,20,20,20,20,20,20,20,20,20,20"},
    {36, "180,200,180,150,150,150,140,130,120,110,150,170"},
    {37, "500,550,500,400,350,350,330,320,300,300,420,480"},
    {41, "90,90,85,40,35,35,35,35,35,40,85,90"},
    {42, "8,8,8,8,8,8,8,8,8,8,8,8"},
};

template <size_t N>
std::string LookUp(const Rule (&rules)[N], int index) {
  for (const Rule& r : rules)
    if (r.entry == index) return r.value;
  return {};
}

// ---------------------------------------------------------------------------
// Solar geometry for the reference tables.
//
// Each month is represented by its mean day (day of year 17, 47, 75, 105,
// 135, 162, 198, 228, 258, 288, 318, 344): the day whose extraterrestrial
// radiation equals the monthly mean. For day n:
//   declination  δ  = 23.45° · sin(360° · (284 + n) / 365)
//   eccentricity E0 = 1 + 0.033 · cos(360° · n / 365)
//   sunset hour angle ωs = arccos(−tan φ · tan δ), 0 in polar night, π in
//   polar day
//   H0 = (24 · 3600 / π) · Gsc · E0 · (cos φ cos δ sin ωs + ωs sin φ sin δ)
// with the solar constant Gsc = 1367 W/m²; H0 in J/m² per day.
constexpr int kMeanDay[12] = {17, 47, 75, 105, 135, 162, 198, 228, 258, 288, 318, 344};
constexpr double kSolarConstant = 1367.0;  // W/m²
constexpr double kPi = std::numbers::pi;

double Radians(double degrees) { return degrees * kPi / 180.0; }

struct SunOfDay {
  double declination;   // radians
  double eccentricity;  // E0
};

SunOfDay MeanDaySun(int month) {
  const int n = kMeanDay[month - 1];
  return {Radians(23.45 * std::sin(Radians(360.0 * (284 + n) / 365.0))),
          1.0 + 0.033 * std::cos(Radians(360.0 * n / 365.0))};
}

double SunsetHourAngle(double phi, double delta) {
  const double x = -std::tan(phi) * std::tan(delta);
  if (x <= -1.0) return kPi;
  if (x >= 1.0) return 0.0;
  return std::acos(x);
}

// Possible direct radiation on a surface normal to the beam: the clear-sky
// beam irradiance Gsc · E0 · 0.7^(m^0.678) (transmittance 0.7 of a clear
// sky per unit air mass, m the relative air mass at elevation h from
// m = 1 / (sin h + 0.50572 · (h + 6.07995°)^−1.6364)) integrated over the
// daylight of the mean day, one-minute steps. This is the quantity the
// direct-radiation audit compares with the daily total of direct radiation
// (the horizontal direct total being a separate group of the file).
double DirectNormalDaily(double latitude, int month) {
  const SunOfDay sun = MeanDaySun(month);
  const double phi = Radians(latitude);
  double joules = 0.0;
  for (int minute = 0; minute < 24 * 60; ++minute) {
    const double omega = Radians((minute + 0.5) / 4.0 - 180.0);
    const double sinH = std::sin(phi) * std::sin(sun.declination) +
                        std::cos(phi) * std::cos(sun.declination) * std::cos(omega);
    if (sinH <= 0.0) continue;
    const double h = std::asin(sinH) * 180.0 / kPi;
    const double airMass = 1.0 / (sinH + 0.50572 * std::pow(h + 6.07995, -1.6364));
    joules += kSolarConstant * sun.eccentricity * std::pow(0.7, std::pow(airMass, 0.678)) * 60.0;
  }
  return joules / 1e6;
}

// ---------------------------------------------------------------------------
// Writing SQLite files.

[[noreturn]] void Fail(const std::string& message) { throw Error(kErrPathAccess, message); }

class Writer {
 public:
  explicit Writer(const fs::path& path) : path_(path) {
    const int rc = sqlite3_open_v2(path.string().c_str(), &db_,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (rc != SQLITE_OK) {
      const std::string message = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(rc);
      sqlite3_close(db_);
      db_ = nullptr;
      Fail("cannot write database " + path_.string() + ": " + message);
    }
  }
  ~Writer() {
    if (stmt_) sqlite3_finalize(stmt_);
    sqlite3_close(db_);
  }
  Writer(const Writer&) = delete;
  Writer& operator=(const Writer&) = delete;

  void Exec(const std::string& sql) {
    char* err = nullptr;
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &err) != SQLITE_OK) {
      const std::string message = err ? err : sqlite3_errmsg(db_);
      sqlite3_free(err);
      FailHere(message);
    }
  }

  // CREATE TABLE name (col type, ...) and prepare its INSERT statement.
  void CreateTable(const std::string& name,
                   const std::vector<std::pair<std::string, const char*>>& columns) {
    std::string create = "CREATE TABLE \"" + name + "\" (";
    std::string insert = "INSERT INTO \"" + name + "\" VALUES (";
    for (size_t i = 0; i < columns.size(); ++i) {
      if (i) {
        create += ", ";
        insert += ", ";
      }
      create += "\"" + columns[i].first + "\" " + columns[i].second;
      insert += "?";
    }
    Exec(create + ")");
    if (stmt_) sqlite3_finalize(stmt_);
    stmt_ = nullptr;
    if (sqlite3_prepare_v2(db_, (insert + ")").c_str(), -1, &stmt_, nullptr) != SQLITE_OK)
      FailHere(sqlite3_errmsg(db_));
  }

  // Binders for the current row, 1-based column.
  void Text(int col, const std::string& v) {
    if (v.empty()) {
      Null(col);
      return;
    }
    Check(sqlite3_bind_text(stmt_, col, v.c_str(), static_cast<int>(v.size()), SQLITE_TRANSIENT));
  }
  void Integer(int col, long long v) { Check(sqlite3_bind_int64(stmt_, col, v)); }
  void Null(int col) { Check(sqlite3_bind_null(stmt_, col)); }

  void InsertRow() {
    if (sqlite3_step(stmt_) != SQLITE_DONE) FailHere(sqlite3_errmsg(db_));
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
  }

 private:
  void Check(int rc) {
    if (rc != SQLITE_OK) FailHere(sqlite3_errmsg(db_));
  }
  [[noreturn]] void FailHere(const std::string& message) {
    Fail("cannot write database " + path_.string() + ": " + message);
  }

  fs::path path_;
  sqlite3* db_ = nullptr;
  sqlite3_stmt* stmt_ = nullptr;
};

std::string Numbered(const char* prefix, int n, int width) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%s%0*d", prefix, width, n);
  return buf;
}

void WriteStationTable(Writer& w, const std::vector<SampleStation>& stations) {
  const auto& columns = StationParameterColumns();
  std::vector<std::pair<std::string, const char*>> defs;
  for (const StationColumn& c : columns)
    defs.emplace_back(c.name, c.kind == ColumnKind::Text ? "TEXT" : "INTEGER");
  w.CreateTable("tabStationParameter", defs);
  for (const SampleStation& s : stations) {
    for (size_t i = 0; i < columns.size(); ++i) {
      const int col = static_cast<int>(i) + 1;
      const std::string& v = s.*(columns[i].field);
      if (columns[i].kind == ColumnKind::Text)
        w.Text(col, v);
      else if (v.empty())
        w.Null(col);
      else
        w.Integer(col, std::stoll(v));
    }
    w.InsertRow();
  }
}

// One default record "99999" holding the values of first..last under
// column names prefix + number.
template <size_t N>
void WriteRuleTable(Writer& w, const std::string& table, const char* prefix, int width,
                    int first, int last, const Rule (&rules)[N]) {
  std::vector<std::pair<std::string, const char*>> defs = {{"StationNum", "TEXT"}};
  for (int k = first; k <= last; ++k) defs.emplace_back(Numbered(prefix, k, width), "TEXT");
  w.CreateTable(table, defs);
  w.Text(1, "99999");
  for (int k = first; k <= last; ++k) w.Text(k - first + 2, LookUp(rules, k));
  w.InsertRow();
}

void WriteRadiationTable(Writer& w, const std::string& table, int from, int to, int step,
                         int (*value)(int, int)) {
  std::vector<std::pair<std::string, const char*>> defs = {{"Latitude", "TEXT"}};
  for (int m = 1; m <= 12; ++m) defs.emplace_back(Numbered("M", m, 2), "INTEGER");
  w.CreateTable(table, defs);
  for (int lat = from; lat <= to; lat += step) {
    w.Text(1, std::to_string(lat));
    for (int m = 1; m <= 12; ++m) w.Integer(m + 1, value(lat, m));
    w.InsertRow();
  }
}

// Writes one database file: into a temporary name beside it, then renamed
// over the target so that an existing file is replaced whole.
template <class Fill>
void WriteDatabase(const fs::path& path, Fill fill) {
  fs::path temp = path;
  temp += ".tmp";
  std::error_code ec;
  fs::remove(temp, ec);
  try {
    Writer w(temp);
    w.Exec("BEGIN");
    fill(w);
    w.Exec("COMMIT");
  } catch (...) {
    fs::remove(temp, ec);
    throw;
  }
  fs::rename(temp, path, ec);
  if (ec) {
    const std::string reason = ec.message();
    fs::remove(temp, ec);
    Fail("cannot replace " + path.string() + ": " + reason);
  }
}

void MakeDirectory(const fs::path& dir) {
  std::error_code ec;
  fs::create_directories(dir, ec);
  if (ec || !fs::is_directory(dir))
    Fail("cannot create directory " + dir.string() + (ec ? ": " + ec.message() : ""));
}

}  // namespace

std::string DefaultAuditRule(int entry) { return LookUp(kAuditRules, entry); }
std::string DefaultRadiationRule(int column) { return LookUp(kRadiationRules, column); }

double ExtraterrestrialDaily(double latitude, int month) {
  if (month < 1 || month > 12) return 0.0;
  const SunOfDay sun = MeanDaySun(month);
  const double phi = Radians(latitude);
  const double ws = SunsetHourAngle(phi, sun.declination);
  const double h0 = 24.0 * 3600.0 / kPi * kSolarConstant * sun.eccentricity *
                    (std::cos(phi) * std::cos(sun.declination) * std::sin(ws) +
                     ws * std::sin(phi) * std::sin(sun.declination));
  return h0 > 0.0 ? h0 / 1e6 : 0.0;
}

// Possible global radiation: a clear-sky transmittance of 0.75 applied to
// H0 (0.75 · H0), written in 0.1 MJ/m². The radiation audit compares a tenth
// of this value with a hundredth of a daily total in 0.01 MJ/m², so both
// sides of its test are in MJ/m².
int PossibleGlobalRadiation(int latitude, int month) {
  return static_cast<int>(std::lround(0.75 * ExtraterrestrialDaily(latitude, month) * 10.0));
}

int PossibleDirectRadiation(int latitude, int month) {
  if (month < 1 || month > 12) return 0;
  return static_cast<int>(std::lround(DirectNormalDaily(latitude, month) * 10.0));
}

void WriteSampleSystemDirectory(const std::string& dir) {
  WriteSampleSystemDirectory(dir, SampleStations());
}

void WriteSampleSystemDirectory(const std::string& dir,
                                const std::vector<SampleStation>& stations) {
  const fs::path root(dir);
  const fs::path sysconfig = root / "Sysconfig";
  MakeDirectory(sysconfig);

  WriteDatabase(sysconfig / "SysLib.mdb", [&stations](Writer& w) {
    WriteStationTable(w, stations);
    WriteRuleTable(w, "tabAuditingRuleLib1", "Rule", 3, 1, 66, kAuditRules);
    WriteRuleTable(w, "tabAuditingRuleLib2", "Rule", 3, 67, 114, kAuditRules);
    WriteRuleTable(w, "tabRAuditingData", "RValue", 2, 1, 42, kRadiationRules);
  });

  WriteDatabase(root / "RadiationConstant.mdb", [](Writer& w) {
    WriteRadiationTable(w, "tabPossibleGlobalRadiation", 0, 90, 5, PossibleGlobalRadiation);
    WriteRadiationTable(w, "tabPossibleDirectRadiation", 10, 70, 10, PossibleDirectRadiation);
  });
}

}  // namespace kelvane::sample
