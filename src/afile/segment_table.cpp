#include "afile/segment_table.h"

#include <array>

namespace kelvane::afile {

namespace {

// What a block carries of its element: the name of its findings, the array
// its records go to, and the record rules of its daily and hourly blocks.
struct Element {
  std::string_view name;
  AFileArray array = nullptr;
  RecordForm dailyForm = RecordForm::Generic;
  RecordForm hourlyForm = RecordForm::Generic;
  int8_t timeRecord = 0;
  int8_t instrumentWidth = 0;
};

constexpr std::array<BlockTarget, 3> To(const Element& e) {
  return {BlockTarget{e.array, 0, 0}, BlockTarget{}, BlockTarget{}};
}

// Block builders: the quality-control count follows from the layout (one
// code per data value) except where a block says otherwise.
constexpr BlockLayout Daily(int n, int w, const Element& e) {
  BlockLayout b{BlockKind::Daily, static_cast<int16_t>(n), 0, static_cast<int16_t>(w), e.name,
                static_cast<int16_t>(n)};
  b.targets = To(e);
  b.form = e.dailyForm;
  return b;
}
constexpr BlockLayout Hourly(int first, int second, int w, const Element& e) {
  BlockLayout b{BlockKind::Hourly,        static_cast<int16_t>(first),
                static_cast<int16_t>(second), static_cast<int16_t>(w),
                e.name,                   static_cast<int16_t>(first + second)};
  b.targets = To(e);
  b.form = e.hourlyForm;
  b.timeRecord = e.timeRecord;
  b.instrumentWidth = e.instrumentWidth;
  return b;
}
constexpr BlockLayout HourlyWind(const Element& e) {
  BlockLayout b{BlockKind::HourlyWind, 6, 0, 6, e.name, 24};
  b.targets = To(e);
  return b;
}
// A block of one of the kinds with their own record layout.
constexpr BlockLayout Special(BlockKind kind, int count, int qcCodes, const Element& e,
                              std::span<const uint8_t> layout = {}) {
  BlockLayout b{kind, static_cast<int16_t>(count), 0, 0, e.name, static_cast<int16_t>(qcCodes),
                layout};
  b.targets = To(e);
  return b;
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
constexpr BlockLayout Cloud1(int records, int itemWidth, const Element& e) {
  BlockLayout b{BlockKind::Cloud, 1, static_cast<int16_t>(records),
                static_cast<int16_t>(itemWidth), e.name, static_cast<int16_t>(records)};
  b.targets = To(e);
  return b;
}
constexpr BlockLayout Cloud4(int itemWidth, const Element& e) {
  BlockLayout b{BlockKind::Cloud, 4, 0, static_cast<int16_t>(itemWidth), e.name, 24, kCloudLines};
  b.targets = To(e);
  return b;
}

// ---- the elements of the blocks
using A = AFileArrays;
using F = RecordForm;
constexpr Element kStationPressure{"本站气压", &A::strP};
constexpr Element kSeaLevelPressure{"海平面气压", &A::strP0};
constexpr Element kTemperature{"气温", &A::strT};
constexpr Element kWetBulb{"湿球温度", &A::strI, F::WetBulb, F::WetBulb};
constexpr Element kDewPoint{"露点温度", &A::strTD};
constexpr Element kVapour{"水汽压", &A::strE};
// Hourly humidity: the time of the daily minimum follows it (record 14).
constexpr Element kHumidity{"相对湿度", &A::strU, F::Humidity, F::Humidity, 14};
constexpr Element kTotalCloud{"总云量", &A::strNN};
constexpr Element kLowCloud{"低云量", &A::strNL};
constexpr Element kCloudHeight{"实测云高", &A::strH};
constexpr Element kCloudForm{"云状", &A::strCC};
// Hourly visibility of an instrument: five-digit metres, and the time of
// the daily minimum as record 14.
constexpr Element kVisibility{"能见度", &A::strV, F::Generic, F::Generic, 14, 5};
constexpr Element kFixedPrecip{"定时降水量", &A::strR, F::FixedPrecip, F::Generic};
constexpr Element kHourlyPrecip{"小时降水量", &A::strZJRR, F::Generic, F::HourlyPrecip};
constexpr Element kCrossMonth{"跨月降水量", &A::strRconnect};
constexpr Element kWeather{"天气现象", &A::strw};
// The evaporation segment names both pans alike: its first block is the
// small pan, its second the large pan (E601).
constexpr Element kSmallPan{"蒸发量", &A::strLE};
constexpr Element kLargePan{"蒸发量", &A::strLL, F::Generic, F::HourlyEvaporation};
constexpr Element kSnow{"积雪", &A::strZ};
constexpr Element kWireIcing{"电线积冰", &A::strG};
constexpr Element kFixedWind{"定时风", &A::strFDFF, F::None, F::None};
constexpr Element kTenMinuteWind{"十分钟风", &A::strZJFDFF};
constexpr Element kMaxWindName{"最大极大风", &A::strDYF};
constexpr Element kSurfaceTemp{"地面温度", &A::strD0};
constexpr Element kGround5{"5cm温度", &A::strD5};
constexpr Element kGround10{"10cm温度", &A::strD10};
constexpr Element kGround15{"15cm温度", &A::strD15};
constexpr Element kGround20{"20cm温度", &A::strD20};
constexpr Element kGround30{"30cm温度"};  // read and dropped: no array holds it
constexpr Element kGround40{"40cm温度", &A::strD40};
constexpr Element kGround80{"80cm地温", &A::strK8};
constexpr Element kGround160{"160cm地温", &A::strK16};
constexpr Element kGround320{"320cm地温", &A::strK32};
constexpr Element kFrozenSoil{"冻土深度", &A::strAA};
constexpr Element kSunshine{"日照时数", &A::strZJSS};
constexpr Element kGrassTemp{"草面温度", &A::strGLT};
constexpr Element kGroundState{"地面状态", &A::strGE};

// The deep ground temperature line of a manual station holds 80, 160 and
// 320 cm; the older four-record line (code 1) holds 40, 80, 160 and 320 cm,
// of which the last three are kept (its 40 cm has no array of its own: the
// 40 cm array belongs to the shallow segment).
constexpr BlockLayout DeepGroundLine(BlockLayout b) {
  const int skip = b.count1 - 3;
  b.targets = {BlockTarget{&A::strK8, static_cast<int8_t>(skip), 1},
               BlockTarget{&A::strK16, static_cast<int8_t>(skip + 1), 1},
               BlockTarget{&A::strK32, static_cast<int8_t>(skip + 2), 1}};
  return b;
}
constexpr Element kDeepGround{"深层地温", nullptr, F::Generic};

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
constexpr BlockLayout kVB[] = {Hourly(12, 14, 3, kVisibility)};
constexpr ModeLayout kVModes[] = {{"0", kV0},
                                {"7", kV7},
                                {"8", kV8},
                                {"9", kV9},
                                {"A", kVA, "能见度方式位不可能为A,无法继续审核"},
                                {"B", kVB}};

// ---- R precipitation
constexpr BlockLayout kR0[] = {Daily(3, 4, kFixedPrecip)};
constexpr BlockLayout kR6[] = {Daily(3, 4, kFixedPrecip), Hourly(12, 12, 4, kHourlyPrecip),
                             Special(BlockKind::CrossMonth, 0, 0, kCrossMonth)};
constexpr ModeLayout kRModes[] = {{"0", kR0}, {"2", kR0}, {"6", kR6}};

// ---- W weather phenomena: any code not ending in "=" brings the day lines.
constexpr BlockLayout kW[] = {Special(BlockKind::Weather, 0, 1, kWeather)};
constexpr ModeLayout kWModes[] = {{kAnyCode, kW}};

// ---- L evaporation
constexpr BlockLayout kL0[] = {Daily(1, 3, kSmallPan), Daily(1, 3, kLargePan)};
constexpr BlockLayout kLA[] = {Daily(1, 3, kSmallPan), Hourly(12, 13, 3, kLargePan)};
constexpr BlockLayout kLB[] = {Daily(1, 3, kSmallPan), Hourly(12, 12, 3, kLargePan)};
constexpr ModeLayout kLModes[] = {{"0", kL0}, {"A", kLA}, {"B", kLB}};

// ---- Z snow
constexpr BlockLayout kZ0[] = {Daily(2, 3, kSnow)};
constexpr ModeLayout kZModes[] = {{"0", kZ0}};

// ---- G wire icing (always nine quality codes per day)
constexpr BlockLayout kG0[] = {Special(BlockKind::WireIcing, 6, 9, kWireIcing, kWireIcing0)};
constexpr BlockLayout kG2[] = {Special(BlockKind::WireIcing, 9, 9, kWireIcing, kWireIcing2)};
constexpr ModeLayout kGModes[] = {{"0", kG0}, {"2", kG2}};

// ---- F wind
constexpr BlockLayout kMaxWindBlock = Special(BlockKind::MaxWind, 4, 4, kMaxWindName, kMaxWind);
constexpr BlockLayout kFE[] = {Daily(4, 6, kFixedWind), HourlyWind(kTenMinuteWind), kMaxWindBlock};
constexpr BlockLayout kFH[] = {Daily(3, 6, kFixedWind), HourlyWind(kTenMinuteWind), kMaxWindBlock};
constexpr BlockLayout kFK[] = {HourlyWind(kFixedWind), HourlyWind(kTenMinuteWind), kMaxWindBlock};
constexpr ModeLayout kFModes[] = {{"E", kFE}, {"H", kFH}, {"K", kFK}, {"N", kFK}};

// ---- D shallow ground temperature
constexpr BlockLayout kD0[] = {Daily(6, 4, kSurfaceTemp), Daily(4, 4, kGround5),
                             Daily(4, 4, kGround10),   Daily(4, 4, kGround15),
                             Daily(4, 4, kGround20),   Daily(4, 4, kGround40)};
constexpr BlockLayout kD7[] = {Daily(6, 4, kSurfaceTemp), Daily(3, 4, kGround5),
                             Daily(3, 4, kGround10),   Daily(3, 4, kGround15),
                             Daily(3, 4, kGround20),   Daily(3, 4, kGround40)};
constexpr BlockLayout kD9[] = {Daily(5, 4, kSurfaceTemp), Daily(3, 4, kGround5),
                             Daily(3, 4, kGround10),   Daily(3, 4, kGround15),
                             Daily(3, 4, kGround20),   Daily(3, 4, kGround40)};
constexpr BlockLayout kD1[] = {Daily(5, 4, kSurfaceTemp), Daily(3, 4, kGround5),
                             Daily(3, 4, kGround10), Daily(3, 4, kGround20),
                             Daily(3, 4, kGround30)};
constexpr BlockLayout kD8[] = {Daily(3, 4, kSurfaceTemp), Daily(3, 4, kGround5),
                             Daily(3, 4, kGround10),   Daily(3, 4, kGround15),
                             Daily(3, 4, kGround20),   Daily(3, 4, kGround40)};
constexpr BlockLayout kDB[] = {Hourly(12, 16, 4, kSurfaceTemp), Hourly(12, 12, 4, kGround5),
                             Hourly(12, 12, 4, kGround10),   Hourly(12, 12, 4, kGround15),
                             Hourly(12, 12, 4, kGround20),   Hourly(12, 12, 4, kGround40)};
constexpr ModeLayout kDModes[] = {{"0", kD0}, {"2", kD0}, {"7", kD7}, {"9", kD9},
                                {"1", kD1}, {"8", kD8}, {"B", kDB}};

// ---- K deep ground temperature (manual: 80, 160 and 320 cm once a day)
constexpr BlockLayout DeepGroundBlock() {
  BlockLayout b{BlockKind::DeepGround, 3, 0, 4, kDeepGround.name, 3};
  b.form = RecordForm::DeepGround;
  return DeepGroundLine(b);
}
constexpr BlockLayout kK0[] = {DeepGroundBlock()};
constexpr BlockLayout kK1[] = {DeepGroundLine(Daily(4, 4, kDeepGround))};
constexpr BlockLayout kKB[] = {Hourly(12, 12, 4, kGround80), Hourly(12, 12, 4, kGround160),
                             Hourly(12, 12, 4, kGround320)};
constexpr ModeLayout kKModes[] = {{"0", kK0}, {"1", kK1}, {"B", kKB}};

// ---- A frozen soil
constexpr BlockLayout kA0[] = {Daily(4, 3, kFrozenSoil)};
constexpr BlockLayout kA6[] = {Daily(2, 3, kFrozenSoil)};
constexpr ModeLayout kAModes[] = {{"0", kA0}, {"6", kA6}};

// ---- S sunshine
constexpr BlockLayout kS0[] = {Daily(1, 3, kSunshine)};
constexpr BlockLayout kS2[] = {Special(BlockKind::Sunshine, 19, 19, kSunshine, kSunshine19)};
constexpr BlockLayout kSA[] = {Special(BlockKind::Sunshine, 27, 27, kSunshine, kSunshine27)};
constexpr ModeLayout kSModes[] = {{"0", kS0}, {"2", kS2}, {"A", kSA}};

// ---- B grass (snow) surface temperature and ground state
constexpr BlockLayout kBA[] = {Hourly(12, 16, 4, kGrassTemp), Daily(1, 2, kGroundState)};
constexpr ModeLayout kBModes[] = {{"A", kBA}};

constexpr std::string_view kFileFatal = kMsgFileFormatFatal;
constexpr std::string_view kDataFatal = kMsgDataFileFormatFatal;

constexpr SegmentLayout kSegments[] = {
    {'P', 1, 46, ModeRule::A, "CD", "2346789AB", "文件首部参数与气压方式位不符",
     kStationPressure.name, kFileFatal, kStationPressure.name, "指示码P", "质控码QP", kPModes, kPQcModes},
    {'T', 2, 47, ModeRule::A, "B", "09A", "文件首部参数与气温方式位不符", kTemperature.name,
     kFileFatal, kTemperature.name, "指示码T", "质控码QT", kTModes},
    {'I', 3, 48, ModeRule::None, "", "", "", "", kFileFatal, kWetBulb.name, "指示码I", "质控码QI",
     kIModes},
    {'E', 4, 49, ModeRule::None, "", "", "", "", kFileFatal, kVapour.name, "指示码E", "质控码QE",
     kEModes},
    {'U', 5, 50, ModeRule::A, "B", "0279A", "文件首部参数与相对湿度方式位不符", kHumidity.name,
     kFileFatal, kHumidity.name, "指示码U", "质控码QU", kUModes},
    {'N', 6, 51, ModeRule::C, "", "09A", "文件首部参数与云量方式位不符", kTotalCloud.name,
     kFileFatal, kTotalCloud.name, "指示码N", "质控码QN", kNModes},
    {'H', 7, 52, ModeRule::C, "", "", "文件首部参数与实测云高方式位不符", kCloudHeight.name,
     kFileFatal, kCloudHeight.name, "指示码H", "质控码QH", kHModes},
    {'C', 8, 53, ModeRule::C, "", "", "文件首部参数与云状方式位不符", kCloudForm.name, kFileFatal,
     kCloudForm.name, "指示码C", "质控码QC", kCModes},
    {'V', 9, 54, ModeRule::V, "", "", "文件首部参数与能见度方式位不符", kVisibility.name,
     kFileFatal, kVisibility.name, "指示码V", "质控码QV", kVModes},
    {'R', 10, 55, ModeRule::None, "", "", "", "", kDataFatal, kFixedPrecip.name, "指示码R",
     "质控码QR", kRModes},
    {'W', 11, 56, ModeRule::C, "", "", "文件首部参数与天气现象方式位不符", kWeather.name,
     kDataFatal, kWeather.name, "指示码W", "质控码QW", kWModes},
    {'L', 12, 57, ModeRule::B, "AB", "", "文件首部参数与蒸发量方式位不符", "小型蒸发量",
     kDataFatal, "小型蒸发量", "指示码L", "质控码QL", kLModes},
    {'Z', 13, 58, ModeRule::C, "", "", "文件首部参数与积雪方式位不符", kSnow.name, kDataFatal,
     kSnow.name, "指示码Z", "质控码QZ", kZModes},
    {'G', 14, 59, ModeRule::C, "", "", "文件首部参数与电线积冰方式位不符", kWireIcing.name,
     kDataFatal, kWireIcing.name, "指示码G", "质控码QG", kGModes},
    {'F', 15, 60, ModeRule::Wind, "KN", "EH", "文件首部参数与定时风方式位不符", kFixedWind.name,
     kDataFatal, kFixedWind.name, "指示码F", "质控码QF", kFModes},
    {'D', 16, 61, ModeRule::B, "B", "", "文件首部参数与浅层地温方式位不符", kSurfaceTemp.name,
     kDataFatal, kSurfaceTemp.name, "指示码D", "质控码QD", kDModes},
    {'K', 17, 62, ModeRule::B, "B", "", "文件首部参数与深层地温方式位不符", "80cm地温",
     kDataFatal, "80cm地温", "指示码K", "质控码QK", kKModes},
    {'A', 18, 63, ModeRule::C, "", "", "文件首部参数与冻土深度方式位不符", kFrozenSoil.name,
     kDataFatal, kFrozenSoil.name, "指示码A", "质控码QA", kAModes},
    {'S', 19, 64, ModeRule::S, "", "", "文件首部参数与日照时数方式位不符", kSunshine.name,
     kDataFatal, kSunshine.name, "指示码S", "质控码QS", kSModes},
    {'B', 20, 65, ModeRule::Grass, "", "", "文件首部参数与草面(雪面)温度方式位不符", kGrassTemp.name,
     kDataFatal, kGrassTemp.name, "指示码B", "质控码QB", kBModes},
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

int RecordsPerLine(const BlockLayout& block, int ln) {
  switch (block.kind) {
    case BlockKind::Daily:
    case BlockKind::DeepGround:
    case BlockKind::HourlyWind:
      return block.count1;
    case BlockKind::Hourly:
      return ln == 0 ? block.count1 : block.count2;
    case BlockKind::Cloud:
      if (block.count1 == 1) return block.count2;
      return ln >= 0 && static_cast<size_t>(ln) < block.layout.size()
                 ? block.layout[static_cast<size_t>(ln)]
                 : 0;
    case BlockKind::WireIcing:
    case BlockKind::MaxWind:
    case BlockKind::Sunshine:
      return static_cast<int>(block.layout.size());
    case BlockKind::CrossMonth:
    case BlockKind::Weather:
      break;
  }
  return 0;
}

int RecordWidth(const BlockLayout& block, int i, bool instrumentVisibility) {
  if (!block.layout.empty())
    return i >= 1 && static_cast<size_t>(i) <= block.layout.size()
               ? block.layout[static_cast<size_t>(i - 1)]
               : 0;
  const bool timeApplies = block.instrumentWidth == 0 || instrumentVisibility;
  if (block.timeRecord != 0 && i == block.timeRecord && timeApplies) return 4;
  if (block.instrumentWidth != 0 && instrumentVisibility) return block.instrumentWidth;
  return block.width;
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
