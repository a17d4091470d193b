#include "sample/sample_stations.h"

#include "common/station_params.h"
#include "common/text.h"

namespace kelvane::sample {

namespace {

using S = SampleStation;

std::vector<SampleStation> BuildStations() {
  std::vector<SampleStation> v;

  // Automatic basic station on the plain: hourly pressure, temperature and
  // humidity from sensors (no wet bulb), clouds and phenomena by the
  // observer, visibility, wind and ground temperatures automatic; a
  // class-2 radiation station (global and net radiation).
  SampleStation a;
  a.StationNum = "54511";
  a.Latitude = "39.48N";
  a.Longitude = "116.28E";
  a.FieldElevation = "31.3";
  a.BaroElevation = "32.8";
  a.BaroSensorElevation = "32.8";
  a.WindVHeight = "10.5";
  a.PlatformH = "0.0";
  a.StationClass = "基本站";
  a.FixTimes = "4";
  a.DataCollection = "自动";
  a.StationPressure = "2";
  a.Temperature = "2";
  a.WetBulbT = "0";
  a.HumidityFeel = "2";
  a.Cloud = "1";
  a.CloudHeight = "0";
  a.Visibility = "2";
  a.Precipitation = "1";
  a.AutoPrecip = "2";
  a.WeatherPhenomena = "1";
  a.Evapgauge = "2";
  a.Wind = "2";
  a.AutoWind = "2";
  a.ExMaxWind = "2";
  a.SurfaceTemp = a.Temp5cm = a.Temp10cm = a.Temp15cm = a.Temp20cm = a.Temp40cm = "2";
  a.Temp80cm = a.Temp160cm = a.Temp320cm = "2";
  a.Sunshine = "1";
  a.GrasslandTemp = "2";
  a.Evapan = "1";
  a.SnowDepth = "1";
  a.IcingLine = "0";
  a.FrozenSoil = "1";
  a.GroundEstate = "0";
  a.RadiationGrade = "二级";
  a.GPyranometerH = "1.5";
  a.NPyranometerH = "1.5";
  a.StationName = "示范一站";
  a.id = "basic";
  a.hourly = true;
  a.qualityControl = true;
  a.province = "北京市";
  a.address = "北京市大兴区示范路1号";
  a.environment = "郊区";
  v.push_back(a);

  // Automatic reference station a few kilometres away: the same schedule,
  // with hourly cloud observations (cloud height read by the observer), an
  // automatic sunshine recorder, wire icing and ground state observed; a class-1 radiation station (all five components). Its field
  // elevation is an estimated value, written in parentheses.
  SampleStation b = a;
  b.StationNum = "54399";
  b.Latitude = "39.59N";
  b.Longitude = "116.17E";
  b.FieldElevation = "(55.0)";
  b.BaroElevation = "56.1";
  b.BaroSensorElevation = "56.1";
  b.StationClass = "基准站";
  b.FixTimes = "24";
  b.CloudHeight = "1";
  b.Sunshine = "2";
  b.IcingLine = "1";
  b.GroundEstate = "1";
  b.RadiationGrade = "一级";
  b.GPyranometerH = b.NPyranometerH = b.SPyranometerH = b.DPyranometerH = b.RPyranometerH = "1.5";
  b.StationName = "示范二站";
  b.id = "reference";
  b.qualityControl = false;
  b.address = "北京市海淀区示范路2号";
  b.environment = "城市";
  v.push_back(b);

  // Manual ordinary station in a basin at 778 m: four observations a day
  // (02, 08, 14, 20) with a psychrometer, every element read by the
  // observer or not observed, no deep ground temperatures; a class-3
  // radiation station (global radiation only).
  SampleStation c;
  c.StationNum = "53772";
  c.Latitude = "37.47N";
  c.Longitude = "112.33E";
  c.FieldElevation = "778.3";
  c.BaroElevation = "779.1";
  c.WindVHeight = "10.2";
  c.StationClass = "一般站";
  c.FixTimes = "4";
  c.DataCollection = "人工";
  c.StationPressure = "1";
  c.Temperature = "1";
  c.WetBulbT = "1";
  c.HumidityFeel = "0";
  c.Cloud = "1";
  c.CloudHeight = "0";
  c.Visibility = "1";
  c.Precipitation = "1";
  c.AutoPrecip = "0";
  c.WeatherPhenomena = "1";
  c.Evapgauge = "0";
  c.Wind = "1";
  c.AutoWind = "0";
  c.ExMaxWind = "0";
  c.SurfaceTemp = c.Temp5cm = c.Temp10cm = c.Temp15cm = c.Temp20cm = c.Temp40cm = "1";
  c.Temp80cm = c.Temp160cm = c.Temp320cm = "0";
  c.Sunshine = "1";
  c.GrasslandTemp = "0";
  c.Evapan = "1";
  c.SnowDepth = "1";
  c.IcingLine = "1";
  c.FrozenSoil = "1";
  c.GroundEstate = "0";
  c.RadiationGrade = "三级";
  c.GPyranometerH = "1.5";
  c.StationName = "示范三站";
  c.id = "manual";
  c.hourly = false;
  c.qualityControl = false;
  c.ventilation = "0.4";
  c.province = "山西省";
  c.address = "山西省示范县城关镇3号";
  c.environment = "盆地";
  v.push_back(c);
  return v;
}

std::string CodeFlag(const std::string& code) {
  return StationModeFlag(static_cast<long>(LeadingInteger(code)));
}
std::string YesNoFlag(const std::string& yes) { return yes == "1" ? "0" : "9"; }

}  // namespace

const std::vector<StationColumn>& StationParameterColumns() {
  using K = ColumnKind;
  static const std::vector<StationColumn> columns = {
      {"StationNum", K::Text, &S::StationNum},
      {"Latitude", K::Text, &S::Latitude},
      {"Longitude", K::Text, &S::Longitude},
      {"FieldElevation", K::Text, &S::FieldElevation},
      {"BaroElevation", K::Text, &S::BaroElevation},
      {"BaroSensorElevation", K::Text, &S::BaroSensorElevation},
      {"WindVHeight", K::Text, &S::WindVHeight},
      {"PlatformH", K::Text, &S::PlatformH},
      {"StationClass", K::Text, &S::StationClass},
      {"FixTimes", K::Text, &S::FixTimes},
      {"DataCollection", K::Text, &S::DataCollection},
      {"StationPressure", K::Code, &S::StationPressure},
      {"Temperature", K::Code, &S::Temperature},
      {"WetBulbT", K::Code, &S::WetBulbT},
      {"HumidityFeel", K::Code, &S::HumidityFeel},
      {"Cloud", K::Code, &S::Cloud},
      {"CloudHeight", K::Code, &S::CloudHeight},
      {"Visibility", K::Code, &S::Visibility},
      {"Precipitation", K::Code, &S::Precipitation},
      {"AutoPrecip", K::Code, &S::AutoPrecip},
      {"WeatherPhenomena", K::Code, &S::WeatherPhenomena},
      {"Evapgauge", K::Code, &S::Evapgauge},
      {"Wind", K::Code, &S::Wind},
      {"AutoWind", K::Code, &S::AutoWind},
      {"ExMaxWind", K::Code, &S::ExMaxWind},
      {"SurfaceTemp", K::Code, &S::SurfaceTemp},
      {"Temp5cm", K::Code, &S::Temp5cm},
      {"Temp10cm", K::Code, &S::Temp10cm},
      {"Temp15cm", K::Code, &S::Temp15cm},
      {"Temp20cm", K::Code, &S::Temp20cm},
      {"Temp40cm", K::Code, &S::Temp40cm},
      {"Temp80cm", K::Code, &S::Temp80cm},
      {"Temp160cm", K::Code, &S::Temp160cm},
      {"Temp320cm", K::Code, &S::Temp320cm},
      {"Sunshine", K::Code, &S::Sunshine},
      {"GrasslandTemp", K::Code, &S::GrasslandTemp},
      {"Evapan", K::YesNo, &S::Evapan},
      {"SnowDepth", K::YesNo, &S::SnowDepth},
      {"IcingLine", K::YesNo, &S::IcingLine},
      {"FrozenSoil", K::YesNo, &S::FrozenSoil},
      {"GroundEstate", K::YesNo, &S::GroundEstate},
      {"RadiationGrade", K::Text, &S::RadiationGrade},
      {"GPyranometerH", K::Text, &S::GPyranometerH},
      {"NPyranometerH", K::Text, &S::NPyranometerH},
      {"SPyranometerH", K::Text, &S::SPyranometerH},
      {"DPyranometerH", K::Text, &S::DPyranometerH},
      {"RPyranometerH", K::Text, &S::RPyranometerH},
      {"StationName", K::Text, &S::StationName},
  };
  return columns;
}

const std::vector<SampleStation>& SampleStations() {
  static const std::vector<SampleStation> stations = BuildStations();
  return stations;
}

const SampleStation* FindSampleStation(const std::string& idOrNumber) {
  for (const SampleStation& s : SampleStations())
    if (s.id == idOrNumber || s.StationNum == idOrNumber) return &s;
  return nullptr;
}

char HeaderClassCode(const SampleStation& s) {
  if (s.StationClass == "基准站") return '1';
  if (s.StationClass == "基本站") return '2';
  if (s.StationClass == "一般站") return s.FixTimes == "3" ? '4' : '3';
  return '0';
}

char HeaderStationType(const SampleStation& s) { return s.DataCollection == "人工" ? '0' : '1'; }

std::string HeaderModeFlags(const SampleStation& s) {
  const std::string humidity = CombinedFlag({CodeFlag(s.WetBulbT), CodeFlag(s.HumidityFeel)});
  const std::string cloud = CodeFlag(s.Cloud);
  std::string flags;
  flags.reserve(20);
  for (const std::string& f : {
           CodeFlag(s.StationPressure),                                            // P
           CodeFlag(s.Temperature),                                                // T
           humidity,                                                               // I
           humidity,                                                               // E
           humidity,                                                               // U
           cloud,                                                                  // N
           CodeFlag(s.CloudHeight),                                                // H
           cloud,                                                                  // C
           CodeFlag(s.Visibility),                                                 // V
           CombinedFlag({CodeFlag(s.Precipitation), CodeFlag(s.AutoPrecip)}),      // R
           CodeFlag(s.WeatherPhenomena),                                           // W
           CombinedFlag({YesNoFlag(s.Evapan), CodeFlag(s.Evapgauge)}),             // L
           YesNoFlag(s.SnowDepth),                                                 // Z
           YesNoFlag(s.IcingLine),                                                 // G
           CombinedFlag({CodeFlag(s.Wind), CodeFlag(s.AutoWind), CodeFlag(s.ExMaxWind)}),  // F
           CombinedFlag({CodeFlag(s.SurfaceTemp), CodeFlag(s.Temp5cm), CodeFlag(s.Temp10cm),
                         CodeFlag(s.Temp15cm), CodeFlag(s.Temp20cm), CodeFlag(s.Temp40cm)}),  // D
           CombinedFlag({CodeFlag(s.Temp80cm), CodeFlag(s.Temp160cm), CodeFlag(s.Temp320cm)}),  // K
           YesNoFlag(s.FrozenSoil),                                                // A
           CodeFlag(s.Sunshine),                                                   // S
           CombinedFlag({CodeFlag(s.GrasslandTemp), YesNoFlag(s.GroundEstate)}),  // B
       })
    flags += f;
  return flags;
}

char RadiationClassCode(const SampleStation& s) {
  if (s.RadiationGrade == "一级") return '1';
  if (s.RadiationGrade == "二级") return '2';
  if (s.RadiationGrade == "三级") return '3';
  return '0';
}

}  // namespace kelvane::sample
