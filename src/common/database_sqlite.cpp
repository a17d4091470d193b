// SQLite engine: reads a whole table of an SQLite database file as text.
#include <sqlite3.h>

#include <string>
#include <vector>

#include "common/database.h"
#include "common/error.h"
#include "kelvane/status.h"

namespace kelvane::db::detail {

namespace {

// An open read-only connection, closed on every path out.
class Connection {
 public:
  explicit Connection(const std::string& path) : path_(path) {
    const int rc = sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
      const std::string message = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(rc);
      sqlite3_close(db_);
      db_ = nullptr;
      Fail(message);
    }
  }
  ~Connection() { sqlite3_close(db_); }
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  sqlite3_stmt* Prepare(const std::string& sql) {
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db_, sql.c_str(), static_cast<int>(sql.size()), &stmt, nullptr) != SQLITE_OK) {
      sqlite3_finalize(stmt);
      Fail(sqlite3_errmsg(db_));
    }
    return stmt;
  }

  [[noreturn]] void Fail(const std::string& message) const {
    throw Error(kErrDatabase, "database error in " + path_ + ": " + message);
  }
  [[noreturn]] void FailLast() const { Fail(sqlite3_errmsg(db_)); }

 private:
  std::string path_;
  sqlite3* db_ = nullptr;
};

// Finalizes a statement on every path out.
class Statement {
 public:
  explicit Statement(sqlite3_stmt* stmt) : stmt_(stmt) {}
  ~Statement() { sqlite3_finalize(stmt_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;
  sqlite3_stmt* get() const { return stmt_; }

 private:
  sqlite3_stmt* stmt_;
};

std::vector<std::string> UserTables(Connection& conn) {
  Statement stmt(conn.Prepare(
      "SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\' "
      "ORDER BY rowid"));
  std::vector<std::string> names;
  int rc;
  while ((rc = sqlite3_step(stmt.get())) == SQLITE_ROW) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt.get(), 0));
    if (text) names.emplace_back(text);
  }
  if (rc != SQLITE_DONE) conn.FailLast();
  return names;
}

// "name" with embedded quotes doubled.
std::string QuoteIdentifier(const std::string& name) {
  std::string quoted = "\"";
  for (char c : name) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  quoted += '"';
  return quoted;
}

}  // namespace

std::vector<std::string> SqliteTableNames(const std::string& path) {
  Connection conn(path);
  return UserTables(conn);
}

Table SqliteLoadTable(const std::string& path, std::string_view name) {
  Connection conn(path);
  const std::vector<std::string> names = UserTables(conn);
  const std::string* actual = MatchName(names, name);
  if (!actual) ThrowTableNotFound(path, name);

  Statement stmt(conn.Prepare("SELECT * FROM " + QuoteIdentifier(*actual)));
  Table table;
  table.path = path;
  table.name.assign(name);
  const int ncols = sqlite3_column_count(stmt.get());
  table.columns.reserve(static_cast<size_t>(ncols));
  for (int c = 0; c < ncols; ++c) {
    const char* col = sqlite3_column_name(stmt.get(), c);
    table.columns.emplace_back(col ? col : "");
  }

  int rc;
  while ((rc = sqlite3_step(stmt.get())) == SQLITE_ROW) {
    auto& row = table.rows.emplace_back();
    row.reserve(static_cast<size_t>(ncols));
    for (int c = 0; c < ncols; ++c) {
      if (sqlite3_column_type(stmt.get(), c) == SQLITE_NULL) {
        row.emplace_back(std::nullopt);
        continue;
      }
      const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt.get(), c));
      const int bytes = sqlite3_column_bytes(stmt.get(), c);
      row.emplace_back(text ? std::string(text, static_cast<size_t>(bytes)) : std::string());
    }
  }
  if (rc != SQLITE_DONE) conn.FailLast();
  return table;
}

}  // namespace kelvane::db::detail
