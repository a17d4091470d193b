#include "host/html_report.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <string>
#include <unordered_map>

#include "common/audit_list.h"

namespace kelvane::host {

void AppendHtmlEscaped(std::string& out, std::string_view s) {
  for (char c : s) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      case '\0': break;  // no NUL in a page
      default: out += c; break;
    }
  }
}

std::string HtmlEscape(std::string_view s) {
  std::string out;
  out.reserve(s.size() + 8);
  AppendHtmlEscaped(out, s);
  return out;
}

namespace {

constexpr std::string_view kStyle = R"css(
body{font-family:sans-serif;margin:1em 2em;color:#222;background:#fff}
h1{font-size:1.4em}h2{font-size:1.15em;margin-top:2em;border-bottom:1px solid #bbb}
h3{font-size:1em;display:inline}
table{border-collapse:collapse;font-size:13px}
td,th{border:1px solid #ccc;padding:1px 4px;text-align:left;vertical-align:top}
th{background:#f2f2f2}
table.grid td{font-family:monospace;text-align:right;white-space:nowrap}
table.grid td.text{text-align:left;white-space:normal;min-width:30em}
table.grid tr>th:first-child{position:sticky;left:0;z-index:1}
.lv-e{background:#f8c6c6}.lv-s{background:#fbe7a8}
tr.finding{cursor:pointer}tr.finding:hover td{outline:1px solid #888}
.flag-e{background:#e04848;color:#fff;font-weight:bold}
.flag-s{background:#f0c040}
.pulse{outline:3px solid #2060d0}
.bar{display:inline-block;height:10px;vertical-align:middle}
.bar-e{background:#e04848}.bar-s{background:#f0c040}.bar-o{background:#999}
.filters{margin:.5em 0}.filters label{margin-right:1em}
.gridwrap{overflow-x:auto;margin:.3em 0 1em}
details{margin:.3em 0}
#tip{position:fixed;display:none;max-width:40em;background:#333;color:#fff;padding:4px 8px;
border-radius:3px;font-size:13px;white-space:pre-line;pointer-events:none;z-index:10}
.status-error{color:#b00000;font-weight:bold}
)css";

// Filters, hover and click: the page works without any of it; with it the
// level, element and day selectors hide rows, a flagged cell shows its
// findings under the pointer and a click on a finding scrolls to its cell.
constexpr std::string_view kScript = R"js(
(function(){
function applyFilters(sec){
  var lv=sec.querySelector('.flt-level').value,el=sec.querySelector('.flt-element').value,
      dy=sec.querySelector('.flt-day').value;
  var rows=sec.querySelectorAll('tr.finding');
  for(var i=0;i<rows.length;i++){
    var r=rows[i],ok=true,l=r.getAttribute('data-level');
    if(lv==='-'){ok=l==='';}else if(lv!==''){ok=l===lv;}
    if(ok&&el!=='')ok=r.getAttribute('data-element')===el;
    if(ok&&dy!=='')ok=r.getAttribute('data-day')===dy;
    r.style.display=ok?'':'none';
  }
}
document.addEventListener('change',function(ev){
  var t=ev.target;if(!t.classList||!t.classList.contains('flt'))return;
  var sec=t.closest('section');if(sec)applyFilters(sec);
});
var tip=document.getElementById('tip');
document.addEventListener('mouseover',function(ev){
  var c=ev.target.closest?ev.target.closest('[data-tip]'):null;
  if(!c){tip.style.display='none';return;}
  tip.textContent=c.getAttribute('data-tip');tip.style.display='block';
  var b=c.getBoundingClientRect();
  tip.style.left=Math.min(b.left,window.innerWidth-320)+'px';tip.style.top=(b.bottom+4)+'px';
});
document.addEventListener('click',function(ev){
  var r=ev.target.closest?ev.target.closest('tr.finding'):null;if(!r)return;
  var id=r.getAttribute('data-cell');if(!id)return;
  var c=document.getElementById(id);if(!c)return;
  var d=c.closest('details');if(d)d.open=true;
  c.scrollIntoView({block:'center',inline:'center'});
  c.classList.add('pulse');setTimeout(function(){c.classList.remove('pulse');},1500);
});
})();
)js";

std::string Num(size_t n) { return std::to_string(n); }

// Level class of a finding: "e" error, "s" suspicious, "" other.
std::string_view LevelClass(std::string_view level) {
  if (level == kLevelError) return "e";
  if (level == kLevelSuspicious) return "s";
  return "";
}

// A day or month number written as plain digits; 0 otherwise.
int SmallNumber(std::string_view s) {
  if (s.empty() || s.size() > 3) return 0;
  int n = 0;
  auto r = std::from_chars(s.data(), s.data() + s.size(), n);
  return r.ec == std::errc() && r.ptr == s.data() + s.size() ? n : 0;
}

// One table of values: rows (days, or the items of a year), columns with
// their labels, the element names findings use for it.
struct GridSpec {
  std::string title;
  std::vector<std::string_view> elements;
  std::vector<std::string> columns;
  std::vector<std::string> rowLabels;
  // cell(row, column) from 1; rows x columns.
  const StringArray* cells = nullptr;
  bool transposed = false;  // the array is (column, row)
  bool text = false;        // long texts (the weather of the day)
  int rowBase = 0;          // row r of the grid is row rowBase + r of the array

  std::string_view Cell(int row, int col) const {
    row += rowBase;
    const std::string* p = transposed ? cells->Find(col, row) : cells->Find(row, col);
    return p ? std::string_view(*p) : std::string_view();
  }
  bool Empty() const {
    for (size_t r = 1; r <= rowLabels.size(); ++r)
      for (size_t c = 1; c <= columns.size(); ++c) {
        std::string_view v = Cell(static_cast<int>(r), static_cast<int>(c));
        if (!v.empty() && v != "-") return false;
      }
    return true;
  }
};

std::string HourLabel(int c) {  // column 1..24 of an observation day: 21 ... 20
  return std::to_string(c <= 4 ? c + 20 : c - 4);
}

// Column labels of an A array of `width` columns.
std::vector<std::string> AColumns(const AFileArrayEntry<StringArray>& e, int width) {
  std::vector<std::string> out;
  auto named = [&](std::initializer_list<std::string_view> names) {
    for (std::string_view n : names) out.emplace_back(n);
  };
  using C = AFileColumns;
  if (e.columns == C::Columns || e.columns == C::List) {
    const std::string_view n = e.name;
    if (n == "strR") named({"20-8", "8-20", "20-20"});
    else if (n == "strZ") named({"雪深", "雪压"});
    else if (n == "strDYF") named({"最大", "最大时间", "极大", "极大时间"});
    else if (n == "strAA") named({"第一层上限", "第一层下限", "第二层上限", "第二层下限"});
    else if (n == "strG") named({"现象", "直径南北", "厚度南北", "重量南北", "直径东西", "厚度东西",
                                  "重量东西", "气温", "风"});
    else if (n == "strZJRR")
      for (int c = 1; c <= 24; ++c) out.push_back(std::to_string(c == 24 ? 20 : (c + 20) % 24));
    else if (n == "strZJFDFF")
      for (int c = 1; c <= 24; ++c) out.push_back(HourLabel(c));
    else if (n == "strZJSS") {
      for (int c = 1; c <= 24; ++c) out.push_back(std::to_string(c - 1) + "-" + std::to_string(c));
      named({"日出", "日落", "合计"});
    }
    while (static_cast<int>(out.size()) < width) out.push_back(out.empty() && width == 1 ? "" : Num(out.size() + 1));
    out.resize(static_cast<size_t>(width));
    return out;
  }
  const bool hourly = width >= 24;
  const int times = hourly ? 24 : (e.columns == C::DailyOrHourly || (e.columns == C::LargePan && width == 1)) ? 1 : 4;
  for (int c = 1; c <= std::min(times, width); ++c)
    out.push_back(times == 1 ? std::string("日值") : hourly ? HourLabel(c) : std::to_string(6 * c - 4));
  switch (e.columns) {
    case C::ExtremesWithTimes:
      if (width - times >= 4) named({"最高", "最高时", "最低", "最低时"});
      else named({"最高", "最低"});
      break;
    case C::Extremes: named({"最高", "最低"}); break;
    case C::MinimumWithTime:
    case C::Visibility: named({"最小", "最小时"}); break;
    case C::LargePan: named({"合计"}); break;
    default: break;
  }
  while (static_cast<int>(out.size()) < width) out.push_back(Num(out.size() + 1));
  out.resize(static_cast<size_t>(width));
  return out;
}

struct AGridName {
  std::string_view array;
  std::initializer_list<std::string_view> elements;  // first: the title
};
// Element names of the A arrays as the format check and the audits write
// them; the first one is the grid's title.
const AGridName kAGridNames[] = {
    {"strP", {"本站气压"}},
    {"strT", {"气温"}},
    {"strI", {"湿球温度"}},
    {"strE", {"水汽压"}},
    {"strU", {"相对湿度"}},
    {"strTD", {"露点温度"}},
    {"strNN", {"总云量"}},
    {"strNL", {"低云量"}},
    {"strCC", {"云状"}},
    {"strH", {"云高", "实测云高"}},
    {"strV", {"能见度"}},
    {"strR", {"降水量", "定时降水量"}},
    {"strw", {"天气现象"}},
    {"strFDFF", {"定时风", "风向风速"}},
    {"strD0", {"地面温度"}},
    {"strGLT", {"草面温度"}},
    {"strGE", {"地面状态"}},
    {"strD5", {"5cm地温", "5cm温度"}},
    {"strD10", {"10cm地温", "10cm温度"}},
    {"strD15", {"15cm地温", "15cm温度"}},
    {"strD20", {"20cm地温", "20cm温度"}},
    {"strD40", {"40cm地温", "40cm温度"}},
    {"strK8", {"80cm地温", "深层地温"}},
    {"strK16", {"160cm地温", "深层地温"}},
    {"strK32", {"320cm地温", "深层地温"}},
    {"strLE", {"小型蒸发", "蒸发量"}},
    {"strLL", {"大型蒸发", "蒸发量"}},
    {"strP0", {"海平面气压"}},
    {"strZ", {"积雪", "雪深", "雪压"}},
    {"strDYF", {"最大极大风", "最大风速", "极大风速"}},
    {"strAA", {"冻土深度"}},
    {"strG", {"电线积冰"}},
    {"strZJRR", {"小时降水量"}},
    {"strZJFDFF", {"十分钟风"}},
    {"strZJSS", {"日照时数"}},
};

std::vector<std::string> DayLabels(int days) {
  std::vector<std::string> out;
  for (int d = 1; d <= days; ++d) out.push_back(std::to_string(d));
  return out;
}

int Rows(const StringArray& a) { return a.IsAllocated() && a.Rank() == 2 ? static_cast<int>(a.UBound(1)) : 0; }
int Cols(const StringArray& a) { return a.IsAllocated() && a.Rank() == 2 ? static_cast<int>(a.UBound(2)) : 0; }

std::vector<GridSpec> AGrids(const DecodedAFile& a) {
  std::vector<GridSpec> out;
  for (const AGridName& n : kAGridNames) {
    for (const auto& e : kAFileArrayTable<>) {
      if (e.name != n.array) continue;
      const StringArray& arr = a.*(e.member);
      if (Rows(arr) < 1 || Cols(arr) < 1) break;
      GridSpec g;
      g.title = std::string(*n.elements.begin());
      g.elements.assign(n.elements.begin(), n.elements.end());
      g.columns = AColumns(e, Cols(arr));
      g.rowLabels = DayLabels(Rows(arr));
      g.cells = &arr;
      g.text = e.name == "strw";
      out.push_back(std::move(g));
      break;
    }
  }
  return out;
}

struct RGridName {
  std::string_view array, element;
  std::initializer_list<std::string_view> daily;  // labels of the groups after the 24 hours
};
const RGridName kRGridNames[] = {
    {"strRFileG", "总辐射", {"日总量", "日最大", "最大时", "日照时数"}},
    {"strRFileN", "净全辐射", {"日总量", "日最大", "最大时", "日最小", "最小时"}},
    {"strRFileD", "散射辐射", {"日总量", "日最大", "最大时"}},
    {"strRFileS", "直接辐射", {"日总量", "日最大", "最大时", "水平日总"}},
    {"strRFileR", "反射辐射", {"日总量", "日反射比", "日最大", "最大时"}},
};

std::vector<GridSpec> RGrids(const RFileArrays& r) {
  std::vector<GridSpec> out;
  for (const RGridName& n : kRGridNames) {
    for (const auto& e : kRFileArrayTable<>) {
      if (e.name != n.array) continue;
      const StringArray& arr = r.*(e.member);
      if (Rows(arr) < 1 || Cols(arr) < 1) break;
      GridSpec g;
      g.title = std::string(n.element);
      g.elements = {n.element};
      for (int c = 1; c <= std::min(24, Cols(arr)); ++c)
        g.columns.push_back(std::to_string(c - 1) + "-" + std::to_string(c));
      for (std::string_view d : n.daily)
        if (static_cast<int>(g.columns.size()) < Cols(arr)) g.columns.emplace_back(d);
      while (static_cast<int>(g.columns.size()) < Cols(arr)) g.columns.push_back(Num(g.columns.size() + 1));
      g.rowLabels = DayLabels(Rows(arr));
      g.cells = &arr;
      out.push_back(std::move(g));
      break;
    }
  }
  return out;
}

// The yearly items by element, as the Y arrays number them.
struct YRun {
  int last;
  std::string_view element;
};
constexpr YRun kYRuns[] = {
    {7, "本站气压"},      {8, "海平面气压"},     {24, "气温"},         {29, "水汽压"},
    {32, "相对湿度"},     {34, "平均云量"},      {40, "云量量别日数"}, {52, "降水量"},
    {60, "各级降水日数"}, {63, "连续降水日数"},  {65, "连续无降水日数"}, {67, "蒸发量"},
    {71, "雪深雪压"},     {83, "电线积冰"},      {108, "天气日数"},    {110, "最多风向"},
    {117, "风平均/最大/极大"}, {125, "地温"},    {130, "5-40cm地温"},  {133, "深层地温"},
    {141, "草面温度"},    {143, "冻土深度"},     {150, "日照时数"},
};

std::vector<GridSpec> YGrids(const YFileArrays& y) {
  std::vector<GridSpec> out;
  const StringArray& arr = y.strMonthYearS;
  if (Rows(arr) < 1 || Cols(arr) < 1) return out;
  int first = 1;
  for (const YRun& run : kYRuns) {
    if (first > Cols(arr)) break;
    GridSpec g;
    g.title = std::string(run.element);
    g.elements = {run.element};
    for (int m = 1; m <= 12; ++m) g.columns.push_back(std::to_string(m) + "月");
    g.columns.emplace_back("年");
    for (int i = first; i <= std::min(run.last, Cols(arr)); ++i) g.rowLabels.push_back(std::to_string(i));
    g.cells = &arr;
    g.transposed = true;
    g.rowBase = first - 1;
    out.push_back(std::move(g));
    first = run.last + 1;
  }
  return out;
}

// A flagged cell: its strongest level and the findings it shows.
struct Flag {
  int rank = 0;  // 2 error, 1 suspicious, 0 other
  std::string tip;
};

struct GridFlags {
  std::unordered_map<uint32_t, Flag> cells;  // row << 8 | column; column 0 the row head
  static uint32_t Key(int row, int col) { return static_cast<uint32_t>(row) << 8 | static_cast<uint32_t>(col); }
};

int Rank(std::string_view level) { return level == kLevelError ? 2 : level == kLevelSuspicious ? 1 : 0; }

bool SameLabel(std::string_view a, std::string_view b) {
  if (a == b) return true;
  // "02" and "2", "08" and "8": hour labels with or without the leading zero.
  const int x = SmallNumber(a), y = SmallNumber(b);
  return x > 0 && x == y && a.size() <= 2 && b.size() <= 2;
}

// Cells of a finding in one grid: (row, column) pairs, column 0 when the
// finding names a row but no column. Empty when it is not about the grid.
std::vector<std::pair<int, int>> CellsOf(const Finding& f, const GridSpec& g, char kind) {
  std::vector<std::pair<int, int>> out;
  if (std::find(g.elements.begin(), g.elements.end(), std::string_view(f.Element)) == g.elements.end())
    return out;
  const int rows = static_cast<int>(g.rowLabels.size());
  if (kind == 'Y') {
    // Day holds the month ("3", "3月") or "年..." for the year; every item of
    // the element's block is flagged in that column.
    const std::string_view d = f.Day;
    int col = SmallNumber(d);
    if (col == 0 && d.rfind("年", 0) == 0) col = 13;
    if (col == 0 && d.size() > 3 && d.substr(d.size() - 3) == "月")
      col = SmallNumber(d.substr(0, d.size() - 3));
    if (col < 1 || col > 13) col = 0;
    for (int r = 1; r <= rows; ++r) out.emplace_back(r, col);
    return out;
  }
  const int day = SmallNumber(f.Day);
  if (day < 1 || day > rows) return out;
  std::string_view rest = f.TimeOrItem;
  bool any = false;
  while (true) {
    const size_t slash = rest.find('/');
    const std::string_view part = rest.substr(0, slash);
    for (size_t c = 0; c < g.columns.size(); ++c)
      if (!part.empty() && SameLabel(part, g.columns[c])) {
        out.emplace_back(day, static_cast<int>(c + 1));
        any = true;
      }
    if (slash == std::string_view::npos) break;
    rest.remove_prefix(slash + 1);
  }
  if (!any) out.emplace_back(day, 0);
  return out;
}

std::string CellId(size_t file, size_t grid, int row, int col) {
  return "c" + Num(file) + "-" + Num(grid) + "-" + std::to_string(row) + "-" + std::to_string(col);
}

void AppendTip(std::string& tip, const Finding& f) {
  if (!tip.empty()) tip += '\n';
  tip += f.Level.empty() ? std::string("提示") : f.Level;
  tip += ": ";
  tip += f.Message;
  if (!f.RelatedItem.empty()) tip += " (" + f.RelatedItem + ")";
  if (!f.TimeOrItem.empty()) tip += " [" + f.TimeOrItem + "]";
}

void AppendFlagAttrs(std::string& out, const Flag* flag, const std::string& id) {
  if (!flag) return;
  out += " id=\"";
  out += id;
  out += "\" class=\"flag-";
  out += flag->rank == 2 ? "e" : flag->rank == 1 ? "s" : "o";
  out += "\" data-tip=\"";
  AppendHtmlEscaped(out, flag->tip);
  out += '"';
}

// One grid as a table, inside a details block that is open when the grid
// has flagged cells.
void AppendGrid(std::string& out, const GridSpec& g, const GridFlags& flags, size_t file,
                size_t grid) {
  out += flags.cells.empty() ? "<details>" : "<details open>";
  out += "<summary><h3>";
  AppendHtmlEscaped(out, g.title);
  out += "</h3>";
  if (!flags.cells.empty()) out += " (" + Num(flags.cells.size()) + " flagged)";
  out += "</summary><div class=\"gridwrap\"><table class=\"grid\" data-element=\"";
  AppendHtmlEscaped(out, g.title);
  out += "\"><tr><th>";
  out += g.transposed ? "项" : "日";
  out += "</th>";
  for (const std::string& c : g.columns) {
    out += "<th>";
    AppendHtmlEscaped(out, c);
    out += "</th>";
  }
  out += "</tr>\n";
  const int rows = static_cast<int>(g.rowLabels.size());
  for (int r = 1; r <= rows; ++r) {
    out += "<tr><th";
    auto head = flags.cells.find(GridFlags::Key(r, 0));
    AppendFlagAttrs(out, head == flags.cells.end() ? nullptr : &head->second, CellId(file, grid, r, 0));
    out += '>';
    AppendHtmlEscaped(out, g.rowLabels[static_cast<size_t>(r - 1)]);
    out += "</th>";
    for (int c = 1; c <= static_cast<int>(g.columns.size()); ++c) {
      auto it = flags.cells.find(GridFlags::Key(r, c));
      out += "<td";
      if (it != flags.cells.end()) {
        AppendFlagAttrs(out, &it->second, CellId(file, grid, r, c));
      } else if (g.text) {
        out += " class=\"text\"";
      }
      out += '>';
      AppendHtmlEscaped(out, g.Cell(r, c));
      out += "</td>";
    }
    out += "</tr>\n";
  }
  out += "</table></div></details>\n";
}

void AppendOptions(std::string& out, const std::vector<std::string>& values) {
  for (const std::string& v : values) {
    out += "<option value=\"";
    AppendHtmlEscaped(out, v);
    out += "\">";
    AppendHtmlEscaped(out, v);
    out += "</option>";
  }
}

}  // namespace

std::string HtmlPage(std::string_view title, std::string_view body) {
  std::string out;
  out.reserve(body.size() + kStyle.size() + kScript.size() + 512);
  out += "<!DOCTYPE html>\n<html lang=\"zh\"><head><meta charset=\"utf-8\">\n<title>";
  AppendHtmlEscaped(out, title);
  out += "</title>\n<style>";
  out += kStyle;
  out += "</style></head><body>\n<div id=\"tip\"></div>\n";
  out += body;
  out += "\n<script>";
  out += kScript;
  out += "</script></body></html>\n";
  return out;
}

std::string HtmlReport::AddFile(const FileResult& r, const std::string& href) {
  const size_t n = files_.size() + 1;
  FileRow row;
  row.file = r.file;
  row.href = href;
  row.kind = r.kind;
  row.usable = r.usable;
  row.status = r.status.ok() ? std::string("ok") : r.status.description();
  for (const Finding& f : r.findings) {
    ElementCount& e = elements_[f.Element];
    const int rank = Rank(f.Level);
    (rank == 2 ? row.errors : rank == 1 ? row.suspicious : row.other)++;
    (rank == 2 ? e.errors : rank == 1 ? e.suspicious : e.other)++;
  }

  // The grids of the decoded values and the cells each finding points at.
  std::vector<GridSpec> grids;
  if (r.aArrays) grids = AGrids(*r.aArrays);
  if (r.rArrays) grids = RGrids(*r.rArrays);
  if (r.yArrays) grids = YGrids(*r.yArrays);
  std::vector<GridFlags> flags(grids.size());
  std::vector<std::string> target(r.findings.size());
  for (size_t i = 0; i < r.findings.size(); ++i) {
    const Finding& f = r.findings[i];
    for (size_t g = 0; g < grids.size(); ++g) {
      for (auto [row, col] : CellsOf(f, grids[g], r.kind)) {
        Flag& fl = flags[g].cells[GridFlags::Key(row, col)];
        fl.rank = std::max(fl.rank, Rank(f.Level));
        AppendTip(fl.tip, f);
        if (target[i].empty()) target[i] = CellId(n, g, row, col);
      }
    }
  }

  std::string out;
  out.reserve(4096 + r.findings.size() * 200);
  out += "<section class=\"file\" id=\"f" + Num(n) + "\" data-file=\"";
  AppendHtmlEscaped(out, r.file);
  out += "\">\n<h2>";
  AppendHtmlEscaped(out, r.file);
  out += "</h2>\n<p>";
  out += r.kind == 'A' ? "A 文件" : r.kind == 'R' ? "R 文件" : r.kind == 'Y' ? "Y 文件" : "?";
  if (!r.status.ok()) {
    out += " · <span class=\"status-error\">error: ";
    AppendHtmlEscaped(out, r.status.description());
    out += "</span>";
  } else {
    out += r.usable ? " · usable" : " · not usable";
  }
  out += " · " + Num(row.errors) + " 错误 · " + Num(row.suspicious) + " 可疑";
  if (row.other) out += " · " + Num(row.other) + " other";
  out += "</p>\n";

  if (!r.findings.empty()) {
    std::vector<std::string> elements, days;
    for (const Finding& f : r.findings) {
      elements.push_back(f.Element);
      days.push_back(f.Day);
    }
    auto uniq = [](std::vector<std::string>& v, bool numeric) {
      std::sort(v.begin(), v.end(), [numeric](const std::string& a, const std::string& b) {
        if (numeric) {
          const int x = SmallNumber(a), y = SmallNumber(b);
          if (x != y) return x < y;
        }
        return a < b;
      });
      v.erase(std::unique(v.begin(), v.end()), v.end());
    };
    uniq(elements, false);
    uniq(days, true);
    out += "<div class=\"filters\"><label>Level <select class=\"flt flt-level\"><option value=\"\">all</option>"
           "<option value=\"错误\">错误</option><option value=\"可疑\">可疑</option>"
           "<option value=\"-\">other</option></select></label>"
           "<label>Element <select class=\"flt flt-element\"><option value=\"\">all</option>";
    AppendOptions(out, elements);
    out += "</select></label><label>Day <select class=\"flt flt-day\"><option value=\"\">all</option>";
    AppendOptions(out, days);
    out += "</select></label></div>\n";
    out += "<table class=\"findings\"><thead><tr><th>Level</th><th>Message</th><th>Element</th>"
           "<th>RelatedItem</th><th>Day</th><th>TimeOrItem</th><th>Line</th></tr></thead><tbody>\n";
    for (size_t i = 0; i < r.findings.size(); ++i) {
      const Finding& f = r.findings[i];
      out += "<tr class=\"finding";
      const std::string_view lc = LevelClass(f.Level);
      if (!lc.empty()) {
        out += " lv-";
        out += lc;
      }
      out += "\" data-level=\"";
      AppendHtmlEscaped(out, f.Level);
      out += "\" data-element=\"";
      AppendHtmlEscaped(out, f.Element);
      out += "\" data-day=\"";
      AppendHtmlEscaped(out, f.Day);
      out += "\" data-cell=\"" + target[i] + "\">";
      for (const std::string* v : {&f.Level, &f.Message, &f.Element, &f.RelatedItem, &f.Day,
                                   &f.TimeOrItem, &f.Line}) {
        out += "<td>";
        AppendHtmlEscaped(out, *v);
        out += "</td>";
      }
      out += "</tr>\n";
    }
    out += "</tbody></table>\n";
  } else if (r.status.ok()) {
    out += "<p>no findings</p>\n";
  }

  for (size_t g = 0; g < grids.size(); ++g) {
    if (flags[g].cells.empty() && grids[g].Empty()) continue;  // an element the file does not carry
    AppendGrid(out, grids[g], flags[g], n, g);
  }
  out += "</section>\n";
  files_.push_back(std::move(row));
  return out;
}

std::string HtmlReport::Overview() const {
  std::string out;
  size_t errors = 0, suspicious = 0, other = 0, failed = 0, withErrors = 0;
  for (const FileRow& f : files_) {
    errors += f.errors;
    suspicious += f.suspicious;
    other += f.other;
    if (f.status != "ok") ++failed;
    if (f.errors) ++withErrors;
  }
  out += "<section id=\"overview\"><h1>Kelvane report</h1>\n<p>" + Num(files_.size()) +
         " files · " + Num(withErrors) + " with errors · " + Num(errors) + " 错误 · " +
         Num(suspicious) + " 可疑";
  if (other) out += " · " + Num(other) + " other";
  if (failed) out += " · <span class=\"status-error\">" + Num(failed) + " could not be checked</span>";
  out += "</p>\n";
  if (!elements_.empty()) {
    size_t most = 1;
    for (const auto& [name, c] : elements_) most = std::max(most, c.errors + c.suspicious + c.other);
    out += "<h2>Findings by element</h2>\n<table class=\"elements\"><tr><th>Element</th><th>错误</th>"
           "<th>可疑</th><th>other</th><th></th></tr>\n";
    auto bar = [&](const char* cls, size_t count) {
      if (count == 0) return;
      out += "<span class=\"bar ";
      out += cls;
      out += "\" style=\"width:" + Num(std::max<size_t>(1, count * 300 / most)) + "px\"></span>";
    };
    for (const auto& [name, c] : elements_) {
      out += "<tr><td>";
      AppendHtmlEscaped(out, name.empty() ? std::string("(none)") : name);
      out += "</td><td>" + Num(c.errors) + "</td><td>" + Num(c.suspicious) + "</td><td>" +
             Num(c.other) + "</td><td>";
      bar("bar-e", c.errors);
      bar("bar-s", c.suspicious);
      bar("bar-o", c.other);
      out += "</td></tr>\n";
    }
    out += "</table>\n";
  }
  out += "<h2>Files</h2>\n<table class=\"files\"><tr><th>File</th><th>Kind</th><th>Status</th>"
         "<th>错误</th><th>可疑</th><th>other</th></tr>\n";
  for (const FileRow& f : files_) {
    out += "<tr";
    if (f.errors) out += " class=\"lv-e\"";
    else if (f.suspicious) out += " class=\"lv-s\"";
    out += "><td><a href=\"";
    AppendHtmlEscaped(out, f.href);
    out += "\">";
    AppendHtmlEscaped(out, f.file);
    out += "</a></td><td>";
    out += f.kind;
    out += "</td><td>";
    if (f.status == "ok") {
      out += f.usable ? "usable" : "not usable";
    } else {
      out += "<span class=\"status-error\">";
      AppendHtmlEscaped(out, f.status);
      out += "</span>";
    }
    out += "</td><td>" + Num(f.errors) + "</td><td>" + Num(f.suspicious) + "</td><td>" +
           Num(f.other) + "</td></tr>\n";
  }
  out += "</table></section>\n";
  return out;
}

}  // namespace kelvane::host
