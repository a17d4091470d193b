// Recordset cursor, engine selection, the cache of loaded tables and the
// resolution of database paths below the system directory.
#include "common/database.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <list>
#include <mutex>
#include <utility>

#include "common/error.h"
#include "common/text.h"
#include "kelvane/status.h"

namespace kelvane::db {

namespace {

char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsIgnoreAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  }
  return true;
}

// ---------------------------------------------------------------------------
// Cache of loaded tables. Checking a whole archive opens the same few tables
// for every file; a table is re-read only when its file changed (size,
// modification time or inode differ).

using detail::FileStamp;

FileStamp StampFrom(const struct stat& st) {
  FileStamp stamp;
  stamp.size = static_cast<int64_t>(st.st_size);
  stamp.mtimeNs = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  stamp.inode = static_cast<uint64_t>(st.st_ino);
  stamp.device = static_cast<uint64_t>(st.st_dev);
  return stamp;
}

struct CacheEntry {
  std::string path;
  std::string name;
  FileStamp stamp;
  std::shared_ptr<const Table> table;
};

constexpr size_t kCacheCapacity = 64;

std::mutex cacheMutex;
std::list<CacheEntry> cache;  // most recently used first

std::shared_ptr<const Table> CacheFind(const std::string& path, std::string_view name,
                                       const FileStamp& stamp) {
  std::lock_guard<std::mutex> lock(cacheMutex);
  for (auto it = cache.begin(); it != cache.end(); ++it) {
    if (it->path != path || it->name != name) continue;
    if (!(it->stamp == stamp)) {
      cache.erase(it);
      return nullptr;
    }
    cache.splice(cache.begin(), cache, it);
    return cache.front().table;
  }
  return nullptr;
}

void CacheStore(const std::string& path, std::string_view name, const FileStamp& stamp,
                std::shared_ptr<const Table> table) {
  std::lock_guard<std::mutex> lock(cacheMutex);
  for (auto it = cache.begin(); it != cache.end(); ++it) {
    if (it->path == path && it->name == name) {
      cache.erase(it);
      break;
    }
  }
  cache.push_front(CacheEntry{path, std::string(name), stamp, std::move(table)});
  while (cache.size() > kCacheCapacity) cache.pop_back();
}

// ---------------------------------------------------------------------------

[[noreturn]] void ThrowColumnNotFound(const Table& t, std::string_view column) {
  throw Error(kErrColumnNotFound, "column '" + std::string(column) + "' not found in table '" +
                                      t.name + "' of " + t.path);
}

const std::vector<std::string>& NoColumns() {
  static const std::vector<std::string> empty;
  return empty;
}

std::string NormalizeSeparators(std::string_view text) {
  std::string s(text);
  std::replace(s.begin(), s.end(), '\\', '/');
  return s;
}

}  // namespace

// ---------------------------------------------------------------------------
// Recordset

Recordset::Recordset(std::shared_ptr<const Table> table) : table_(std::move(table)) {
  const size_t n = table_ ? table_->rows.size() : 0;
  order_.resize(n);
  for (size_t i = 0; i < n; ++i) order_[i] = i;
  view_ = order_;
}

bool Recordset::IsEmpty() const { return view_.empty(); }

int Recordset::ColumnIndex(std::string_view column) const {
  if (!table_) return -1;
  const std::string* found = detail::MatchName(table_->columns, column);
  return found ? static_cast<int>(found - table_->columns.data()) : -1;
}

int Recordset::RequireColumn(std::string_view column) const {
  if (!table_) throw Error(kErrColumnNotFound, "column '" + std::string(column) + "' not found: no table");
  const int index = ColumnIndex(column);
  if (index < 0) ThrowColumnNotFound(*table_, column);
  return index;
}

void Recordset::ApplyFilter() {
  if (filterColumn_ < 0) {
    view_ = order_;
  } else {
    view_.clear();
    const auto col = static_cast<size_t>(filterColumn_);
    for (size_t r : order_) {
      const auto& row = table_->rows[r];
      if (col < row.size() && row[col] && *row[col] == filterKey_) view_.push_back(r);
    }
  }
  pos_ = 0;
}

void Recordset::Filter(std::string_view column, std::string_view key) {
  filterColumn_ = RequireColumn(column);
  filterKey_.assign(key);
  ApplyFilter();
}

void Recordset::ClearFilter() {
  filterColumn_ = -1;
  filterKey_.clear();
  ApplyFilter();
}

void Recordset::SortBy(std::string_view column) {
  const auto col = static_cast<size_t>(RequireColumn(column));
  const auto& rows = table_->rows;
  auto valueOf = [&](size_t r) -> const std::optional<std::string>& {
    static const std::optional<std::string> null;
    return col < rows[r].size() ? rows[r][col] : null;
  };

  bool numeric = true;
  for (size_t r : order_) {
    const auto& v = valueOf(r);
    if (v && !IsNumericText(*v)) {
      numeric = false;
      break;
    }
  }

  if (numeric) {
    std::vector<double> keys(rows.size(), 0.0);
    for (size_t r : order_) {
      const auto& v = valueOf(r);
      if (v) keys[r] = LeadingNumber(*v);
    }
    std::stable_sort(order_.begin(), order_.end(), [&](size_t a, size_t b) {
      const bool na = !valueOf(a), nb = !valueOf(b);
      if (na || nb) return na && !nb;
      return keys[a] < keys[b];
    });
  } else {
    std::stable_sort(order_.begin(), order_.end(), [&](size_t a, size_t b) {
      const auto& va = valueOf(a);
      const auto& vb = valueOf(b);
      if (!va || !vb) return !va && vb;
      return *va < *vb;
    });
  }
  ApplyFilter();
}

bool Recordset::Eof() const { return pos_ >= view_.size(); }
void Recordset::MoveFirst() { pos_ = 0; }
void Recordset::MoveNext() {
  if (pos_ < view_.size()) ++pos_;
}
size_t Recordset::RecordCount() const { return view_.size(); }

const std::vector<std::optional<std::string>>& Recordset::Current() const {
  if (pos_ >= view_.size()) {
    throw Error(kErrNoCurrentRow,
                table_ ? "no current row in table '" + table_->name + "' of " + table_->path
                       : std::string("no current row: no table"));
  }
  return table_->rows[view_[pos_]];
}

std::string Recordset::Field(std::string_view column) const {
  const auto& row = Current();
  const auto col = static_cast<size_t>(RequireColumn(column));
  return col < row.size() && row[col] ? *row[col] : std::string();
}

std::string Recordset::Field(int position) const {
  const auto& row = Current();
  if (position < 0 || static_cast<size_t>(position) >= table_->columns.size()) {
    ThrowColumnNotFound(*table_, "#" + std::to_string(position));
  }
  const auto col = static_cast<size_t>(position);
  return col < row.size() && row[col] ? *row[col] : std::string();
}

const std::vector<std::string>& Recordset::Columns() const {
  return table_ ? table_->columns : NoColumns();
}

// ---------------------------------------------------------------------------
// Database

namespace {

// The engine of each database file opened, while the file stays the same:
// every file of an archive opens the same few databases, and reading their
// first bytes again each time cost an open, a read and a close.
struct KnownFile {
  std::string path;
  FileStamp stamp;
  Engine engine;
};
std::mutex knownMutex;
std::vector<KnownFile> knownFiles;  // at most kKnownFiles, most recent last
constexpr size_t kKnownFiles = 16;

bool KnownEngine(const std::string& path, const FileStamp& stamp, Engine& engine) {
  std::lock_guard<std::mutex> lock(knownMutex);
  for (const KnownFile& k : knownFiles) {
    if (k.path == path && k.stamp == stamp) {
      engine = k.engine;
      return true;
    }
  }
  return false;
}

void RememberEngine(const std::string& path, const FileStamp& stamp, Engine engine) {
  std::lock_guard<std::mutex> lock(knownMutex);
  for (auto it = knownFiles.begin(); it != knownFiles.end(); ++it) {
    if (it->path == path) {
      knownFiles.erase(it);
      break;
    }
  }
  if (knownFiles.size() >= kKnownFiles) knownFiles.erase(knownFiles.begin());
  knownFiles.push_back({path, stamp, engine});
}

}  // namespace

std::unique_ptr<Database> Database::Open(const std::string& path, const std::string& password) {
  (void)password;  // libmdb reads password-protected Jet 4 files without it
  std::error_code ec;
  std::string absolute = path;
  const auto abs = std::filesystem::absolute(path, ec);
  if (!ec) absolute = abs.lexically_normal().string();

  struct stat st;
  if (path.empty() || ::stat(absolute.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
    throw Error(kErrDatabaseNotFound, "database file not found: " + absolute);
  }

  const FileStamp stamp = StampFrom(st);
  Engine known;
  if (KnownEngine(absolute, stamp, known))
    return std::unique_ptr<Database>(new Database(absolute, known, stamp));

  std::ifstream in(absolute, std::ios::binary);
  if (!in) {
    throw Error(kErrDatabase, "cannot read database file: " + absolute + ": " + std::strerror(errno));
  }
  char head[20] = {};
  in.read(head, sizeof head);
  const auto got = static_cast<size_t>(in.gcount());
  const std::string_view bytes(head, got);

  static constexpr std::string_view kSqliteMagic("SQLite format 3\0", 16);
  if (bytes.size() >= kSqliteMagic.size() && bytes.substr(0, kSqliteMagic.size()) == kSqliteMagic) {
    RememberEngine(absolute, stamp, Engine::Sqlite);
    return std::unique_ptr<Database>(new Database(absolute, Engine::Sqlite, stamp));
  }
  // A Jet page is at least 2 KiB; anything shorter cannot hold a catalog.
  if (bytes.size() >= 19 && st.st_size >= 4096) {
    const std::string_view id = bytes.substr(4, 15);
    if (id == "Standard Jet DB" || id == "Standard ACE DB") {
      RememberEngine(absolute, stamp, Engine::Jet);
      return std::unique_ptr<Database>(new Database(absolute, Engine::Jet, stamp));
    }
  }
  throw Error(kErrDatabaseFormat, "not a database file this component can read: " + absolute);
}

Recordset Database::OpenTable(std::string_view name) const {
  // The file as it was when opened: a Database lives for one call, and a
  // file changed since is seen as changed by the next Open.
  const FileStamp& stamp = stamp_;
  if (auto cached = CacheFind(path_, name, stamp)) return Recordset(std::move(cached));

  auto table = std::make_shared<Table>(engine_ == Engine::Sqlite ? detail::SqliteLoadTable(path_, name)
                                                                 : detail::JetLoadTable(path_, name));
  table->path = path_;
  table->name.assign(name);
  // Keep the stamp taken before reading: a file changed while being read is
  // seen as changed on the next open.
  std::shared_ptr<const Table> shared = std::move(table);
  CacheStore(path_, name, stamp, shared);
  return Recordset(std::move(shared));
}

std::vector<std::string> Database::TableNames() const {
  return engine_ == Engine::Sqlite ? detail::SqliteTableNames(path_) : detail::JetTableNames(path_);
}

// ---------------------------------------------------------------------------
// Paths

namespace {

// The path ResolveBelow found last on this thread, and when: a check reads
// the same databases for every file, and looking the path up again within
// a moment finds what it found then.
struct ResolvedPath {
  std::string sysPath, relative, result;
  std::chrono::steady_clock::time_point at{};
};
constexpr auto kResolvedPathLife = std::chrono::milliseconds(500);

std::string ResolveBelowNow(std::string_view sysPath, std::string_view relative);

}  // namespace

std::string ResolveBelow(std::string_view sysPath, std::string_view relative) {
  thread_local ResolvedPath last[2];  // SysLib and RadiationConstant
  const auto now = std::chrono::steady_clock::now();
  for (ResolvedPath& r : last)
    if (now - r.at < kResolvedPathLife && r.sysPath == sysPath && r.relative == relative)
      return r.result;
  ResolvedPath& slot = last[0].at <= last[1].at ? last[0] : last[1];
  slot.result = ResolveBelowNow(sysPath, relative);
  slot.sysPath = sysPath;
  slot.relative = relative;
  slot.at = now;
  return slot.result;
}

namespace {

std::string ResolveBelowNow(std::string_view sysPath, std::string_view relative) {
  namespace fs = std::filesystem;
  std::string base = NormalizeSeparators(sysPath);
  while (base.size() > 1 && base.back() == '/') base.pop_back();

  std::vector<std::string> parts;
  {
    const std::string rel = NormalizeSeparators(relative);
    size_t start = 0;
    while (start <= rel.size()) {
      size_t end = rel.find('/', start);
      if (end == std::string::npos) end = rel.size();
      std::string part = rel.substr(start, end - start);
      if (!part.empty() && part != ".") parts.push_back(std::move(part));
      start = end + 1;
    }
  }

  auto join = [](const std::string& dir, const std::string& part) {
    if (dir.empty()) return part;
    if (dir.back() == '/') return dir + part;
    return dir + "/" + part;
  };

  // Usually the path is there as written: one look at the whole of it.
  {
    std::string exact = base;
    for (const std::string& part : parts) exact = join(exact, part);
    std::error_code ec;
    if (!parts.empty() && fs::exists(exact, ec)) return exact;
  }

  std::string current = base;
  size_t i = 0;
  for (; i < parts.size(); ++i) {
    std::error_code ec;
    const std::string exact = join(current, parts[i]);
    if (fs::exists(exact, ec)) {
      current = exact;
      continue;
    }
    // Look for the component among the directory's entries ignoring case.
    std::string match;
    const fs::path dir = current.empty() ? fs::path(".") : fs::path(current);
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
      const std::string entry = it->path().filename().string();
      if (EqualsIgnoreAsciiCase(entry, parts[i])) {
        match = entry;
        break;
      }
    }
    if (match.empty()) break;
    current = join(current, match);
  }
  for (; i < parts.size(); ++i) current = join(current, parts[i]);
  return current;
}

}  // namespace

std::string SysLibPath(std::string_view sysPath) { return ResolveBelow(sysPath, "Sysconfig/SysLib.mdb"); }

std::string RadiationConstantPath(std::string_view sysPath) {
  return ResolveBelow(sysPath, "RadiationConstant.mdb");
}

// ---------------------------------------------------------------------------
// Shared by the engines

namespace detail {

const std::string* MatchName(const std::vector<std::string>& names, std::string_view want) {
  for (const auto& n : names) {
    if (n == want) return &n;
  }
  for (const auto& n : names) {
    if (EqualsIgnoreAsciiCase(n, want)) return &n;
  }
  return nullptr;
}

void ThrowTableNotFound(const std::string& path, std::string_view name) {
  throw Error(kErrTableNotFound, "table '" + std::string(name) + "' not found in database " + path);
}

void ClearTableCache() {
  std::lock_guard<std::mutex> lock(cacheMutex);
  cache.clear();
}

size_t TableCacheSize() {
  std::lock_guard<std::mutex> lock(cacheMutex);
  return cache.size();
}

}  // namespace detail

}  // namespace kelvane::db
