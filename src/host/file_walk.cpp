#include "host/file_walk.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <filesystem>
#include <system_error>
#include <utility>

namespace kelvane::host {

namespace fs = std::filesystem;

bool IsDataFileName(std::string_view name) {
  if (name.size() < 5) return false;
  const char kind = static_cast<char>(std::toupper(static_cast<unsigned char>(name[0])));
  if (kind != 'A' && kind != 'R' && kind != 'Y') return false;
  std::string ext(name.substr(name.size() - 4));
  for (char& c : ext) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return ext == ".TXT";
}

namespace {

// One directory being walked: its entries sorted by name, and where the
// walk stands in them.
struct Level {
  // An entry's name lies in `names`; an archive directory holds tens of
  // thousands of files, so an entry is 8 bytes, not a string of its own.
  struct Entry {
    uint32_t offset;
    uint32_t length : 31;
    uint32_t directory : 1;
  };
  std::string_view Name(const Entry& e) const {
    return std::string_view(names).substr(e.offset, e.length);
  }

  std::string path;
  std::string names;
  std::vector<Entry> entries;
  size_t next = 0;
  dev_t dev = 0;
  ino_t ino = 0;
};

}  // namespace

struct FileWalk::State {
  std::vector<std::string> arguments;
  size_t nextArgument = 0;
  std::vector<Level> stack;
  std::vector<Problem> problems;
  // Data files found below the argument directory being walked.
  size_t foundBelowArgument = 0;
  std::string argumentDirectory;

  // Reads a directory into a new level; false (with a problem) when it
  // cannot be read or is already on the current path.
  bool Enter(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
      problems.push_back({path, "cannot read the directory"});
      return false;
    }
    for (const Level& l : stack)
      if (l.dev == st.st_dev && l.ino == st.st_ino) return false;  // a link back up
    Level level;
    level.path = path;
    level.dev = st.st_dev;
    level.ino = st.st_ino;
    std::error_code ec;
    fs::directory_iterator it(path, ec);
    if (ec) {
      problems.push_back({path, "cannot read the directory: " + ec.message()});
      return false;
    }
    for (; it != fs::directory_iterator(); it.increment(ec)) {
      if (ec) {
        problems.push_back({path, "cannot read the directory: " + ec.message()});
        break;
      }
      std::error_code typeError;
      const bool directory = it->is_directory(typeError);
      const std::string name = it->path().filename().string();
      if (!directory && !IsDataFileName(name)) continue;
      if (level.names.size() + name.size() > UINT32_MAX / 2) {
        problems.push_back({path, "cannot read the directory: too many entries"});
        break;
      }
      level.entries.push_back(Level::Entry{static_cast<uint32_t>(level.names.size()),
                                           static_cast<uint32_t>(name.size()), directory});
      level.names += name;
    }
    std::sort(level.entries.begin(), level.entries.end(),
              [&level](const Level::Entry& a, const Level::Entry& b) {
                return level.Name(a) < level.Name(b);
              });
    level.entries.shrink_to_fit();
    level.names.shrink_to_fit();
    stack.push_back(std::move(level));
    return true;
  }

  // The next data file below the directories on the stack.
  bool NextInDirectories(std::string& out) {
    while (!stack.empty()) {
      Level& top = stack.back();
      if (top.next >= top.entries.size()) {
        stack.pop_back();
        continue;
      }
      const Level::Entry& entry = top.entries[top.next++];
      const bool directory = entry.directory;
      std::string path = top.path;
      if (path.empty() || path.back() != '/') path += '/';
      path += top.Name(entry);
      if (directory) {
        Enter(path);
        continue;
      }
      out = std::move(path);
      return true;
    }
    return false;
  }
};

FileWalk::FileWalk(std::vector<std::string> arguments) : s_(std::make_unique<State>()) {
  s_->arguments = std::move(arguments);
}

FileWalk::~FileWalk() = default;

bool FileWalk::Next(Item& item) {
  while (true) {
    if (!s_->stack.empty()) {
      if (s_->NextInDirectories(item.path)) {
        item.named = false;
        ++s_->foundBelowArgument;
        return true;
      }
      if (s_->foundBelowArgument == 0)
        s_->problems.push_back({s_->argumentDirectory, "no A, R or Y data file in the directory"});
    }
    if (s_->nextArgument >= s_->arguments.size()) return false;
    const std::string& arg = s_->arguments[s_->nextArgument++];
    std::error_code ec;
    if (fs::is_directory(arg, ec)) {
      s_->foundBelowArgument = 0;
      s_->argumentDirectory = arg;
      s_->Enter(arg);
      continue;
    }
    item.path = arg;
    item.named = true;
    return true;
  }
}

std::vector<FileWalk::Problem> FileWalk::TakeProblems() {
  std::vector<Problem> out;
  out.swap(s_->problems);
  return out;
}

size_t CountFiles(const std::vector<std::string>& arguments) {
  FileWalk walk(arguments);
  FileWalk::Item item;
  size_t n = 0;
  while (walk.Next(item)) ++n;
  return n;
}

}  // namespace kelvane::host
