// Read-only access to the reference databases below the system directory:
// Sysconfig/SysLib.mdb (stations, audit rules, radiation rules) and
// RadiationConstant.mdb (possible global and direct radiation).
//
// Two engines sit behind one interface, chosen by the file's first bytes: an
// SQLite file is read through SQLite, a Jet (.mdb) file through libmdb.
// A table is read whole into memory when opened (the tables are small); the
// recordset then filters, sorts and reads fields without touching the file.
//
// Failures (missing file, unknown format, missing table or column, engine
// errors) raise kelvane::Error with a message naming the path and the table.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelvane::db {

// One table as read from a database file. A null field is std::nullopt.
struct Table {
  std::string path;  // database file the table came from
  std::string name;  // table name as asked for
  std::vector<std::string> columns;
  std::vector<std::vector<std::optional<std::string>>> rows;
};

// A cursor over a table: optional exact-match filter on one column, optional
// order, and a current row.
class Recordset {
 public:
  Recordset() = default;
  explicit Recordset(std::shared_ptr<const Table> table);

  // True when no row is visible (at the same time before the first and after
  // the last row); before any filter that means the table has no rows.
  bool IsEmpty() const;
  // Keep only rows whose column equals key exactly (case-sensitive; a null
  // field matches nothing); the cursor moves to the first match, or to the
  // end when nothing matches. Raises kelvane::Error when the column is missing.
  void Filter(std::string_view column, std::string_view key);
  // Remove the filter; the cursor moves to the first row.
  void ClearFilter();
  // Order the rows by a column, ascending; numeric order when every non-null
  // value of the column is a number, byte-wise text order otherwise; nulls
  // first, equal values keep their stored order. A filter stays in force.
  // Resets the cursor. Raises kelvane::Error when the column is missing.
  void SortBy(std::string_view column);

  bool Eof() const;
  void MoveFirst();
  void MoveNext();
  // Number of rows visible through the current filter.
  size_t RecordCount() const;

  // Field of the current row as text (null as ""), by column name or by
  // 0-based position (0 is the key column). Raises kelvane::Error when there
  // is no current row or no such column.
  std::string Field(std::string_view column) const;
  std::string Field(int position) const;
  // Index of a column (exact name first, then ignoring ASCII case), or -1.
  int ColumnIndex(std::string_view column) const;

  const std::vector<std::string>& Columns() const;
  const Table& table() const { return *table_; }

 private:
  const std::vector<std::optional<std::string>>& Current() const;
  int RequireColumn(std::string_view column) const;
  void ApplyFilter();

  std::shared_ptr<const Table> table_;
  std::vector<size_t> order_;  // all row indices, in sort order
  std::vector<size_t> view_;   // row indices visible through the filter, in order
  int filterColumn_ = -1;      // -1: no filter
  std::string filterKey_;
  size_t pos_ = 0;
};

enum class Engine { Sqlite, Jet };

namespace detail {
// What tells a file changed: size, modification time, inode and device.
struct FileStamp {
  int64_t size = 0;
  int64_t mtimeNs = 0;
  uint64_t inode = 0;
  uint64_t device = 0;
  bool operator==(const FileStamp&) const = default;
};
}  // namespace detail

class Database {
 public:
  // Opens a database file; the engine is chosen by its first bytes. An
  // optional password is accepted for Jet files (libmdb reads Jet 4 files
  // without it). Raises kelvane::Error on failure.
  static std::unique_ptr<Database> Open(const std::string& path,
                                        const std::string& password = "");

  // Reads a whole table (exact name first, then ignoring ASCII case). Tables
  // already read from an unchanged file come from a small process-wide cache.
  // Raises kelvane::Error when the table is missing.
  Recordset OpenTable(std::string_view name) const;
  // Names of the user tables of the file.
  std::vector<std::string> TableNames() const;

  Engine engine() const { return engine_; }
  // Absolute path of the file.
  const std::string& path() const { return path_; }

 private:
  Database(std::string path, Engine engine, const detail::FileStamp& stamp)
      : path_(std::move(path)), engine_(engine), stamp_(stamp) {}
  std::string path_;
  Engine engine_;
  detail::FileStamp stamp_;  // of the file when opened
};

// Path of a file below the system directory: sysPath with or without a
// trailing separator, either separator accepted in both arguments; each
// component is matched case-insensitively when the exact case does not exist.
std::string ResolveBelow(std::string_view sysPath, std::string_view relative);
// sysPath + Sysconfig/SysLib.mdb, resolved as above.
std::string SysLibPath(std::string_view sysPath);
// sysPath + RadiationConstant.mdb, resolved as above.
std::string RadiationConstantPath(std::string_view sysPath);

// Password of RadiationConstant.mdb.
inline constexpr const char* kRadiationConstantPassword = "pxvarnolt";

// Raised by Recordset::Field when the cursor is before the first or after the
// last row.
inline constexpr int kErrNoCurrentRow = 3021;

namespace detail {

// Engine entry points. path is absolute and names an existing file of the
// engine's format. LoadTable resolves the name with MatchTableName and raises
// kelvane::Error (table not found, engine failure) with messages naming path.
Table SqliteLoadTable(const std::string& path, std::string_view name);
std::vector<std::string> SqliteTableNames(const std::string& path);
Table JetLoadTable(const std::string& path, std::string_view name);
std::vector<std::string> JetTableNames(const std::string& path);

// The entry of names equal to want, else the first equal ignoring ASCII
// case, else nullptr.
const std::string* MatchName(const std::vector<std::string>& names, std::string_view want);
// Raises the table-not-found error for name in the database at path.
[[noreturn]] void ThrowTableNotFound(const std::string& path, std::string_view name);

// Drops every cached table (tests).
void ClearTableCache();
// Number of tables held by the cache (tests).
size_t TableCacheSize();

}  // namespace detail

}  // namespace kelvane::db
