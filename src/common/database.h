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

  // True when the table has no rows at all (before first and after last).
  bool IsEmpty() const;
  // Keep only rows whose column equals key exactly (case-sensitive); the
  // cursor moves to the first match, or to the end when nothing matches.
  void Filter(std::string_view column, std::string_view key);
  // Remove the filter; the cursor moves to the first row.
  void ClearFilter();
  // Order the rows by a column, ascending; numeric order when every value
  // of the column is a number, text order otherwise. Resets the cursor.
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
  // Index of a column, or -1.
  int ColumnIndex(std::string_view column) const;

  const std::vector<std::string>& Columns() const;
  const Table& table() const { return *table_; }

 private:
  const std::vector<std::optional<std::string>>& Current() const;
  std::shared_ptr<const Table> table_;
  std::vector<size_t> view_;  // row indices visible, in order
  size_t pos_ = 0;
};

enum class Engine { Sqlite, Jet };

class Database {
 public:
  // Opens a database file; the engine is chosen by its first bytes. An
  // optional password is accepted for Jet files (libmdb reads Jet 4 files
  // without it). Raises kelvane::Error on failure.
  static std::unique_ptr<Database> Open(const std::string& path,
                                        const std::string& password = "");

  // Reads a whole table. Raises kelvane::Error when the table is missing.
  Recordset OpenTable(std::string_view name) const;
  // Names of the user tables of the file.
  std::vector<std::string> TableNames() const;

  Engine engine() const { return engine_; }
  const std::string& path() const { return path_; }

 private:
  Database(std::string path, Engine engine) : path_(std::move(path)), engine_(engine) {}
  std::string path_;
  Engine engine_;
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

}  // namespace kelvane::db
