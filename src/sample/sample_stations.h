// The three sample stations of the demonstration system directory, as data.
//
// Each station carries the values of its tabStationParameter row, written
// as the station database holds them, plus the few facts a sample data-file
// writer needs (a short id, the observing schedule of its A file and
// whether that file carries the quality-control section).
#pragma once

#include <string>
#include <vector>

namespace kelvane::sample {

struct SampleStation {
  // tabStationParameter, all as text. Observation codes are "1" (manual),
  // "2" (automatic) or "0" (not observed); yes/no flags are "1" or "0".
  // An empty text is a field the station does not have (stored as null).
  std::string StationNum;
  std::string Latitude;             // degrees.minutes + N/S, e.g. 39.48N
  std::string Longitude;            // degrees.minutes + E/W, e.g. 116.28E
  std::string FieldElevation;       // metres, one decimal; "(55.0)" when estimated
  std::string BaroElevation;
  std::string BaroSensorElevation;
  std::string WindVHeight;          // metres above ground
  std::string PlatformH;            // metres; empty: no platform
  std::string StationClass;         // 基准站 / 基本站 / 一般站
  std::string FixTimes;             // "24", "4" or "3"
  std::string DataCollection;       // 人工, or 自动 for an automatic station
  std::string StationPressure, Temperature, WetBulbT, HumidityFeel, Cloud, CloudHeight,
      Visibility, Precipitation, AutoPrecip, WeatherPhenomena, Evapgauge, Wind, AutoWind,
      ExMaxWind, SurfaceTemp, Temp5cm, Temp10cm, Temp15cm, Temp20cm, Temp40cm, Temp80cm,
      Temp160cm, Temp320cm, Sunshine, GrasslandTemp;
  std::string Evapan, SnowDepth, IcingLine, FrozenSoil, GroundEstate;
  std::string RadiationGrade;       // 一级 / 二级 / 三级; empty: no radiation observation
  std::string GPyranometerH, NPyranometerH, SPyranometerH, DPyranometerH, RPyranometerH;
  std::string StationName;

  // For the sample data-file writers.
  std::string id;                   // short name to pick the station by
  bool hourly = false;              // 24 observations a day (else 02, 08, 14, 20)
  bool qualityControl = false;      // the A file carries the quality-control section
  std::string ventilation;          // psychrometer ventilation code of a manual station
                                    // (the audits' strManualWindV); empty: automatic
  std::string province;             // cover of the A file: province, address and
  std::string address;              // geographic environment
  std::string environment;
};

// How a column is stored in tabStationParameter.
enum class ColumnKind { Text, Code, YesNo };

struct StationColumn {
  const char* name;
  ColumnKind kind;
  std::string SampleStation::*field;
};

// The 48 columns of tabStationParameter in table order.
const std::vector<StationColumn>& StationParameterColumns();

// The three sample stations: 54511 (automatic 基本站, radiation class 2),
// 54399 (automatic 基准站, radiation class 1), 53772 (manual 一般站, radiation class 3).
const std::vector<SampleStation>& SampleStations();

// The station with the given id or station number; nullptr when none.
const SampleStation* FindSampleStation(const std::string& idOrNumber);

// Header fields derived from the station record, as an A-file header
// writes them: station class code (position 44: "1" 基准站, "2" 基本站,
// "3" 一般站 with four fixed times, "4" with three), station type
// (position 43: "0" 人工, "1" automatic) and the twenty element mode flags
// (positions 46..65, order P T I E U N H C V R W L Z G F D K A S B).
char HeaderClassCode(const SampleStation& s);
char HeaderStationType(const SampleStation& s);
std::string HeaderModeFlags(const SampleStation& s);
// Radiation station class digit of an R-file header ('1'..'3'), or '0'
// for a station without radiation observation.
char RadiationClassCode(const SampleStation& s);

}  // namespace kelvane::sample
