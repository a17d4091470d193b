#!/usr/bin/env python3
"""Every finding the R-file check and audit can give is produced by a test.

The list below names each finding of the R-file format check and audit by
its Message (a regular expression where the text has a variable part), the
Element it is reported with and, where one message has several meanings, its
RelatedItem, TimeOrItem or Level. A finding counts as tested when a test
expects a whole seven-column row with it ("Message | Element | RelatedItem |
Day | TimeOrItem | Line | Level") in tests/test_rfile*.cpp,
tests/test_sample_rfile*.cpp or an end-to-end case under tests/cases.

The list is also checked against the sources: every Chinese text literal in
src/rfile that is neither a column value nor part of a listed message fails
the run, so that a new message cannot go without its test.

Usage: rfile_message_coverage.py REPO_ROOT   (exit 1 and a list when a
finding has no test).
"""
import glob
import os
import re
import sys

ANY = None  # the column is not pinned

SEGMENTS = ["作用层", "总辐射", "净全辐射", "散射辐射", "直接辐射", "反射辐射"]
HOURLY = SEGMENTS[1:]
INSTRUMENTS = ["总辐射表", "净全辐射表", "散射辐射表", "直接辐射表", "反射辐射表", "记录器"]
INSTRUMENT_NAME = "(" + "|".join(INSTRUMENTS) + ")"


def need(message, element, related=ANY, item=ANY, level=ANY, regex=False):
    return {
        "message": message if regex else re.escape(message),
        "element": element,
        "related": related,
        "item": item,
        "level": level,
    }


def format_findings():
    f = []
    head = "文件首部"
    for m in ["文件首部参数中的区站号与文件名不一致", "文件首部参数中的年与文件名不一致",
              "文件首部参数中的月与文件名不一致", "数据格式错误,无法对参数进行格式检查"]:
        f.append(need(m, head, item="参数"))
    for related in ["纬度", "经度", "观测场高", "辐射站类别"]:
        f.append(need("文件首部参数与台站参数表不符", head, related=related))
    # Identifiers of the data part and of the quality-control part.
    for letter, element in zip("ZQNDSR", SEGMENTS):
        f.append(need("项目识别符不正确,无法继续审核", element, item="指示码" + letter))
        f.append(need("项目识别符不正确,无法继续审核", element, item="质控码Q" + letter))
    f.append(need("数据无月结束符(=)", "作用层"))
    f.append(need("记录个数不正确", "作用层"))
    f.append(need("质控段数据无月结束符(=)", "作用层"))
    f.append(need("质控段记录个数不正确", "作用层"))
    # The hourly-segment reader, for every segment it reads.
    for e in HOURLY:
        for m in ["月末数据无结束符(=)", "记录行数不够", "记录个数不正确", "记录长度不正确",
                  "其中有某一记录格式错误"]:
            f.append(need(m, e))
        if e != "净全辐射":
            f.append(need(r"该时在日出至日落时间\([0-9.]+-[0-9.]+\)外,却有记录:.*", e,
                          regex=True))
            f.append(need(r"该时在日出日落时间\([0-9.]+-[0-9.]+\)以内,记录却为“\.*”", e,
                          regex=True))
        for m in ["质量控制段记录非法结束", "质量控制段月末数据无结束符(=)", "质量控制段记录行数不够",
                  "质量控制段记录个数不正确", "质量控制段记录长度不正确",
                  "质量控制段中有一记录格式错误"]:
            f.append(need(m, e))
    # End of file wherever a line is read (the correction records test the
    # end of the file first and stop with their own finding).
    for e in SEGMENTS + ["数据段结束", "控制段结束", "封面", "仪器类型性能", "总辐射表",
                         "记录器", "场地周围环境变化", "备注"]:
        f.append(need("记录非法结束", e))
    f.append(need("观测数据部分结束符记录格式错误", "数据段结束", item="标识"))
    f.append(need("质量控制码段结束符记录格式错误", "控制段结束", item="标识"))
    for m in ["更正数据格式错误,无法继续审核", "最后一更正数据后漏等于符号(=)", "更正数据格式错误"]:
        f.append(need(m, "更正数据"))
    # Cover.
    cover = "封面"
    f.append(need("数据文件格式错误,无法继续审核", cover, item="指示码"))
    for m in ["封面档案号格式错误", "封面省名格式错误", "封面台站名格式错误", "封面台站地址格式错误",
              "封面地理环境格式错误", "封面总、散、直表高度格式错误", "封面净、反表高度格式错误",
              "封面传输日期格式错误"]:
        f.append(need(m, cover, level="错误"))
    for k in "总散直净反":
        f.append(need("封面" + k + "表高度格式错误", cover, level="错误"))
        f.append(need("封面" + k + "表高度与台站参数表不符", cover, level="可疑"))
    for role in ["台站长", "输入", "校对", "预审", "审核", "传输"]:
        f.append({**need("封面有关姓名格式错误", cover), "day": role})
    # Instruments.
    f.append(need("仪器类型性能格式错误,无法继续审核", "仪器类型性能", item="指示码"))
    for n in INSTRUMENTS:
        f.append(need(n + "类型格式错误,无法继续审核", n, item="指示码"))
    for suffix in ["类型数据组数错误", "类型型号组位长错误", "类型号码组位长错误", "类型号码应全为数值",
                   "类型灵敏度组位长错误", "类型灵敏度应全为数值", "类型响应时间组位长错误",
                   "类型响应时间应全为数值", "类型电阻组位长错误", "类型电阻应全为数值",
                   "类型检定时间组位长错误", "类型检定时间日期非法", "类型启用时间组位长错误",
                   "类型启用时间日期非法", "类型启用时间与检定时间矛盾"]:
        f.append(need(INSTRUMENT_NAME + re.escape(suffix), INSTRUMENT_NAME, level="错误",
                      regex=True))
    f.append(need(INSTRUMENT_NAME + r"已超检[1-9][0-9]*天", INSTRUMENT_NAME, level="",
                  regex=True))
    # Surroundings and remarks.
    f.append(need("格式错误,无法继续审核", "场地周围环境变化", item="指示码"))
    f.append(need("标识码格式错误", "场地周围环境变化"))
    f.append(need("格式错误,无法继续审核", "备注", item="指示码"))
    f.append(need("日期标识码格式错误", "备注"))
    return f


def audit_findings():
    f = [need("无适合本站的审核规则库,不能进行数据审核", "全月", level="")]
    # The common pattern, for every element.
    for e in HOURLY:
        f.append(need("时总量偏大", e, item=r"\d+-\d+"))
        f.append(need("记录格式错误", e))
        f.append(need("该时总量不应记“-”,应用插值求得", e))
        f.append(need("该日各时次记录有缺测,总量值也应作缺测处理", e))
        f.append(need("日总量值与各时之和不一致", e))
        f.append(need("日最大值出现时间不合理", e, item="最大时间"))
        f.append(need("日最大值出现时间格式错误", e, item="最大时间"))
        f.append(need("月" + e + "日总量月平均偏大", e, level="可疑"))
        f.append(need("月" + e + "日总量月平均偏小", e, level="可疑"))
    for e in ["总辐射", "净全辐射", "散射辐射", "直接辐射"]:
        f.append(need("日总量偏大", e, item="日总量"))
    # Global.
    g = "总辐射"
    f.append(need("最大值偏大", g, item="日最大"))
    f.append(need("日照时数应大于0", g, item="日照时数"))
    f.append(need("日照时数应小于总辐射记录起止时间内的总时数", g, item="日照时数"))
    # Net.
    n = "净全辐射"
    for m, item in [("该时总量出现负值可疑", ANY), ("该时总量出现正值可疑", ANY),
                    ("时总量偏小", ANY), ("日总量偏小", "日总量"), ("最大值偏大", "日最大"),
                    ("最大值偏小", "日最大"), ("最小值偏大", "日最小"), ("最小值偏小", "日最小"),
                    ("最大值与出现时间段的曝辐量不一致", "日最大"),
                    ("最小值与出现时间段的曝辐量不一致", "日最小"),
                    ("日最小值出现时间格式错误", "最小时间")]:
        f.append(need(m, n, item=item))
    f.append(need("该时总量大于等于总辐射时总量错", n, related=g))
    f.append(need("该日总量大于等于总辐射日总量错", n, related=g))
    f.append(need("该日最大值大于等于总辐射日最大值错", n, related=g, level="错误"))
    # Diffuse.
    d = "散射辐射"
    for level in ["错误", "可疑"]:
        f.append(need("时总量大于总辐射时总量错", d, related=g, level=level))
        f.append(need("日最大值大于总辐射日最大值", d, related=g, level=level))
    f.append(need("该时总量等于总辐射时总量,且直接辐射时总量大于0", d, related="总辐射/直接辐射"))
    f.append(need("该日总量大于等于总辐射日总量错", d, related=g))
    f.append(need("最大值偏大", d, item="日最大"))
    f.append(need("最大值偏小", d, item="日最大"))
    # Direct.
    s = "直接辐射"
    f.append(need("最大值超过太阳常数", s, item="最大值"))
    f.append(need("日最大值偏大", s, item="最大值"))
    f.append(need("水平直接辐射日总量与总辐射和散射辐射之差不相等", s, related="总辐射/散射辐射"))
    f.append(need("水平直接辐射日总量大于直接辐射日总量错", s, level="错误"))
    # Reflected.
    r = "反射辐射"
    for level in ["错误", "可疑"]:
        f.append(need("时总量大于总辐射时总量错", r, related=g, level=level))
        f.append(need("日最大值大于总辐射日最大值", r, related=g, level=level))
    f.append(need("与总辐射日总量有矛盾", r, related=g, item="日总量"))
    f.append(need("日总量偏大", r, related=g, item="日总量"))
    f.append(need("日反射比不正确", r, related=g, item="日反射比/日总量"))
    f.append(need("日反射比偏小", r, related=g, item="日反射比/日总量"))
    f.append(need("日反射比偏大", r, related=g, item="日反射比/日总量"))
    f.append(need("与历史资料比较,日反射比偏小", r, item="日反射比"))
    f.append(need("与历史资料比较,日反射比偏大", r, item="日反射比"))
    f.append(need("日最大值偏大", r, item="最大值"))
    return f


# Chinese literals of src/rfile that are column values, not messages (or the
# message box texts, which are no finding).
NOT_MESSAGES = set(SEGMENTS + INSTRUMENTS) | {
    "一级", "二级", "三级", "仪器类型性能", "传输", "台站长", "输入", "校对", "预审", "审核",
    "全月", "参数", "可疑", "错误", "场地周围环境变化", "备注", "封面", "文件首部", "数据段结束",
    "控制段结束", "更正数据", "指示码", "指示码Z", "质控码", "质控码QZ", "标识", "辐射站类别",
    "日总量", "日最大", "日最小", "最大值", "最大时间", "最小时间", "日照时数", "日反射比",
    "日反射比/日总量", "水平日总/日总量", "总辐射/散射辐射", "总辐射/直接辐射", "总散直", "净反",
    "天", "没有适合该站的审核规则库!", "警告",
    # Pieces of the warnings about the rule table.
    "审核规则库tabRAuditingData(", ")没有记录", "审核规则库tabRAuditingData中站号", "的第", "项\\\"",
    "\\\"既不是数值,也不是12个月的数值列表",
}

LITERAL = re.compile(r'"((?:[^"\\]|\\.)*)"')
CJK = re.compile(r"[\u4e00-\u9fff]")


def literals(text):
    """String literals of a C++ text, adjacent literals joined."""
    out = []
    pos = 0
    joined = None
    for m in LITERAL.finditer(text):
        between = text[pos:m.start()]
        if joined is not None and between.strip() == "":
            joined += m.group(1)
        else:
            if joined is not None:
                out.append(joined)
            joined = m.group(1)
        pos = m.end()
    if joined is not None:
        out.append(joined)
    return out


def tested_rows(root):
    rows = []
    files = sorted(glob.glob(os.path.join(root, "tests", "test_rfile*.cpp")) +
                   glob.glob(os.path.join(root, "tests", "test_sample_rfile*.cpp")))
    for path in files:
        with open(path, encoding="utf-8") as fh:
            for lit in literals(fh.read()):
                if lit.count(" | ") == 6:
                    rows.append(lit)
    for path in sorted(glob.glob(os.path.join(root, "tests", "cases", "**", "*.case"),
                             recursive=True)):
        with open(path, encoding="utf-8") as fh:
            in_expect = False
            for line in fh:
                line = line.rstrip("\r\n")
                if line.startswith("expect:"):
                    in_expect = True
                    continue
                if in_expect and line.count(" | ") == 6 and not line.lstrip().startswith("#"):
                    rows.append(line)
    return [r.split(" | ") for r in rows]


def matches(req, cols):
    def col(pattern, value):
        return pattern is None or re.fullmatch(pattern, value) is not None

    return (re.fullmatch(req["message"], cols[0]) is not None and
            col(req["element"], cols[1]) and
            col(None if req["related"] is None else re.escape(req["related"]), cols[2]) and
            (req.get("day") is None or cols[3] == req["day"]) and
            (req["item"] is None or re.fullmatch(req["item"], cols[4]) is not None) and
            (req["level"] is None or cols[6] == req["level"]))


def describe(req):
    parts = [req["message"].replace("\\", ""), "Element " + req["element"]]
    for key, name in [("related", "RelatedItem"), ("day", "Day"), ("item", "TimeOrItem"),
                      ("level", "Level")]:
        if req.get(key) is not None:
            parts.append(name + " " + (req[key] or '""'))
    return ", ".join(parts)


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.dirname(
        os.path.abspath(__file__)))
    required = format_findings() + audit_findings()
    rows = tested_rows(root)
    missing = [req for req in required if not any(matches(req, r) for r in rows)]

    # Every message text of the sources is in the list.
    listed = [req["message"].replace("\\", "") for req in required]
    unknown = set()
    for path in glob.glob(os.path.join(root, "src", "rfile", "**", "*.*"), recursive=True):
        with open(path, encoding="utf-8") as fh:
            for lit in literals(fh.read()):
                if CJK.search(lit) and lit not in NOT_MESSAGES and \
                        not any(lit in m for m in listed):
                    unknown.add(lit)

    for req in missing:
        print("no test gives: " + describe(req))
    for lit in sorted(unknown):
        print("message of src/rfile not in the list: " + lit)
    print("%d findings listed, %d tested, %d rows read" %
          (len(required), len(required) - len(missing), len(rows)))
    return 1 if missing or unknown else 0


if __name__ == "__main__":
    sys.exit(main())
