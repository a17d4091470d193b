// The Python module `kelvane`: the check of files and directories as a list
// of dicts (or a pandas DataFrame), the decoded arrays of a file, and the
// three classes for hosts written in Python.
//
// Arrays cross as lists: a one-dimensional array as the list of its items
// from index 1, a two-dimensional one as the list of its rows 1..n (first
// index), each the list of its columns 1..m. Parameter arrays (AFilePara
// ...) are lists from index 1 of None, bool, int, float or str.
//
// Every failure is raised as kelvane.Error(status, message) with the status
// number of the component; no C++ exception leaves a call.
#include <pybind11/pybind11.h>
#include <pybind11/eval.h>
#include <pybind11/stl.h>

#include <cmath>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "common/error.h"
#include "host/check_file.h"
#include "host/decoder.h"
#include "host/file_walk.h"
#include "host/rfile_decoder.h"
#include "host/yfile_decoder.h"
#include "kelvane/kelvane.h"
#include "kelvane/year_statistic.h"

namespace py = pybind11;

namespace {

using kelvane::Status;
using kelvane::StringArray;
using kelvane::Variant;
using kelvane::VariantArray;

constexpr const char* kColumns[] = {"Message", "Element",    "RelatedItem", "Day",
                                    "TimeOrItem", "Line", "Level"};

py::object& ErrorType() {
  static py::object* type = nullptr;
  if (!type) type = new py::object();  // kept for the life of the interpreter
  return *type;
}

// Raises kelvane.Error(status, message).
[[noreturn]] void Raise(int status, const std::string& message) {
  PyErr_SetObject(ErrorType().ptr(), py::make_tuple(status, message).ptr());
  throw py::error_already_set();
}
void Check(const Status& s) {
  if (!s.ok()) Raise(s.number(), s.description());
}

// Runs fn; a C++ exception becomes kelvane.Error (Python errors pass on).
template <class Fn>
auto Guard(Fn&& fn) -> decltype(fn()) {
  try {
    return fn();
  } catch (py::error_already_set&) {
    throw;
  } catch (const py::builtin_exception&) {
    throw;
  } catch (const kelvane::Error& e) {
    Raise(e.number(), e.what());
  } catch (const kelvane::SubscriptError& e) {
    Raise(kelvane::kErrSubscript, e.what());
  } catch (const std::bad_alloc&) {
    Raise(kelvane::kErrOutOfMemory, "out of memory");
  } catch (const std::exception& e) {
    Raise(kelvane::kErrInternal, e.what());
  }
}

std::string WithSeparator(std::string dir) {
  if (!dir.empty() && dir.back() != '/' && dir.back() != '\\') dir += '/';
  return dir;
}

std::string SysDir(const py::object& sys) {
  if (!sys.is_none()) return sys.cast<std::string>();
  const char* env = std::getenv("KELVANE_SYS");
  return env && *env ? env : "build/demo";
}

// ---------------------------------------------------------------- arrays

py::object FromVariant(const Variant& v) {
  switch (v.type()) {
    case Variant::Type::Empty: return py::none();
    case Variant::Type::Bool: return py::bool_(v.Truth());
    case Variant::Type::Long: return py::int_(std::stoll(v.Text()));
    case Variant::Type::Double: return py::float_(std::stod(v.Text()));
    case Variant::Type::String: break;
  }
  return py::str(v.Text());
}

Variant ToVariant(const py::handle& o) {
  if (o.is_none()) return Variant();
  if (py::isinstance<py::bool_>(o)) return Variant(o.cast<bool>());
  if (py::isinstance<py::int_>(o)) return Variant(static_cast<int64_t>(o.cast<long long>()));
  if (py::isinstance<py::float_>(o)) return Variant(o.cast<double>());
  return Variant(py::str(o).cast<std::string>());
}

py::list FromVariants(const VariantArray& a) {
  py::list out;
  if (a.Rank() == 1)
    for (long i = 1; i <= a.UBound(1); ++i) out.append(FromVariant(a(i)));
  return out;
}

// A list from index 1 into the array; the array keeps at least `size` items.
VariantArray ToVariants(const py::object& list, long size) {
  const py::list l = list.is_none() ? py::list() : py::list(list);
  VariantArray a = VariantArray::Vector(1, std::max<long>(size, static_cast<long>(l.size())));
  for (size_t i = 0; i < l.size(); ++i) a(static_cast<long>(i + 1)) = ToVariant(l[i]);
  return a;
}

py::list FromStrings(const StringArray& a) {
  py::list out;
  if (a.Rank() == 1) {
    for (long i = 1; i <= a.UBound(1); ++i) out.append(py::str(a(i)));
  } else if (a.Rank() == 2) {
    for (long i = 1; i <= a.UBound(1); ++i) {
      py::list row;
      for (long c = 1; c <= a.UBound(2); ++c) row.append(py::str(a(i, c)));
      out.append(std::move(row));
    }
  }
  return out;
}

// A list of texts, or a list of rows of texts, into an array from index 1
// (rows of unequal length are padded with "").
StringArray ToStrings(const py::handle& o) {
  StringArray a;
  if (o.is_none()) return a;
  const py::list l = py::list(py::reinterpret_borrow<py::object>(o));
  if (l.size() == 0) return a;
  if (py::isinstance<py::list>(l[0]) || py::isinstance<py::tuple>(l[0])) {
    size_t cols = 0;
    for (const py::handle row : l) cols = std::max(cols, py::len(row));
    a.ReDim(1, static_cast<long>(l.size()), 1, static_cast<long>(cols));
    for (size_t i = 0; i < l.size(); ++i) {
      const py::list row = py::list(py::reinterpret_borrow<py::object>(l[i]));
      for (size_t c = 0; c < row.size(); ++c)
        a(static_cast<long>(i + 1), static_cast<long>(c + 1)) = py::str(row[c]).cast<std::string>();
    }
  } else {
    a.ReDim(1, static_cast<long>(l.size()));
    for (size_t i = 0; i < l.size(); ++i) a(static_cast<long>(i + 1)) = py::str(l[i]).cast<std::string>();
  }
  return a;
}

py::dict FindingDict(const kelvane::host::Finding& f, const std::string* file) {
  py::dict d;
  const std::string* v[] = {&f.Message, &f.Element, &f.RelatedItem, &f.Day,
                            &f.TimeOrItem, &f.Line, &f.Level};
  for (size_t i = 0; i < 7; ++i) d[kColumns[i]] = py::str(*v[i]);
  if (file) d["File"] = py::str(*file);
  return d;
}

py::list FindingList(const StringArray& list) {
  py::list out;
  for (const auto& f : kelvane::host::ReadFindings(list)) out.append(FindingDict(f, nullptr));
  return out;
}

// Findings handed in by a Python host (None, or the dicts a call returned)
// as a result list with row 0 empty.
StringArray ToList(const py::object& findings) {
  StringArray a = StringArray::Matrix(1, 7, 0, 0);
  if (findings.is_none()) return a;
  const py::list l = py::list(findings);
  a.ReDim(1, 7, 0, static_cast<long>(l.size()));
  for (size_t r = 0; r < l.size(); ++r) {
    const py::dict d = py::dict(py::reinterpret_borrow<py::object>(l[r]));
    for (int c = 0; c < 7; ++c)
      if (d.contains(kColumns[c]))
        a(c + 1, static_cast<long>(r + 1)) = py::str(d[kColumns[c]]).cast<std::string>();
  }
  return a;
}

// ---------------------------------------------------------------- check

py::list CheckPath(const std::string& path, const py::object& sys, bool formatOnly,
                   long maxFindings) {
  return Guard([&] {
    kelvane::host::CheckOptions opt;
    opt.sysPath = SysDir(sys);
    opt.formatOnly = formatOnly;
    opt.maxFindings = maxFindings;
    std::vector<kelvane::host::FileResult> results;
    {
      py::gil_scoped_release release;
      kelvane::host::Checker checker(opt);
      kelvane::host::FileWalk walk({path});
      kelvane::host::FileWalk::Item item;
      while (walk.Next(item)) {
        kelvane::host::FileResult r = checker.Check(item.path);
        if (!r.checked && item.named) {
          r.status = Status(kelvane::kErrInvalidCall,
                            "not an A, R or Y data file (the kind comes from the name's first letter)");
          r.checked = true;
        }
        if (r.checked) results.push_back(std::move(r));
      }
      for (const auto& p : walk.TakeProblems())
        if (p.message.rfind("cannot", 0) == 0) {
          results.clear();
          kelvane::host::FileResult r;
          r.file = p.path;
          r.status = Status(kelvane::kErrPathAccess, p.message);
          results.push_back(std::move(r));
          break;
        }
    }
    std::error_code ec;
    if (results.empty() && !std::filesystem::exists(path, ec))
      Raise(kelvane::kErrFileNotFound, path + ": no such file or directory");
    py::list out;
    for (const auto& r : results) {
      if (!r.status.ok()) Raise(r.status.number(), r.file + ": " + r.status.description());
      for (const auto& f : r.findings) out.append(FindingDict(f, &r.file));
    }
    return out;
  });
}

py::object CheckFrame(const std::string& path, const py::object& sys, bool formatOnly,
                      long maxFindings) {
  py::object pandas;
  try {
    pandas = py::module_::import("pandas");
  } catch (py::error_already_set& e) {
    if (!e.matches(PyExc_ImportError)) throw;
    PyErr_SetString(PyExc_ImportError,
                    "kelvane.check_frame needs pandas, which cannot be imported here; "
                    "kelvane.check returns the same rows as a list of dicts");
    throw py::error_already_set();
  }
  py::list rows = CheckPath(path, sys, formatOnly, maxFindings);
  py::list columns;
  columns.append("File");
  for (const char* c : kColumns) columns.append(c);
  return pandas.attr("DataFrame")(rows, py::arg("columns") = columns);
}

// ---------------------------------------------------------------- decode

// Numeric arrays of the numeric cells (NaN elsewhere) when numpy imports.
void AddNumpy(py::dict& out, const py::dict& arrays) {
  py::object numpy;
  try {
    numpy = py::module_::import("numpy");
  } catch (py::error_already_set& e) {
    if (!e.matches(PyExc_ImportError)) throw;
    return;
  }
  py::dict values;
  for (auto [name, value] : arrays) {
    if (!py::isinstance<py::list>(value)) continue;
    const py::list l = py::reinterpret_borrow<py::list>(value);
    auto number = [](const py::handle& cell) -> double {
      if (!py::isinstance<py::str>(cell)) return NAN;
      const std::string s = cell.cast<std::string>();
      if (s.empty()) return NAN;
      char* end = nullptr;
      const double v = std::strtod(s.c_str(), &end);
      return end && *end == '\0' ? v : NAN;
    };
    py::list rows;
    for (const py::handle row : l) {
      if (py::isinstance<py::list>(row)) {
        py::list r;
        for (const py::handle cell : row) r.append(number(cell));
        rows.append(r);
      } else {
        rows.append(number(row));
      }
    }
    values[name] = numpy.attr("array")(rows, py::arg("dtype") = "float64");
  }
  out["values"] = values;
}

py::dict Decode(const std::string& path, const py::object& sys) {
  return Guard([&] {
    const std::string dir = WithSeparator(SysDir(sys));
    const char kind = kelvane::host::FileKind(path);
    kelvane::DataFile file;
    Check(file.Open(path));
    StringArray list;
    py::dict out;
    py::dict arrays;
    auto stopped = [&] {
      std::string why;
      for (const auto& f : kelvane::host::ReadFindings(list)) why = f.Message;
      Raise(kelvane::kErrInvalidCall, path + ": the format check cannot go on: " + why);
    };
    out["file"] = path;
    out["kind"] = std::string(1, kind);
    if (kind == 'A') {
      kelvane::KelvaneA a;
      VariantArray para = VariantArray::Vector(1, 52);
      StringArray cls = StringArray::Vector(1, 20);
      Check(a.AFileFormCheck(dir, file, para, cls, list));
      if (!para(6).Truth()) stopped();
      kelvane::AFileArrays d;
      Check(kelvane::DecodeAFile(file, para, d));
      out["AFilePara"] = FromVariants(para);
      out["AFileClass"] = FromStrings(cls);
      for (const auto& e : kelvane::kAFileArrayTable<>) arrays[py::str(std::string(e.name))] = FromStrings(d.*e.member);
      out["SysLib"] = FromVariants(d.SysLib);
      out["strManualWindV"] = d.strManualWindV;
    } else if (kind == 'R') {
      kelvane::KelvaneR r;
      VariantArray para = VariantArray::Vector(1, 12);
      Check(r.RFileFormCheck(dir, file, para, list));
      if (!para(6).Truth()) stopped();
      kelvane::RFileArrays d;
      Check(kelvane::DecodeRFile(file, para, d));
      out["RFilePara"] = FromVariants(para);
      for (const auto& e : kelvane::kRFileArrayTable<>) arrays[py::str(std::string(e.name))] = FromStrings(d.*e.member);
    } else if (kind == 'Y') {
      kelvane::KelvaneY y;
      VariantArray para = VariantArray::Vector(1, 16);
      Check(y.YfileFormCheck(dir, file, para, list));
      if (!para(4).Truth()) stopped();
      kelvane::YFileArrays d;
      Check(kelvane::DecodeYFile(file, para, d));
      out["YFilePara"] = FromVariants(para);
      const std::pair<const char*, const StringArray*> named[] = {
          {"strMonthYearS", &d.strMonthYearS}, {"strTimesSegmantMaxR", &d.strTimesSegmantMaxR},
          {"strElementStartEndDate", &d.strElementStartEndDate}, {"strMonthWDF", &d.strMonthWDF},
          {"strYearWDF", &d.strYearWDF}, {"YFileFM", &d.YFileFM}, {"YFileGK", &d.YFileGK},
          {"YFileBZ", &d.YFileBZ}, {"YFileYQ", &d.YFileYQ}};
      for (const auto& [name, array] : named) arrays[name] = FromStrings(*array);
    } else {
      Raise(kelvane::kErrInvalidCall, path + ": not an A, R or Y data file");
    }
    out["arrays"] = arrays;
    AddNumpy(out, arrays);
    return out;
  });
}

// ---------------------------------------------------------------- classes

// Arrays of a dict by name ({} for a name it does not hold).
StringArray ArrayOf(const py::dict& arrays, const char* name) {
  return arrays.contains(name) ? ToStrings(arrays[name]) : StringArray();
}

struct PyKelvaneA {
  kelvane::KelvaneA a;

  py::tuple FormCheck(const std::string& sys, const std::string& path) {
    return Guard([&] {
      VariantArray para = VariantArray::Vector(1, 52);
      StringArray cls = StringArray::Vector(1, 20);
      StringArray list;
      Check(a.AFileFormCheck(sys, path, para, cls, list));
      return py::make_tuple(FromVariants(para), FromStrings(cls), FindingList(list));
    });
  }

  py::list Auditing(const std::string& sys, const py::object& paraIn, const py::object& clsIn,
                    const py::dict& arrays, const py::object& findings, const py::object& sysLib,
                    const std::string& manualWindV) {
    return Guard([&] {
      VariantArray para = ToVariants(paraIn, 52);
      StringArray cls = ToStrings(clsIn);
      if (!cls.IsAllocated()) cls = StringArray::Vector(1, 20);
      kelvane::AFileArrays d;
      for (const auto& e : kelvane::kAFileArrayTable<>)
        d.*e.member = ArrayOf(arrays, std::string(e.name).c_str());
      d.SysLib = sysLib.is_none() ? kelvane::host::DefaultSysLib(para) : ToVariants(sysLib, 72);
      d.strManualWindV = manualWindV;
      StringArray list = ToList(findings);
      Check(a.AFileAuditing(sys, para, cls, d, list));
      return FindingList(list);
    });
  }
};

struct PyKelvaneR {
  kelvane::KelvaneR r;

  py::tuple FormCheck(const std::string& sys, const std::string& path) {
    return Guard([&] {
      VariantArray para = VariantArray::Vector(1, 12);
      StringArray list;
      Check(r.RFileFormCheck(sys, path, para, list));
      return py::make_tuple(FromVariants(para), FindingList(list));
    });
  }

  py::list Auditing(const std::string& sys, const py::object& paraIn, const py::dict& arrays,
                    const py::object& findings) {
    return Guard([&] {
      VariantArray para = ToVariants(paraIn, 12);
      kelvane::RFileArrays d;
      for (const auto& e : kelvane::kRFileArrayTable<>)
        d.*e.member = ArrayOf(arrays, std::string(e.name).c_str());
      StringArray list = ToList(findings);
      Check(r.RFileAuditing(sys, para, d, list));
      return FindingList(list);
    });
  }
};

struct PyKelvaneY {
  kelvane::KelvaneY y;

  py::tuple FormCheck(const std::string& sys, const std::string& path) {
    return Guard([&] {
      VariantArray para = VariantArray::Vector(1, 16);
      StringArray list;
      Check(y.YfileFormCheck(sys, path, para, list));
      return py::make_tuple(FromVariants(para), FindingList(list));
    });
  }

  py::list Auditing(const std::string& sys, const py::object& paraIn, const py::dict& arrays,
                    const py::object& findings) {
    return Guard([&] {
      VariantArray para = ToVariants(paraIn, 16);
      kelvane::YFileArrays d;
      d.strMonthYearS = ArrayOf(arrays, "strMonthYearS");
      d.strTimesSegmantMaxR = ArrayOf(arrays, "strTimesSegmantMaxR");
      d.strElementStartEndDate = ArrayOf(arrays, "strElementStartEndDate");
      d.strMonthWDF = ArrayOf(arrays, "strMonthWDF");
      d.strYearWDF = ArrayOf(arrays, "strYearWDF");
      d.YFileFM = ArrayOf(arrays, "YFileFM");
      d.YFileGK = ArrayOf(arrays, "YFileGK");
      d.YFileBZ = ArrayOf(arrays, "YFileBZ");
      d.YFileYQ = ArrayOf(arrays, "YFileYQ");
      StringArray list = ToList(findings);
      Check(y.YfileAuditing(sys, para, d, list));
      return FindingList(list);
    });
  }
};

constexpr const char* kErrorClass = R"py(
class Error(Exception):
    """A failure of the component: .status is its status number, .message its text."""
    def __init__(self, status, message):
        super().__init__(status, message)
        self.status = status
        self.message = message
    def __str__(self):
        return f"{self.message} (status {self.status})"
)py";

}  // namespace

PYBIND11_MODULE(kelvane, m) {
  m.doc() = "Format check and quality audit of surface meteorological station data files";
  py::dict scope;
  scope["__builtins__"] = py::module_::import("builtins");
  scope["__name__"] = "kelvane";
  py::exec(kErrorClass, scope);
  ErrorType() = scope["Error"];
  m.attr("Error") = ErrorType();
  m.attr("COLUMNS") = py::make_tuple("File", kColumns[0], kColumns[1], kColumns[2], kColumns[3],
                                     kColumns[4], kColumns[5], kColumns[6]);
  // The yearly audit's statistics component: this library's.
  (void)kelvane::yearstat::RegisterYearStatistic();

  m.def("check", &CheckPath, py::arg("path"), py::arg("sys_dir") = py::none(),
        py::arg("format_only") = false, py::arg("max_findings") = 0L,
        "Checks a data file, or the A, R and Y files of a directory; the findings as a list of "
        "dicts (File, Message, Element, RelatedItem, Day, TimeOrItem, Line, Level).");
  m.def("check_frame", &CheckFrame, py::arg("path"), py::arg("sys_dir") = py::none(),
        py::arg("format_only") = false, py::arg("max_findings") = 0L,
        "The findings of check() as a pandas DataFrame (ImportError without pandas).");
  m.def("decode", &Decode, py::arg("path"), py::arg("sys_dir") = py::none(),
        "Format-checks a file and returns its parameter array and the audit's arrays as lists "
        "(rows from day 1); with numpy, 'values' holds float arrays of them (NaN where a cell "
        "is not a number).");

  py::class_<PyKelvaneA>(m, "KelvaneA")
      .def(py::init<>())
      .def("AFileFormCheck", &PyKelvaneA::FormCheck, py::arg("strSysPath"),
           py::arg("strPathFile"), "Returns (AFilePara, AFileClass, findings).")
      .def("AFileAuditing", &PyKelvaneA::Auditing, py::arg("strSysPath"), py::arg("AFilePara"),
           py::arg("AFileClass"), py::arg("arrays"), py::arg("findings") = py::none(),
           py::arg("SysLib") = py::none(), py::arg("strManualWindV") = "",
           "Audits the arrays (as decode() returns them); returns the findings handed in "
           "followed by the audit's.")
      .def("WindDToWindDValue",
           [](PyKelvaneA& self, const std::string& wd, const std::string& wf) {
             return Guard([&] { return self.a.WindDToWindDValue(wd, wf); });
           })
      .def("SetFindingLimit", [](PyKelvaneA& self, long n) { self.a.SetFindingLimit(n); });
  py::class_<PyKelvaneR>(m, "KelvaneR")
      .def(py::init<>())
      .def("RFileFormCheck", &PyKelvaneR::FormCheck, py::arg("strSysPath"),
           py::arg("strPathFile"), "Returns (RFilePara, findings).")
      .def("RFileAuditing", &PyKelvaneR::Auditing, py::arg("strSysPath"), py::arg("RFilePara"),
           py::arg("arrays"), py::arg("findings") = py::none())
      .def("SetFindingLimit", [](PyKelvaneR& self, long n) { self.r.SetFindingLimit(n); });
  py::class_<PyKelvaneY>(m, "KelvaneY")
      .def(py::init<>())
      .def("YfileFormCheck", &PyKelvaneY::FormCheck, py::arg("strSysPath"),
           py::arg("strPathFile"), "Returns (YFilePara, findings).")
      .def("YfileAuditing", &PyKelvaneY::Auditing, py::arg("strSysPath"), py::arg("YFilePara"),
           py::arg("arrays"), py::arg("findings") = py::none())
      .def("SetFindingLimit", [](PyKelvaneY& self, long n) { self.y.SetFindingLimit(n); });
}
