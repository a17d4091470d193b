// The HTML report of a check run: one self-contained page (styles and script
// inline, nothing fetched) with an overview of the files and, for each file,
// its findings table with filters and the decoded values as grids whose
// flagged cells carry the findings. Every text taken from a file or a finding
// is escaped.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "host/check_file.h"

namespace kelvane::host {

// Text escaped for HTML element content and quoted attribute values.
std::string HtmlEscape(std::string_view s);
void AppendHtmlEscaped(std::string& out, std::string_view s);

// A whole page around body: the title, the styles and the script.
std::string HtmlPage(std::string_view title, std::string_view body);

// Collects the overview of a run file by file and writes each file's section.
class HtmlReport {
 public:
  // The section of one file (an HTML fragment, id "f<n>" for the n-th file
  // added, from 1); href is where the overview links to it ("#f<n>" on the
  // same page, or the file's own page).
  std::string AddFile(const FileResult& r, const std::string& href);
  // Number of files added so far.
  size_t Files() const { return files_.size(); }
  // The overview: counts by level, findings by element with a bar each, and
  // the table of files linking to their sections.
  std::string Overview() const;

 private:
  struct FileRow {
    std::string file, href, status;
    char kind = '?';
    bool usable = false;
    size_t errors = 0, suspicious = 0, other = 0;
  };
  struct ElementCount {
    size_t errors = 0, suspicious = 0, other = 0;
  };
  std::vector<FileRow> files_;
  std::map<std::string, ElementCount> elements_;
};

}  // namespace kelvane::host
