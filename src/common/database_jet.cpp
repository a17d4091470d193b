// Jet engine: reads a whole table of a Jet (.mdb) file as text through
// libmdb. libmdb hands every field back as UTF-8 text; a few kinds are
// brought to the forms the callers expect (see NormalizeField).
#include <glib.h>  // must precede mdbtools.h in C++
#include <mdbtools.h>

#include <algorithm>
#include <mutex>
#include <string>
#include <vector>

#include "common/database.h"
#include "common/error.h"
#include "kelvane/status.h"

namespace kelvane::db::detail {

namespace {

// libmdb calls are serialised: its handles are not shared, but keeping one
// reader at a time costs nothing here (tables are small and cached).
std::mutex mdbMutex;

[[noreturn]] void Fail(const std::string& path, const std::string& message) {
  throw Error(kErrDatabase, "database error in " + path + ": " + message);
}

// An open libmdb handle with its catalog read, closed on every path out.
class Handle {
 public:
  explicit Handle(const std::string& path) : path_(path) {
    mdb_ = mdb_open(path.c_str(), MDB_NOFLAGS);
    if (!mdb_) Fail(path, "libmdb cannot open the file");
    // Yes/no fields as "1"/"0" rather than words.
    mdb_set_boolean_fmt_numbers(mdb_);
    if (!mdb_read_catalog(mdb_, MDB_TABLE)) {
      mdb_close(mdb_);
      mdb_ = nullptr;
      Fail(path, "libmdb cannot read the catalog");
    }
  }
  ~Handle() {
    if (mdb_) mdb_close(mdb_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;

  MdbHandle* get() const { return mdb_; }

  // Names of the user tables (system and hidden tables left out).
  std::vector<std::string> UserTables() const {
    std::vector<std::string> names;
    for (unsigned i = 0; i < mdb_->num_catalog; ++i) {
      auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb_->catalog, i));
      if (!entry || entry->object_type != MDB_TABLE || mdb_is_system_table(entry)) continue;
      names.emplace_back(entry->object_name);
    }
    return names;
  }

 private:
  std::string path_;
  MdbHandle* mdb_ = nullptr;
};

// Frees a table definition on every path out.
class TableDef {
 public:
  explicit TableDef(MdbTableDef* def) : def_(def) {}
  ~TableDef() {
    if (def_) mdb_free_tabledef(def_);
  }
  TableDef(const TableDef&) = delete;
  TableDef& operator=(const TableDef&) = delete;
  MdbTableDef* get() const { return def_; }

 private:
  MdbTableDef* def_;
};

bool IsDecimalKind(int type) {
  return type == MDB_FLOAT || type == MDB_DOUBLE || type == MDB_MONEY || type == MDB_NUMERIC;
}

// libmdb writes currency with four decimals and scaled decimals with all
// their scale digits ("12.3400"); the callers expect the plain number text
// ("12.34", "5"), the form single and double values already have.
void NormalizeField(int type, std::string& text) {
  if (!IsDecimalKind(type)) return;
  const size_t dot = text.find('.');
  if (dot == std::string::npos || text.find_first_of("eE", dot) != std::string::npos) return;
  size_t end = text.size();
  while (end > dot + 1 && text[end - 1] == '0') --end;
  if (end == dot + 1) end = dot;  // no decimals left: drop the point too
  text.resize(end);
  if (text == "-0") text = "0";
}

}  // namespace

std::vector<std::string> JetTableNames(const std::string& path) {
  std::lock_guard<std::mutex> lock(mdbMutex);
  Handle handle(path);
  return handle.UserTables();
}

Table JetLoadTable(const std::string& path, std::string_view name) {
  std::lock_guard<std::mutex> lock(mdbMutex);
  Handle handle(path);
  const std::vector<std::string> names = handle.UserTables();
  const std::string* actual = MatchName(names, name);
  if (!actual) ThrowTableNotFound(path, name);

  std::string tableName = *actual;
  TableDef def(mdb_read_table_by_name(handle.get(), tableName.data(), MDB_TABLE));
  if (!def.get()) Fail(path, "libmdb cannot read table '" + tableName + "'");
  if (!mdb_read_columns(def.get())) Fail(path, "libmdb cannot read the columns of table '" + tableName + "'");
  mdb_rewind_table(def.get());

  MdbTableDef* t = def.get();
  const size_t ncols = t->num_cols;
  const size_t bindSize = handle.get()->bind_size ? handle.get()->bind_size : MDB_BIND_SIZE;

  Table table;
  table.path = path;
  table.name.assign(name);
  table.columns.reserve(ncols);
  std::vector<int> types(ncols);
  std::vector<char> buffer(ncols * bindSize, '\0');
  std::vector<int> lengths(ncols, 0);
  for (size_t c = 0; c < ncols; ++c) {
    auto* col = static_cast<MdbColumn*>(g_ptr_array_index(t->columns, c));
    table.columns.emplace_back(col->name);
    types[c] = col->col_type;
    mdb_bind_column(t, static_cast<int>(c + 1), buffer.data() + c * bindSize, &lengths[c]);
  }

  while (mdb_fetch_row(t)) {
    auto& row = table.rows.emplace_back();
    row.reserve(ncols);
    for (size_t c = 0; c < ncols; ++c) {
      // libmdb gives a null field (and an empty text) as length 0.
      const int len = lengths[c];
      if (len <= 0) {
        row.emplace_back(std::nullopt);
        continue;
      }
      const size_t n = std::min(static_cast<size_t>(len), bindSize - 1);
      std::string text(buffer.data() + c * bindSize, n);
      NormalizeField(types[c], text);
      row.emplace_back(std::move(text));
    }
  }
  return table;
}

}  // namespace kelvane::db::detail
