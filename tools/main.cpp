// kelvane: command-line front end of the Kelvane component.
#include <cstdio>
#include <exception>

#include "commands.h"

int main(int argc, char** argv) {
  using namespace kelvane::tool;
  CLI::App app{"kelvane: format check and quality audit of station data files"};
  app.require_subcommand(1);
  int exitCode = kExitOk;
  AddWindCommand(app, &exitCode);
  AddDbCommand(app, &exitCode);
  AddSampleCommand(app, &exitCode);
  AddCheckCommand(app, &exitCode);
  AddDecodeCommand(app, &exitCode);
  AddReportCommand(app, &exitCode);
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForAllHelp& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    app.exit(e);
    return kExitUsage;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "kelvane: %s\n", e.what());
    return kExitUsage;
  }
  return exitCode;
}
