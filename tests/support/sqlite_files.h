// Database files for tests: a temporary folder of the test's own, SQLite
// files made in it from SQL, a second connection (to lock or change a file
// behind the system's back) and the exact bytes of a file, to prove that a
// failure left it as it was.
#pragma once

#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/support/child_process.h"

namespace svx::testing {

class TempFolder {
 public:
  TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "svx-data-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
  }
  ~TempFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }
  // The names in the folder.
  std::set<std::string> listing() const {
    std::set<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(path_)) names.insert(e.path().filename().string());
    return names;
  }

 private:
  std::filesystem::path path_;
};

// A connection of the test's own.
class Connection {
 public:
  explicit Connection(const std::filesystem::path& file, bool create = false) {
    const int flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0);
    if (sqlite3_open_v2(file.c_str(), &db_, flags, nullptr) != SQLITE_OK) throw std::runtime_error("open failed");
  }
  ~Connection() { sqlite3_close_v2(db_); }
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;
  void exec(const std::string& sql) {
    char* message = nullptr;
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
      std::string text = message ? message : "?";
      sqlite3_free(message);
      throw std::runtime_error(text + " in " + sql);
    }
  }
  // The first column of the first row, as text ("" for none).
  std::string scalar(const std::string& sql) {
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &s, nullptr) != SQLITE_OK) throw std::runtime_error(sqlite3_errmsg(db_));
    std::string out;
    if (sqlite3_step(s) == SQLITE_ROW && sqlite3_column_text(s, 0))
      out = reinterpret_cast<const char*>(sqlite3_column_text(s, 0));
    sqlite3_finalize(s);
    return out;
  }

 private:
  sqlite3* db_ = nullptr;
};

// Creates a database file from SQL.
inline std::filesystem::path makeDatabase(const std::filesystem::path& file, const std::string& sql) {
  Connection c(file, true);
  c.exec(sql);
  return file;
}

// A table "people" (id, name, age) with `n` rows: "P1" ... "Pn", ages 20 + i.
inline std::string peopleSql(int n) {
  std::string sql = "CREATE TABLE people (id INTEGER PRIMARY KEY, name TEXT UNIQUE, age INTEGER);";
  sql += "WITH RECURSIVE k(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM k WHERE i < " + std::to_string(n) +
         ") INSERT INTO people (id, name, age) SELECT i, 'P' || i, 20 + i FROM k;";
  return sql;
}

// A second process that holds a lock on a database file from its
// construction to its destruction: it runs `sql` (for instance "BEGIN
// IMMEDIATE") on a connection of its own, says so, and waits; at the end it
// rolls back and exits. Stopped by its process id.
class LockingProcess {
 public:
  LockingProcess(const std::filesystem::path& file, const std::string& sql) {
    int ready[2], release[2];
    if (pipe(ready) != 0 || pipe(release) != 0) throw std::runtime_error("pipe failed");
    pid_ = fork();
    if (pid_ < 0) throw std::runtime_error("fork failed");
    if (pid_ == 0) {
      close(ready[0]);
      close(release[1]);
      sqlite3* db = nullptr;
      char ok = 0;
      if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK &&
          sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK)
        ok = 1;
      if (write(ready[1], &ok, 1) != 1) _exit(2);
      char c;
      while (read(release[0], &c, 1) < 0) {
      }
      sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
      sqlite3_close(db);
      _exit(0);
    }
    close(ready[1]);
    close(release[0]);
    release_ = release[1];
    char ok = 0;
    const bool told = read(ready[0], &ok, 1) == 1;
    close(ready[0]);
    if (!told || !ok) {
      stop();
      throw std::runtime_error("the second process could not take its lock: " + sql);
    }
  }
  ~LockingProcess() { stop(); }
  LockingProcess(const LockingProcess&) = delete;
  LockingProcess& operator=(const LockingProcess&) = delete;

  // Releases the lock and waits for the process to end.
  void stop() {
    if (release_ >= 0) {
      close(release_);  // the child reads the end of the pipe
      release_ = -1;
    }
    if (pid_ > 0) {
      int status = 0;
      waitpid(pid_, &status, 0);
      pid_ = -1;
    }
  }

 private:
  pid_t pid_ = -1;
  int release_ = -1;
};


inline std::vector<char> fileBytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace svx::testing
