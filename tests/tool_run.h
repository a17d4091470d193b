// Runs the built kelvane tool and collects its standard output and exit
// status.
#pragma once

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <string>

namespace kelvane::testing {

struct ToolRun {
  int status = -1;  // exit status, -1 when the tool did not exit normally
  std::string out;
};

// args are appended to the tool's path as they are (shell syntax); standard
// error is dropped unless args redirect it.
inline ToolRun RunTool(const std::string& args, bool keepStderr = false) {
  std::string cmd = std::string(KELVANE_TOOL_PATH) + " " + args + (keepStderr ? " 2>&1" : " 2>/dev/null");
  ToolRun r;
  FILE* p = popen(cmd.c_str(), "r");
  if (!p) return r;
  std::array<char, 4096> buf;
  size_t n;
  while ((n = fread(buf.data(), 1, buf.size(), p)) > 0) r.out.append(buf.data(), n);
  int st = pclose(p);
  r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
  return r;
}

}  // namespace kelvane::testing
