// decode: the element arrays a host hands to the A-file audit, as JSON.
#include <cstdio>
#include <string>

#include <nlohmann/json.hpp>

#include "commands.h"
#include "host/check_file.h"
#include "kelvane/kelvane.h"

namespace kelvane::tool {

namespace {

using Json = nlohmann::ordered_json;

struct DecodeArgs {
  std::string sys = DefaultSysDir();
  std::string file;
};

Json VariantJson(const Variant& v) {
  switch (v.type()) {
    case Variant::Type::Empty:
      return nullptr;
    case Variant::Type::Bool:
      return v.Truth();
    case Variant::Type::Long:
      return std::stoll(v.Text());
    case Variant::Type::Double:
      return std::stod(v.Text());
    case Variant::Type::String:
      break;
  }
  return v.Text();
}

// A one-dimensional array as a flat list from index 1, a two-dimensional one
// as rows 1..n of columns 1..m.
Json ArrayJson(const StringArray& a) {
  Json j = Json::array();
  if (a.Rank() == 1) {
    for (long i = 1; i <= a.UBound(1); ++i) j.push_back(a(i));
  } else if (a.Rank() == 2) {
    for (long i = 1; i <= a.UBound(1); ++i) {
      Json row = Json::array();
      for (long c = 1; c <= a.UBound(2); ++c) row.push_back(a(i, c));
      j.push_back(std::move(row));
    }
  }
  return j;
}

Json VariantsJson(const VariantArray& a) {
  Json j = Json::array();
  if (a.Rank() == 1)
    for (long i = 1; i <= a.UBound(1); ++i) j.push_back(VariantJson(a(i)));
  return j;
}

std::string WithSeparator(std::string dir) {
  if (!dir.empty() && dir.back() != '/' && dir.back() != '\\') dir += '/';
  return dir;
}

// An error status of the check or the decoder.
int Fail(const DecodeArgs& args, const Status& s) {
  std::fprintf(stderr, "kelvane: %s: %s\n", args.file.c_str(), s.description().c_str());
  return kExitUsage;
}

// The format check stopped: its last finding says why.
int CannotGoOn(const DecodeArgs& args, const StringArray& list) {
  std::string why;
  for (const host::Finding& f : host::ReadFindings(list)) why = f.Message;
  std::fprintf(stderr, "kelvane: %s: the format check cannot go on: %s\n", args.file.c_str(),
               why.c_str());
  return kExitUsage;
}

void PrintJson(const Json& out) {
  const std::string text = out.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fputc('\n', stdout);
}

// An R file: RFilePara and the arrays of the radiation audit.
int DecodeR(const DecodeArgs& args) {
  DataFile file;
  Status s = file.Open(args.file);
  KelvaneR r;
  VariantArray para = VariantArray::Vector(1, 12);
  StringArray list;
  if (s.ok()) s = r.RFileFormCheck(WithSeparator(args.sys), file, para, list);
  RFileArrays d;
  if (s.ok() && para(6).Truth()) s = DecodeRFile(file, para, d);
  if (!s.ok()) return Fail(args, s);
  if (!para(6).Truth()) return CannotGoOn(args, list);
  Json out;
  out["RFilePara"] = VariantsJson(para);
  Json arrays = Json::object();
  for (const auto& e : kRFileArrayTable<>) arrays[std::string(e.name)] = ArrayJson(d.*e.member);
  out["arrays"] = std::move(arrays);
  PrintJson(out);
  return kExitOk;
}

// A Y file: YFilePara and the arrays of the yearly audit.
int DecodeY(const DecodeArgs& args) {
  DataFile file;
  Status s = file.Open(args.file);
  KelvaneY y;
  VariantArray para = VariantArray::Vector(1, 16);
  StringArray list;
  if (s.ok()) s = y.YfileFormCheck(WithSeparator(args.sys), file, para, list);
  if (!s.ok()) return Fail(args, s);
  if (!para(4).Truth()) return CannotGoOn(args, list);
  YFileArrays d;
  s = DecodeYFile(file, para, d);
  if (!s.ok()) return Fail(args, s);
  Json out;
  out["YFilePara"] = VariantsJson(para);
  Json arrays = Json::object();
  const std::pair<const char*, const StringArray*> named[] = {
      {"strMonthYearS", &d.strMonthYearS}, {"strTimesSegmantMaxR", &d.strTimesSegmantMaxR},
      {"strElementStartEndDate", &d.strElementStartEndDate}, {"strMonthWDF", &d.strMonthWDF},
      {"strYearWDF", &d.strYearWDF}, {"YFileFM", &d.YFileFM}, {"YFileGK", &d.YFileGK},
      {"YFileBZ", &d.YFileBZ}, {"YFileYQ", &d.YFileYQ}};
  for (const auto& [name, array] : named) arrays[name] = ArrayJson(*array);
  out["arrays"] = std::move(arrays);
  PrintJson(out);
  return kExitOk;
}

int Decode(const DecodeArgs& args) {
  if (host::FileKind(args.file) == 'R') return DecodeR(args);
  if (host::FileKind(args.file) == 'Y') return DecodeY(args);
  DataFile file;
  Status s = file.Open(args.file);
  KelvaneA a;
  VariantArray para = VariantArray::Vector(1, 52);
  StringArray cls = StringArray::Vector(1, 20);
  StringArray list;
  if (s.ok()) s = a.AFileFormCheck(WithSeparator(args.sys), file, para, cls, list);
  if (!s.ok()) return Fail(args, s);
  if (!para(6).Truth()) return CannotGoOn(args, list);
  AFileArrays d;
  s = DecodeAFile(file, para, d);
  if (!s.ok()) return Fail(args, s);
  Json out;
  out["AFilePara"] = VariantsJson(para);
  out["AFileClass"] = ArrayJson(cls);
  Json arrays = Json::object();
  for (const auto& e : kAFileArrayTable<>) arrays[std::string(e.name)] = ArrayJson(d.*e.member);
  arrays["SysLib"] = VariantsJson(d.SysLib);
  arrays["strManualWindV"] = d.strManualWindV;
  out["arrays"] = std::move(arrays);
  PrintJson(out);
  return kExitOk;
}

}  // namespace

void AddDecodeCommand(CLI::App& app, int* exitCode) {
  static DecodeArgs args;
  auto* cmd = app.add_subcommand(
      "decode", "Format-check an A, R or Y file and print the element arrays of its audit as JSON");
  cmd->add_option("--sys", args.sys, "system directory (holds Sysconfig/SysLib.mdb)");
  cmd->add_option("FILE", args.file, "the A, R or Y file (kind from the first letter of the name)")->required();
  cmd->callback([exitCode] { *exitCode = Decode(args); });
}

}  // namespace kelvane::tool
