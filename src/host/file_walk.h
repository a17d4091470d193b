// The files a check run goes through: the files named on the command line,
// and the data files found in the directories named there.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kelvane::host {

// True when a file name is that of a data file a check goes through: its
// first letter is the kind, A, R or Y (any case), and it ends in ".TXT" (any
// case). Minute data files (J) are read by the A-file audit, not checked on
// their own.
bool IsDataFileName(std::string_view name);

// Walks the arguments in their order: a file is handed on as it is (whatever
// its name, so the check can say why it skips it); a directory is walked
// recursively and its data files come in sorted path order (names compared
// byte by byte, a subdirectory's files at the place of its name). Only the
// listings of the directories on the current path are held, so a walk over
// an archive of millions of files stays small. Directory links are followed,
// but a directory already on the current path is not entered again.
class FileWalk {
 public:
  explicit FileWalk(std::vector<std::string> arguments);
  ~FileWalk();
  FileWalk(const FileWalk&) = delete;
  FileWalk& operator=(const FileWalk&) = delete;

  struct Item {
    std::string path;
    bool named = false;  // an argument itself (not found in a directory)
  };
  // The next file; false at the end.
  bool Next(Item& item);

  // What went wrong on the way since the last call: a directory that could
  // not be read, an argument directory without any data file.
  struct Problem {
    std::string path;
    std::string message;
  };
  std::vector<Problem> TakeProblems();

 private:
  struct State;
  std::unique_ptr<State> s_;
};

// Number of files a walk over the arguments hands on (a walk that keeps
// nothing; for a progress display).
size_t CountFiles(const std::vector<std::string>& arguments);

}  // namespace kelvane::host
