// Block parsers of the data section: line counts, day and month end marks,
// record counts, record widths and record forms.
#include "afile/format/messages.h"
#include "afile/format/record_scan.h"
#include "afile/format/sections.h"
#include "common/text.h"

namespace kelvane::afile {

namespace {

// The six findings of a block parser, in the wording of that parser.
struct Messages {
  std::string_view illegalEnd, noMonthEnd, tooFewLines, recordCount, recordWidth, recordForm;
};
constexpr Messages kPlain{msg::kIllegalEnd,  msg::kNoMonthEnd,   msg::kTooFewLines,
                          msg::kRecordCount, msg::kRecordWidth, msg::kRecordForm};
constexpr Messages kBlank{msg::kIllegalEndB,  msg::kNoMonthEndB,   msg::kTooFewLinesB,
                          msg::kRecordCountB, msg::kRecordWidthB, msg::kRecordFormB};

// Findings of one block: the day goes into Day, or into TimeOrItem for the
// parsers that report it there.
struct Reporter {
  FormContext& cx;
  std::string_view element;
  bool dayInTime;
  const Messages& m;

  void Add(std::string_view message, int day) {
    const std::string d = Num(day);
    if (dayInTime)
      cx.Add(message, element, "", "", d);
    else
      cx.Add(message, element, "", d, "");
  }
  [[noreturn]] void Fatal(std::string_view message, int day) {
    const std::string d = Num(day);
    if (dayInTime) cx.Fatal(message, element, "", d);
    cx.Fatal(message, element, d, "");
  }
};

// ---- record forms

bool WellFormed(RecordForm rule, std::string_view r, int width) {
  switch (rule) {
    case RecordForm::Generic:
      return (IsDecimal(r) ||
              (static_cast<int>(r.size()) == width && (IsRunOf(r, '/') || IsRunOf(r, ',')))) &&
             !EndsWith(r, '-');
    case RecordForm::WetBulb:
      return IsDecimal(r) || StartsWith(r, ',') || r == "////";
    case RecordForm::Humidity:
      return IsDecimal(r) || IsRunOf(r, '/') || r == "%%";
    case RecordForm::HourlyPrecip:
      if (r == "A---" || r == "----") return true;
      [[fallthrough]];
    case RecordForm::FixedPrecip:
      return IsDecimal(r) || StartsWith(r, ';') || StartsWith(r, ':') || r == "////" ||
             r == ",,,,";
    case RecordForm::HourlyEvaporation:
      return IsDecimal(r) || r == "///" || r == "---" || r == ",,,";
    case RecordForm::DeepGround:
      return IsDecimal(r) || r == "////";
    case RecordForm::None:
      break;
  }
  return true;
}

// Count, widths and forms of the records of one line (end marks already
// removed). The last record is the rest of the line.
void CheckRecords(Reporter& rep, int day, std::string_view body, int expected,
                  const BlockLayout& block, bool instrumentVisibility) {
  if (CountBlanks(body) + 1 != expected) rep.Add(rep.m.recordCount, day);
  const char* p = body.data();
  const char* const end = p + body.size();
  for (int i = 1; i <= expected; ++i) {
    const ScannedRecord rec = ScanRecord(p, end, i == expected);
    const int width = RecordWidth(block, i, instrumentVisibility);
    if (static_cast<int>(rec.chars) != width) rep.Add(rep.m.recordWidth, day);
    // A run of digits, the usual record, is well formed in every form.
    if (!rec.digits && !WellFormed(block.form, rec.text, width)) rep.Add(rep.m.recordForm, day);
    if (!rec.more) break;
  }
}

// The header's visibility flag (AFileClass 9) says an instrument measures it.
bool InstrumentVisibility(const FormContext& cx) { return cx.header.flag[9] == '1'; }

bool IsAbsentMark(std::string_view line) { return line == "=" || line == "0="; }

// ---- one line per day: daily blocks and the single-line special blocks

struct LineStyle {
  const Messages& m;
  bool dayInTime;
  bool allowAbsent;
};

bool ParseLinePerDay(FormContext& cx, const BlockLayout& block, const LineStyle& style) {
  Reporter rep{cx, block.element, style.dayInTime, style.m};
  std::string separatorsRemoved;
  for (int d = 1; d <= cx.days; ++d) {
    std::string_view line;
    if (!cx.Next(line)) rep.Fatal(style.m.illegalEnd, d);
    if (d == 1 && style.allowAbsent && IsAbsentMark(line)) return false;
    std::string_view work = line;
    if (d == cx.days && !EndsWith(line, '=')) {
      work = DropLastChar(work);
      rep.Add(style.m.noMonthEnd, d);
    }
    if (d < cx.days && EndsWith(line, '=')) rep.Fatal(style.m.tooFewLines, d);
    std::string_view body = RemoveChars(work, "=", cx.scratch);
    if (block.kind == BlockKind::DeepGround) {
      // Day and section marks written after a blank are not records.
      separatorsRemoved.clear();
      for (size_t i = 0; i < body.size(); ++i) {
        if (body[i] == ' ' && i + 1 < body.size() && (body[i + 1] == ';' || body[i + 1] == '.')) {
          ++i;
          continue;
        }
        separatorsRemoved.push_back(body[i]);
      }
      body = separatorsRemoved;
    }
    CheckRecords(rep, d, body, RecordsPerLine(block, 0), block, InstrumentVisibility(cx));
  }
  return true;
}

// ---- several lines per day: hourly blocks (2 lines) and hourly wind (4)

bool ParseLinesPerDay(FormContext& cx, const BlockLayout& block, int linesPerDay) {
  Reporter rep{cx, block.element, false, kPlain};
  for (int d = 1; d <= cx.days; ++d) {
    for (int ln = 1; ln <= linesPerDay; ++ln) {
      std::string_view line;
      if (!cx.Next(line)) rep.Fatal(kPlain.illegalEnd, d);
      if (d == 1 && ln == 1 && IsAbsentMark(line)) return false;
      const bool monthEnd = d == cx.days && ln == linesPerDay;
      if (!monthEnd && EndsWith(line, '=')) rep.Fatal(kPlain.tooFewLines, d);
      std::string_view work = line;
      if (ln == linesPerDay && !monthEnd && !EndsWith(line, '.')) {
        rep.Add(msg::kNoDayEnd, d);
        work = DropLastChar(work);
      }
      if (monthEnd && !EndsWith(line, '=')) {
        rep.Add(kPlain.noMonthEnd, d);
        work = DropLastChar(work);
      }
      CheckRecords(rep, d, RemoveChars(work, "=.", cx.scratch), RecordsPerLine(block, ln - 1),
                   block, InstrumentVisibility(cx));
    }
  }
  return true;
}

// ---- cloud height and cloud form: records per observation time separated
// by ",", one line per day or four lines per day (24 hourly records)

bool ParseCloudBlock(FormContext& cx, const BlockLayout& block) {
  Reporter rep{cx, block.element, true, kPlain};
  const int k = block.count1;
  for (int d = 1; d <= cx.days; ++d) {
    for (int ln = 1; ln <= k; ++ln) {
      std::string_view line;
      if (!cx.Next(line)) rep.Fatal(kPlain.illegalEnd, d);
      const bool monthEnd = d == cx.days && ln == k;
      if (!monthEnd && EndsWith(line, '=')) rep.Fatal(kPlain.tooFewLines, d);
      std::string_view work = line;
      if (k == 4 && ln == 4 && !monthEnd && !EndsWith(line, '.')) {
        rep.Add(msg::kNoDayEnd, d);
        work = DropLastChar(work);
      }
      if (monthEnd && !EndsWith(line, '=')) rep.Add(kPlain.noMonthEnd, d);
      std::string_view body = RemoveChars(work, "=.", cx.scratch);
      if (EndsWith(body, ','))
        body.remove_suffix(1);
      else
        rep.Add(msg::kCloudNoTimeEnd, d);
      const int expected = RecordsPerLine(block, ln - 1);
      int commas = 0;
      for (char c : body) commas += c == ',';
      if (commas + 1 != expected) rep.Add(kPlain.recordCount, d);
      // A record of m blank-separated items: at most width*m - 1 characters.
      size_t start = 0;
      while (start <= body.size()) {
        size_t end = body.find(',', start);
        if (end == std::string_view::npos) end = body.size();
        const std::string_view rec = body.substr(start, end - start);
        if (!rec.empty() &&
            static_cast<long>(CharCount(rec)) > static_cast<long>(block.width) *
                                                        (CountBlanks(rec) + 1) - 1)
          rep.Add(kPlain.recordWidth, d);
        start = end + 1;
      }
    }
  }
  return true;
}

// ---- weather phenomena: one line of free text per day; its content is
// checked by the weather audit

bool ParseWeatherLines(FormContext& cx, const SegmentLayout& seg, const BlockLayout& block) {
  for (int d = 1; d <= cx.days; ++d) {
    std::string_view line;
    if (!cx.Next(line)) cx.Fatal(seg.fatalMessage, seg.fatalElement, "", seg.indicatorName);
    if (line == "0=") return d != 1;
    if (d < cx.days && EndsWith(line, '=')) {
      cx.Add(msg::kTooFewLines, block.element, "", Num(d), "");
      return true;
    }
    if ((d < cx.days && !EndsWith(line, '.')) || (d == cx.days && !EndsWith(line, '=')))
      cx.Add(msg::kDayEndMark, block.element, "", Num(d), "");
  }
  return true;
}

}  // namespace

bool ParseBlock(FormContext& cx, const SegmentLayout& seg, const BlockLayout& block) {
  switch (block.kind) {
    case BlockKind::Daily:
      return ParseLinePerDay(cx, block, {kPlain, false, true});
    case BlockKind::Hourly:
      return ParseLinesPerDay(cx, block, LinesPerDay(block));
    case BlockKind::HourlyWind:
      return ParseLinesPerDay(cx, block, LinesPerDay(block));
    case BlockKind::MaxWind:
      return ParseLinePerDay(cx, block, {kBlank, true, true});
    case BlockKind::WireIcing:
    case BlockKind::Sunshine:
    case BlockKind::DeepGround:
      return ParseLinePerDay(cx, block, {kBlank, true, false});
    case BlockKind::Cloud:
      return ParseCloudBlock(cx, block);
    case BlockKind::CrossMonth:
      ParseCrossMonthPrecipitation(cx);
      return true;
    case BlockKind::Weather:
      return ParseWeatherLines(cx, seg, block);
  }
  return true;
}

}  // namespace kelvane::afile
