#include "afile/segment_table.h"

#include <array>

namespace kelvane::afile {

namespace {

// Block builders: the quality-control count follows from the layout (one
// code per data value) except where a block says otherwise.
constexpr BlockLayout Daily(int n, int w, std::string_view name) {
  return {BlockKind::Daily, static_cast<int16_t>(n), 0, static_cast<int16_t>(w), name,
          static_cast<int16_t>(n)};
}
constexpr BlockLayout Hourly(int first, int second, int w, std::string_view name) {
  return {BlockKind::Hourly, static_cast<int16_t>(first), static_cast<int16_t>(second),
          static_cast<int16_t>(w), name, static_cast<int16_t>(first + second)};
}
constexpr BlockLayout HourlyWind(std::string_view name) {
  return {BlockKind::HourlyWind, 6, 0, 6, name, 24};
}

constexpr uint8_t kCloudLines[] = {8, 5, 5, 6};
constexpr uint8_t kWireIcing0[] = {3, 3, 5, 3, 3, 5};
constexpr uint8_t kWireIcing2[] = {4, 3, 3, 5, 3, 3, 5, 4, 6};
constexpr uint8_t kMaxWind[] = {6, 4, 6, 4};
constexpr uint8_t kSunshine19[] = {2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 3};
constexpr uint8_t kSunshine27[] = {2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2,
                                   2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 4, 4, 3};

// Cloud blocks: one line with one record per observation time, or four
// lines (24 hourly records) for a "基准站".
constexpr BlockLayout Cloud1(int records, int itemWidth, std::string_view name) {
  return {BlockKind::Cloud, 1, static_cast<int16_t>(records), static_cast<int16_t>(itemWidth),
          name, static_cast<int16_t>(records)};
}
constexpr BlockLayout Cloud4(int itemWidth, std::string_view name) {
  return {BlockKind::Cloud, 4, 0, static_cast<int16_t>(itemWidth), name, 24, kCloudLines};
}

// ---- element names used by several rows
constexpr std::string_view kStationPressure = "本站气压";
constexpr std::string_view kSeaLevelPressure = "海平面气压";
constexpr std::string_view kTemperature = "气温";
constexpr std::string_view kWetBulb = "湿球温度";
constexpr std::string_view kDewPoint = "露点温度";
constexpr std::string_view kVapour = "水汽压";
constexpr std::string_view kHumidity = "相对湿度";
constexpr std::string_view kTotalCloud = "总云量";
constexpr std::string_view kLowCloud = "低云量";
constexpr std::string_view kCloudHeight = "实测云高";
constexpr std::string_view kCloudForm = "云状";
constexpr std::string_view kVisibility = "能见度";
constexpr std::string_view kFixedPrecip = "定时降水量";
constexpr std::string_view kHourlyPrecip = "小时降水量";
constexpr std::string_view kWeather = "天气现象";
constexpr std::string_view kEvaporation = "蒸发量";
constexpr std::string_view kSnow = "积雪";
constexpr std::string_view kWireIcing = "电线积冰";
constexpr std::string_view kFixedWind = "定时风";
constexpr std::string_view kTenMinuteWind = "十分钟风";
constexpr std::string_view kMaxWindName = "最大极大风";
constexpr std::string_view kSurfaceTemp = "地面温度";
constexpr std::string_view kDeepGround = "深层地温";
constexpr std::string_view kFrozenSoil = "冻土深度";
constexpr std::string_view kSunshine = "日照时数";
constexpr std::string_view kGrassTemp = "草面温度";

// ---- P station pressure
constexpr BlockLayout kP3[] = {Daily(6, 4, kStationPressure), Daily(4, 4, kSeaLevelPressure)};
constexpr BlockLayout kP4[] = {Daily(4, 4, kStationPressure), Daily(4, 4, kSeaLevelPressure)};
constexpr BlockLayout kP6[] = {Daily(5, 4, kStationPressure), Daily(3, 4, kSeaLevelPressure)};
constexpr BlockLayout kP8[] = {Daily(3, 4, kStationPressure), Daily(3, 4, kSeaLevelPressure)};
constexpr BlockLayout kPB[] = {Hourly(12, 14, 4, kStationPressure), Daily(4, 4, kSeaLevelPressure)};
constexpr BlockLayout kPC[] = {Hourly(12, 16, 4, kStationPressure), Daily(4, 4, kSeaLevelPressure)};
constexpr BlockLayout kPD[] = {Hourly(12, 16, 4, kStationPressure),
                             Hourly(12, 12, 4, kSeaLevelPressure)};
constexpr ModeLayout kPModes[] = {{"3", kP3}, {"4", kP4}, {"6", kP6}, {"8", kP8},
                                {"B", kPB}, {"C", kPC}, {"D", kPD}};
// Codes the quality-control section accepts for P beyond those above: the
// older manual layouts (four or three fixed times) and the hourly layout
// without sea-level pressure.
constexpr BlockLayout kQP2[] = {Daily(4, 4, kStationPressure), Daily(4, 4, kSeaLevelPressure)};
constexpr BlockLayout kQP7[] = {Daily(3, 4, kStationPressure), Daily(4, 4, kSeaLevelPressure)};
constexpr BlockLayout kQP9[] = {Daily(5, 4, kStationPressure), Daily(3, 4, kSeaLevelPressure)};
constexpr BlockLayout kQPA[] = {Hourly(12, 14, 4, kStationPressure)};
constexpr ModeLayout kPQcModes[] = {{"2", kQP2}, {"7", kQP7}, {"9", kQP9}, {"A", kQPA}};

// ---- T air temperature
constexpr BlockLayout kT0[] = {Daily(6, 4, kTemperature)};
constexpr BlockLayout kT9[] = {Daily(5, 4, kTemperature)};
constexpr BlockLayout kTA[] = {Hourly(12, 14, 4, kTemperature)};
constexpr BlockLayout kTB[] = {Hourly(12, 16, 4, kTemperature)};
constexpr ModeLayout kTModes[] = {{"0", kT0}, {"9", kT9}, {"A", kTA}, {"B", kTB}};

// ---- I wet-bulb / dew point
constexpr BlockLayout kI2[] = {Daily(4, 4, kWetBulb), Daily(4, 4, kDewPoint)};
constexpr BlockLayout kI7[] = {Daily(3, 4, kWetBulb), Daily(4, 4, kDewPoint)};
constexpr BlockLayout kI8[] = {Daily(3, 4, kWetBulb), Daily(3, 4, kDewPoint)};
constexpr BlockLayout kIB[] = {Hourly(12, 12, 4, kWetBulb), Hourly(12, 12, 4, kDewPoint)};
constexpr ModeLayout kIModes[] = {{"2", kI2}, {"7", kI7}, {"8", kI8}, {"B", kIB}};

// ---- E vapour pressure
constexpr BlockLayout kE0[] = {Daily(4, 3, kVapour)};
constexpr BlockLayout kE9[] = {Daily(3, 3, kVapour)};
constexpr BlockLayout kEA[] = {Hourly(12, 12, 3, kVapour)};
constexpr ModeLayout kEModes[] = {{"0", kE0}, {"9", kE9}, {"A", kEA}};

// ---- U relative humidity
constexpr BlockLayout kU0[] = {Daily(5, 2, kHumidity)};
constexpr BlockLayout kU2[] = {Daily(4, 2, kHumidity)};
constexpr BlockLayout kU7[] = {Daily(4, 2, kHumidity)};
constexpr BlockLayout kU9[] = {Daily(3, 2, kHumidity)};
constexpr BlockLayout kUA[] = {Hourly(12, 13, 2, kHumidity)};
constexpr BlockLayout kUB[] = {Hourly(12, 14, 2, kHumidity)};
constexpr ModeLayout kUModes[] = {{"0", kU0}, {"2", kU2}, {"7", kU7},
                                {"9", kU9}, {"A", kUA}, {"B", kUB}};

// ---- N cloud amount
constexpr BlockLayout kN0[] = {Daily(4, 2, kTotalCloud), Daily(4, 2, kLowCloud)};
constexpr BlockLayout kN9[] = {Daily(3, 2, kTotalCloud), Daily(3, 2, kLowCloud)};
constexpr BlockLayout kNA[] = {Daily(24, 2, kTotalCloud), Daily(24, 2, kLowCloud)};
constexpr ModeLayout kNModes[] = {
    {"0", kN0}, {"9", kN9}, {"A", kNA, "云量方式位不可能为A,无法继续审核"}};

// ---- H cloud height (items up to 7 characters: width 8)
constexpr BlockLayout kH0[] = {Cloud1(4, 8, kCloudHeight)};
constexpr BlockLayout kH9[] = {Cloud1(3, 8, kCloudHeight)};
constexpr BlockLayout kHB[] = {Cloud4(8, kCloudHeight)};
constexpr ModeLayout kHModes[] = {
    {"0", kH0}, {"9", kH9}, {"B", kHB, "云高方式位不可能为B,无法继续审核"}};

// ---- C cloud form (items up to 3 characters: width 4)
constexpr BlockLayout kC0[] = {Cloud1(4, 4, kCloudForm)};
constexpr BlockLayout kC9[] = {Cloud1(3, 4, kCloudForm)};
constexpr BlockLayout kCA[] = {Cloud4(4, kCloudForm)};
constexpr ModeLayout kCModes[] = {
    {"0", kC0}, {"9", kC9}, {"A", kCA, "云状方式位不可能为A,无法继续审核"}};

// ---- V visibility
constexpr BlockLayout kV0[] = {Daily(4, 3, kVisibility)};
constexpr BlockLayout kV7[] = {Daily(3, 1, kVisibility)};
constexpr BlockLayout kV8[] = {Daily(4, 1, kVisibility)};
constexpr BlockLayout kV9[] = {Daily(3, 3, kVisibility)};
constexpr BlockLayout kVA[] = {Hourly(12, 12, 3, kVisibility)};
constexpr BlockLayout kVB[] = {Hourly(12, 14, 5, kVisibility)};
constexpr ModeLayout kVModes[] = {{"0", kV0},
                                {"7", kV7},
                                {"8", kV8},
                                {"9", kV9},
                                {"A", kVA, "能见度方式位不可能为A,无法继续审核"},
                                {"B", kVB}};

// ---- R precipitation
constexpr BlockLayout kR0[] = {Daily(3, 4, kFixedPrecip)};
constexpr BlockLayout kR6[] = {Daily(3, 4, kFixedPrecip), Hourly(12, 12, 4, kHourlyPrecip),
                             {BlockKind::CrossMonth, 0, 0, 0, "跨月降水量", 0}};
constexpr ModeLayout kRModes[] = {{"0", kR0}, {"2", kR0}, {"6", kR6}};

// ---- W weather phenomena: any code not ending in "=" brings the day lines.
constexpr BlockLayout kW[] = {{BlockKind::Weather, 0, 0, 0, kWeather, 1}};
constexpr ModeLayout kWModes[] = {{kAnyCode, kW}};

// ---- L evaporation
constexpr BlockLayout kL0[] = {Daily(1, 3, kEvaporation), Daily(1, 3, kEvaporation)};
constexpr BlockLayout kLA[] = {Daily(1, 3, kEvaporation), Hourly(12, 13, 3, kEvaporation)};
constexpr BlockLayout kLB[] = {Daily(1, 3, kEvaporation), Hourly(12, 12, 3, kEvaporation)};
constexpr ModeLayout kLModes[] = {{"0", kL0}, {"A", kLA}, {"B", kLB}};

// ---- Z snow
constexpr BlockLayout kZ0[] = {Daily(2, 3, kSnow)};
constexpr ModeLayout kZModes[] = {{"0", kZ0}};

// ---- G wire icing (always nine quality codes per day)
constexpr BlockLayout kG0[] = {{BlockKind::WireIcing, 6, 0, 0, kWireIcing, 9, kWireIcing0}};
constexpr BlockLayout kG2[] = {{BlockKind::WireIcing, 9, 0, 0, kWireIcing, 9, kWireIcing2}};
constexpr ModeLayout kGModes[] = {{"0", kG0}, {"2", kG2}};

// ---- F wind
constexpr BlockLayout kMaxWindBlock = {BlockKind::MaxWind, 4, 0, 0, kMaxWindName, 4, kMaxWind};
constexpr BlockLayout kFE[] = {Daily(4, 6, kFixedWind), HourlyWind(kTenMinuteWind), kMaxWindBlock};
constexpr BlockLayout kFH[] = {Daily(3, 6, kFixedWind), HourlyWind(kTenMinuteWind), kMaxWindBlock};
constexpr BlockLayout kFK[] = {HourlyWind(kFixedWind), HourlyWind(kTenMinuteWind), kMaxWindBlock};
constexpr ModeLayout kFModes[] = {{"E", kFE}, {"H", kFH}, {"K", kFK}, {"N", kFK}};

// ---- D shallow ground temperature
constexpr BlockLayout kD0[] = {Daily(6, 4, kSurfaceTemp), Daily(4, 4, "5cm温度"),
                             Daily(4, 4, "10cm温度"),   Daily(4, 4, "15cm温度"),
                             Daily(4, 4, "20cm温度"),   Daily(4, 4, "40cm温度")};
constexpr BlockLayout kD7[] = {Daily(6, 4, kSurfaceTemp), Daily(3, 4, "5cm温度"),
                             Daily(3, 4, "10cm温度"),   Daily(3, 4, "15cm温度"),
                             Daily(3, 4, "20cm温度"),   Daily(3, 4, "40cm温度")};
constexpr BlockLayout kD9[] = {Daily(5, 4, kSurfaceTemp), Daily(3, 4, "5cm温度"),
                             Daily(3, 4, "10cm温度"),   Daily(3, 4, "15cm温度"),
                             Daily(3, 4, "20cm温度"),   Daily(3, 4, "40cm温度")};
constexpr BlockLayout kD1[] = {Daily(5, 4, kSurfaceTemp), Daily(3, 4, "5cm温度"),
                             Daily(3, 4, "10cm温度"), Daily(3, 4, "20cm温度"),
                             Daily(3, 4, "30cm温度")};
constexpr BlockLayout kD8[] = {Daily(3, 4, kSurfaceTemp), Daily(3, 4, "5cm温度"),
                             Daily(3, 4, "10cm温度"),   Daily(3, 4, "15cm温度"),
                             Daily(3, 4, "20cm温度"),   Daily(3, 4, "40cm温度")};
constexpr BlockLayout kDB[] = {Hourly(12, 16, 4, kSurfaceTemp), Hourly(12, 12, 4, "5cm温度"),
                             Hourly(12, 12, 4, "10cm温度"),   Hourly(12, 12, 4, "15cm温度"),
                             Hourly(12, 12, 4, "20cm温度"),   Hourly(12, 12, 4, "40cm温度")};
constexpr ModeLayout kDModes[] = {{"0", kD0}, {"2", kD0}, {"7", kD7}, {"9", kD9},
                                {"1", kD1}, {"8", kD8}, {"B", kDB}};

// ---- K deep ground temperature (manual: 80, 160 and 320 cm once a day)
constexpr BlockLayout kK0[] = {{BlockKind::DeepGround, 3, 0, 4, kDeepGround, 3}};
constexpr BlockLayout kK1[] = {Daily(4, 4, kDeepGround)};
constexpr BlockLayout kKB[] = {Hourly(12, 12, 4, "80cm地温"), Hourly(12, 12, 4, "160cm地温"),
                             Hourly(12, 12, 4, "320cm地温")};
constexpr ModeLayout kKModes[] = {{"0", kK0}, {"1", kK1}, {"B", kKB}};

// ---- A frozen soil
constexpr BlockLayout kA0[] = {Daily(4, 3, kFrozenSoil)};
constexpr BlockLayout kA6[] = {Daily(2, 3, kFrozenSoil)};
constexpr ModeLayout kAModes[] = {{"0", kA0}, {"6", kA6}};

// ---- S sunshine
constexpr BlockLayout kS0[] = {Daily(1, 3, kSunshine)};
constexpr BlockLayout kS2[] = {{BlockKind::Sunshine, 19, 0, 0, kSunshine, 19, kSunshine19}};
constexpr BlockLayout kSA[] = {{BlockKind::Sunshine, 27, 0, 0, kSunshine, 27, kSunshine27}};
constexpr ModeLayout kSModes[] = {{"0", kS0}, {"2", kS2}, {"A", kSA}};

// ---- B grass (snow) surface temperature and ground state
constexpr BlockLayout kBA[] = {Hourly(12, 16, 4, kGrassTemp), Daily(1, 2, "地面状态")};
constexpr ModeLayout kBModes[] = {{"A", kBA}};

constexpr std::string_view kFileFatal = kMsgFileFormatFatal;
constexpr std::string_view kDataFatal = kMsgDataFileFormatFatal;

constexpr SegmentLayout kSegments[] = {
    {'P', 1, 46, ModeRule::A, "CD", "2346789AB", "文件首部参数与气压方式位不符",
     kStationPressure, kFileFatal, kStationPressure, "指示码P", "质控码QP", kPModes, kPQcModes},
    {'T', 2, 47, ModeRule::A, "B", "09A", "文件首部参数与气温方式位不符", kTemperature,
     kFileFatal, kTemperature, "指示码T", "质控码QT", kTModes},
    {'I', 3, 48, ModeRule::None, "", "", "", "", kFileFatal, kWetBulb, "指示码I", "质控码QI",
     kIModes},
    {'E', 4, 49, ModeRule::None, "", "", "", "", kFileFatal, kVapour, "指示码E", "质控码QE",
     kEModes},
    {'U', 5, 50, ModeRule::A, "B", "0279A", "文件首部参数与相对湿度方式位不符", kHumidity,
     kFileFatal, kHumidity, "指示码U", "质控码QU", kUModes},
    {'N', 6, 51, ModeRule::C, "", "09A", "文件首部参数与云量方式位不符", kTotalCloud,
     kFileFatal, kTotalCloud, "指示码N", "质控码QN", kNModes},
    {'H', 7, 52, ModeRule::C, "", "", "文件首部参数与实测云高方式位不符", kCloudHeight,
     kFileFatal, kCloudHeight, "指示码H", "质控码QH", kHModes},
    {'C', 8, 53, ModeRule::C, "", "", "文件首部参数与云状方式位不符", kCloudForm, kFileFatal,
     kCloudForm, "指示码C", "质控码QC", kCModes},
    {'V', 9, 54, ModeRule::V, "", "", "文件首部参数与能见度方式位不符", kVisibility,
     kFileFatal, kVisibility, "指示码V", "质控码QV", kVModes},
    {'R', 10, 55, ModeRule::None, "", "", "", "", kDataFatal, kFixedPrecip, "指示码R",
     "质控码QR", kRModes},
    {'W', 11, 56, ModeRule::C, "", "", "文件首部参数与天气现象方式位不符", kWeather,
     kDataFatal, kWeather, "指示码W", "质控码QW", kWModes},
    {'L', 12, 57, ModeRule::B, "AB", "", "文件首部参数与蒸发量方式位不符", "小型蒸发量",
     kDataFatal, "小型蒸发量", "指示码L", "质控码QL", kLModes},
    {'Z', 13, 58, ModeRule::C, "", "", "文件首部参数与积雪方式位不符", kSnow, kDataFatal,
     kSnow, "指示码Z", "质控码QZ", kZModes},
    {'G', 14, 59, ModeRule::C, "", "", "文件首部参数与电线积冰方式位不符", kWireIcing,
     kDataFatal, kWireIcing, "指示码G", "质控码QG", kGModes},
    {'F', 15, 60, ModeRule::Wind, "KN", "EH", "文件首部参数与定时风方式位不符", kFixedWind,
     kDataFatal, kFixedWind, "指示码F", "质控码QF", kFModes},
    {'D', 16, 61, ModeRule::B, "B", "", "文件首部参数与浅层地温方式位不符", kSurfaceTemp,
     kDataFatal, kSurfaceTemp, "指示码D", "质控码QD", kDModes},
    {'K', 17, 62, ModeRule::B, "B", "", "文件首部参数与深层地温方式位不符", "80cm地温",
     kDataFatal, "80cm地温", "指示码K", "质控码QK", kKModes},
    {'A', 18, 63, ModeRule::C, "", "", "文件首部参数与冻土深度方式位不符", kFrozenSoil,
     kDataFatal, kFrozenSoil, "指示码A", "质控码QA", kAModes},
    {'S', 19, 64, ModeRule::S, "", "", "文件首部参数与日照时数方式位不符", kSunshine,
     kDataFatal, kSunshine, "指示码S", "质控码QS", kSModes},
    {'B', 20, 65, ModeRule::Grass, "", "", "文件首部参数与草面(雪面)温度方式位不符", kGrassTemp,
     kDataFatal, kGrassTemp, "指示码B", "质控码QB", kBModes},
};

static_assert(std::size(kSegments) == 20);

}  // namespace

std::span<const SegmentLayout> Segments() { return kSegments; }

const ModeLayout* FindMode(const SegmentLayout& segment, std::string_view code, bool qcOnly) {
  for (const ModeLayout& m : segment.modes)
    if (m.code == code) return &m;
  if (qcOnly)
    for (const ModeLayout& m : segment.qcOnlyModes)
      if (m.code == code) return &m;
  if (code.empty() || code.back() != '=')
    for (const ModeLayout& m : segment.modes)
      if (m.code == kAnyCode) return &m;
  return nullptr;
}

bool CodeInList(std::string_view list, std::string_view code) {
  return code.size() == 1 && list.find(code[0]) != std::string_view::npos;
}

int LinesPerDay(const BlockLayout& block) {
  switch (block.kind) {
    case BlockKind::Hourly:
      return 2;
    case BlockKind::HourlyWind:
      return 4;
    case BlockKind::Cloud:
      return block.count1 > 0 ? block.count1 : 1;
    default:
      return 1;
  }
}

}  // namespace kelvane::afile
