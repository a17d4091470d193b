// Subcommands of the kelvane tool. Each Add*Command registers its
// subcommand; the callback stores the process exit status in *exitCode.
#pragma once

#include <CLI/CLI.hpp>
#include <string>

namespace kelvane::tool {

// Exit statuses of the tool.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFindings = 1;  // some file has an error finding
inline constexpr int kExitUsage = 2;     // usage or environment error

// The system directory `make demo` writes and the tool uses by default.
std::string DefaultSysDir();

void AddWindCommand(CLI::App& app, int* exitCode);
void AddDbCommand(CLI::App& app, int* exitCode);
void AddSampleCommand(CLI::App& app, int* exitCode);
void AddCheckCommand(CLI::App& app, int* exitCode);
void AddDecodeCommand(CLI::App& app, int* exitCode);
void AddReportCommand(CLI::App& app, int* exitCode);

}  // namespace kelvane::tool
