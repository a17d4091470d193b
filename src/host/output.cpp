#include "host/output.h"

#include <nlohmann/json.hpp>

namespace kelvane::host {

std::string CsvField(const std::string& s) {
  if (s.find_first_of(",\"\r\n") == std::string::npos) return s;
  std::string out = "\"";
  for (char c : s) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
  return out;
}

std::string CsvHeader() { return "File,Message,Element,RelatedItem,Day,TimeOrItem,Line,Level\r\n"; }

std::string CsvRows(const FileResult& r) {
  std::string out;
  for (const Finding& f : r.findings) {
    for (const std::string* s : {&r.file, &f.Message, &f.Element, &f.RelatedItem, &f.Day,
                                 &f.TimeOrItem, &f.Line}) {
      out += CsvField(*s);
      out += ',';
    }
    out += CsvField(f.Level);
    out += "\r\n";
  }
  return out;
}

std::string JsonObject(const FileResult& r) {
  nlohmann::ordered_json j;
  j["file"] = r.file;
  j["kind"] = std::string(1, r.kind);
  j["usable"] = r.usable;
  j["status"] = r.status.ok() ? "ok" : "error";
  if (!r.status.ok()) j["error"] = r.status.description();
  nlohmann::ordered_json findings = nlohmann::ordered_json::array();
  for (const Finding& f : r.findings) {
    nlohmann::ordered_json o;
    o["Message"] = f.Message;
    o["Element"] = f.Element;
    o["RelatedItem"] = f.RelatedItem;
    o["Day"] = f.Day;
    o["TimeOrItem"] = f.TimeOrItem;
    o["Line"] = f.Line;
    o["Level"] = f.Level;
    findings.push_back(std::move(o));
  }
  j["findings"] = std::move(findings);
  // Invalid UTF-8 (a file name in another encoding) is replaced, not thrown on.
  return j.dump(2, ' ', false, nlohmann::json::error_handler_t::replace);
}

}  // namespace kelvane::host
