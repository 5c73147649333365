// The table that the data benchmarks read: "rows" (id, name, amount) with
// kRows rows, in a database file made in a temporary folder of the
// benchmark's own and removed with the object.
#pragma once

#include <sqlite3.h>
#include <stdlib.h>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <system_error>

namespace svx::bench {

inline constexpr int kRows = 100000;

class RowsDatabase {
 public:
  RowsDatabase() {
    std::string pattern = (std::filesystem::temp_directory_path() / "svx-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    folder_ = pattern;
    file_ = folder_ / "rows.db";
    sqlite3* db = nullptr;
    sqlite3_open_v2(file_.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    const std::string sql =
        "CREATE TABLE rows (id INTEGER PRIMARY KEY, name TEXT, amount REAL);"
        "WITH RECURSIVE k(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM k WHERE i < " + std::to_string(kRows) +
        ") INSERT INTO rows SELECT i, 'row ' || i, i * 0.5 FROM k;";
    const int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
    sqlite3_close(db);
    if (rc != SQLITE_OK) throw std::runtime_error("cannot make the database");
  }
  ~RowsDatabase() {
    std::error_code ec;
    std::filesystem::remove_all(folder_, ec);
  }
  RowsDatabase(const RowsDatabase&) = delete;
  RowsDatabase& operator=(const RowsDatabase&) = delete;

  const std::filesystem::path& file() const { return file_; }

 private:
  std::filesystem::path folder_, file_;
};

}  // namespace svx::bench
