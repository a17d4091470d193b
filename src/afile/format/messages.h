// The fixed texts of the A-file format check findings. Each text lives here
// once (the segment-specific ones live in afile/segment_table.cpp), so a
// search for a finding's words lands on its definition and from there on
// the one rule that emits it.
#pragma once

#include <string_view>

namespace kelvane::afile::msg {

using T = std::string_view;

// ---- name and header
inline constexpr T kHeaderPattern = "数据格式错误,无法对参数进行格式检查";
inline constexpr T kHeaderStation = "文件首部参数中的区站号与文件名不一致";
inline constexpr T kHeaderYear = "文件首部参数中的年与文件名不一致";
inline constexpr T kHeaderMonth = "文件首部参数中的月与文件名不一致";
inline constexpr T kNameMode = "文件名格式与文件首部参数观测方式不符";

// ---- data blocks (daily, hourly, hourly wind, cloud)
inline constexpr T kIllegalEnd = "记录非法结束";
inline constexpr T kNoMonthEnd = "月末数据无结束符(=)";
inline constexpr T kNoDayEnd = "日末数据无结束符(.)";
inline constexpr T kTooFewLines = "记录行数不够";
inline constexpr T kRecordCount = "记录个数不正确";
inline constexpr T kRecordWidth = "记录长度不正确";
inline constexpr T kRecordForm = "其中有某一记录格式错误";
inline constexpr T kCloudNoTimeEnd = "时次记录结束后无结束符";
// The same findings as the maximum wind, deep ground, wire icing, sunshine
// and cross-month parsers word them (with a trailing blank).
inline constexpr T kIllegalEndB = "记录非法结束 ";
inline constexpr T kNoMonthEndB = "月末数据无结束符(=) ";
inline constexpr T kTooFewLinesB = "记录行数不够 ";
inline constexpr T kRecordCountB = "记录个数不正确 ";
inline constexpr T kRecordWidthB = "记录长度不正确 ";
inline constexpr T kRecordFormB = "其中有某一记录格式错误 ";
// Weather lines.
inline constexpr T kDayEndMark = "日结束符不正确";

// ---- cross-month precipitation
inline constexpr T kCrossMonthElement = "跨月降水量";
inline constexpr T kCrossMonthForm = "记录格式不正确";
inline constexpr T kCrossMonthDatePrefix = "上跨日期与上月A文件(";
inline constexpr T kCrossMonthSumPrefix = "上跨降水量与上月A文件(";
inline constexpr T kCrossMonthSuffix = ")不符";

// ---- markers and quality-control section
inline constexpr T kDataEndMarker = "观测数据部分结束符记录格式错误";
inline constexpr T kQcEndMarker = "质量控制码段结束符记录格式错误";
inline constexpr T kQcModeMismatch = "与观测数据段方式位不一致";
inline constexpr T kQcIllegalEnd = "质量控制段记录非法结束";
inline constexpr T kQcNotMatching = "质量控制段与观测数据部分不对应";
inline constexpr T kQcNoMonthEnd = "质量控制段月末数据无结束符(=)";
inline constexpr T kQcTooFewLines = "质量控制段记录行数不够";
inline constexpr T kQcRecordCount = "质量控制段记录个数不正确";
inline constexpr T kQcRecordWidth = "质量控制段记录长度不正确";
inline constexpr T kQcRecordForm = "质量控制段中有一记录格式错误";

// ---- corrections
inline constexpr T kCorrection = "更正数据格式错误";
inline constexpr T kCorrectionNoEnd = "最后一更正数据后漏等于符号(=)";

// ---- cover
inline constexpr T kCoverArchive = "封面档案号格式错误";
inline constexpr T kCoverProvince = "封面省名格式错误";
inline constexpr T kCoverStation = "封面台站名格式错误";
inline constexpr T kCoverAddress = "封面台站地址格式错误";
inline constexpr T kCoverEnvironment = "封面地理环境格式错误";
inline constexpr T kCoverName = "封面有关姓名格式错误";
inline constexpr T kCoverDate = "封面传输日期格式错误";

// ---- summary, climate outline, remarks
inline constexpr T kSummaryForm = "纪要数据格式错误";
inline constexpr T kSummaryCode = "纪要项目标识码格式错误";
inline constexpr T kSummaryDate = "纪要项目日期格式错误";
inline constexpr T kSummaryEmpty = "纪要内容不能为空";
inline constexpr T kOutlineForm = "气候概况数据格式错误";
inline constexpr T kOutlineCode = "气候概况项目标识码格式错误";
inline constexpr T kOutlineEmpty = "气候概况内容不能为空";
inline constexpr T kOutlineMissing = "漏输主要天气气候特点或(和)天气气候综合评价";
inline constexpr T kRemarkForm = "备注数据格式错误";
inline constexpr T kRemarkCode = "备注项目标识码格式错误";
inline constexpr T kRemarkDate = "备注项目日期格式错误";
inline constexpr T kRemarkEmpty = "备注内容不能为空";
inline constexpr T kRemarkDutyMissing = "漏输观测时间或(和)守班情况";

// ---- file end
inline constexpr T kFileEndMark = "数据文件结束标志错误";
inline constexpr T kFileEndExtra = "数据文件尾部有多余记录";

}  // namespace kelvane::afile::msg

namespace kelvane::afile::names {

// Element and item names of the findings outside the data segments.
inline constexpr std::string_view kHeader = "文件首部";
inline constexpr std::string_view kParameter = "参数";
inline constexpr std::string_view kObservationMode = "观测方式";
inline constexpr std::string_view kDataEnd = "数据段结束";
inline constexpr std::string_view kControlEnd = "控制段结束";
inline constexpr std::string_view kMarker = "标识";
inline constexpr std::string_view kCorrections = "更正数据";
inline constexpr std::string_view kCover = "封面";
inline constexpr std::string_view kSummary = "纪要";
inline constexpr std::string_view kOutline = "气候概况";
inline constexpr std::string_view kRemarks = "备注";
inline constexpr std::string_view kFileEnd = "文件结束";
inline constexpr std::string_view kIndicator = "指示码";

}  // namespace kelvane::afile::names
