// Output formats of check results: aligned text table, CSV and JSON.
#pragma once

#include <string>
#include <vector>

#include "host/check_file.h"

namespace kelvane::host {

// CSV: UTF-8, header File,Message,Element,RelatedItem,Day,TimeOrItem,Line,Level,
// RFC 4180 quoting. The header is written by CsvHeader().
std::string CsvHeader();
std::string CsvRows(const FileResult& r);

// JSON object of one file: {"file", "kind", "usable", "status", "error",
// "findings": [{"Message", ...}]}.
std::string JsonObject(const FileResult& r);

// Quotes one CSV field when it needs it.
std::string CsvField(const std::string& s);

}  // namespace kelvane::host
