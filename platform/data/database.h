// The data-access layer: a database file opened through one connection, the
// errors of data access, and the statements that the recordsets run. The
// database files are SQLite files; a failure never creates or changes one.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/automation/dispatch.h"

struct sqlite3;
struct sqlite3_stmt;
struct sqlite3_file;

namespace svx::data {

// Error numbers of data access.
namespace daterr {
inline constexpr int32_t UpdateWithoutEdit = 3020;
inline constexpr int32_t NoCurrentRecord = 3021;
inline constexpr int32_t DuplicateValue = 3022;
inline constexpr int32_t FileNotFound = 3024;
inline constexpr int32_t ReadOnly = 3027;
inline constexpr int32_t DatabaseInUse = 3045;
inline constexpr int32_t SyntaxError = 3075;
inline constexpr int32_t TableNotFound = 3078;
inline constexpr int32_t WriteFailed = 3146;
inline constexpr int32_t RecordDeleted = 3167;
inline constexpr int32_t UnknownConnect = 3170;
inline constexpr int32_t DataChanged = 3197;
inline constexpr int32_t Locked = 3260;
inline constexpr int32_t ItemNotFound = 3265;
inline constexpr int32_t NotADatabase = 3343;
}  // namespace daterr

// One finished statement: reset and finalised with the handle.
struct StatementDeleter {
  void operator()(sqlite3_stmt* s) const;
};
using Statement = std::unique_ptr<sqlite3_stmt, StatementDeleter>;

struct ConnectionDeleter {
  void operator()(sqlite3* db) const;
};

// Where a database is and how it is opened.
struct OpenOptions {
  BStr path;
  bool readOnly = false;
  bool exclusive = false;  // held locked for this connection while it is open
};

// The database object that a data control hands out: Name, Connect and
// Updatable to scripts; the connection to the system's own code.
class Database : public Object {
 public:
  static const ClassInfo& info();
  const ClassInfo& classInfo() const override { return info(); }

  // Opens an existing database file; raises the data-access errors (a
  // missing file, a file that is not a database, a database locked by
  // another connection) and 75 for a name that is no regular file (a
  // folder, a FIFO, a device). Never creates a file, and never waits in an
  // open: every file SQLite opens (the database, its journals) is opened
  // without blocking and refused unless it is a regular file.
  static Ref<Database> open(const OpenOptions& options, BStr connect);

  const BStr& name() const { return options_.path; }
  bool readOnly() const { return options_.readOnly; }
  sqlite3* handle() const { return db_.get(); }

  // A prepared statement; SQL errors raise (3078 for a missing table, 3075
  // otherwise).
  Statement prepare(const std::string& sql) const;
  // A query that a script wrote: exactly one statement (nothing but blanks
  // and comments after it) that returns rows and only reads. Anything else
  // raises 3075 and is never run.
  Statement prepareQuery(BStrView sql) const;
  // Raises the error of the connection's last failed call.
  [[noreturn]] void raiseLast(int code, BStrView context = {}) const;
  // Runs `work` in a write transaction: committed when it returns, rolled
  // back when it or the commit raises (another connection still reading
  // makes the commit wait a little, then fail). Either way the connection is
  // out of the transaction afterwards, and after a failure the file is as it
  // was.
  template <class F>
  void inTransaction(F&& work) {
    begin();
    try {
      std::forward<F>(work)();
      commit();
    } catch (...) {
      rollback();
      throw;
    }
  }

  // The file's change counter, which every commit of a connection in a
  // rollback-journal mode changes, read without a lock; none in WAL mode (the
  // counter then does not follow the commits) or when it cannot be read.
  // It is read from a mapping of the file's header, without a system call;
  // where the file cannot be mapped, through a read of the header.
  std::optional<uint32_t> changeCounter() const;

  // Automation members.
  Variant Name() { return Variant(options_.path); }
  Variant Connect() { return Variant(connect_); }
  Variant Updatable() { return Variant(!options_.readOnly); }

 private:
  Database(OpenOptions options, BStr connect);
  [[noreturn]] void raisePrepareFailure(int code) const;
  void exec(const char* sql);
  void begin();
  void commit();
  void rollback();

  OpenOptions options_;
  BStr connect_;
  std::unique_ptr<sqlite3, ConnectionDeleter> db_;
  sqlite3_file* file_ = nullptr;  // the main file, for its change counter
  // A file object of the database's own (opened through SQLite's VFS, which
  // keeps the process's locks on the file whole when it closes) whose
  // mapping of the header the counter is read from.
  struct HeaderMap {
    std::unique_ptr<unsigned char[]> file;  // the VFS's file object
    void* mapped = nullptr;                 // what the VFS handed out
    // The mapped header while it can be read (none after the file was cut
    // short under it).
    const volatile unsigned char* header = nullptr;
    HeaderMap() = default;
    HeaderMap(HeaderMap&&) = delete;
    ~HeaderMap();
    void open(const std::string& path);
  };
  std::unique_ptr<HeaderMap> headerMap_;
};

// Whether a connect string names a local database file: empty, or of the
// file type with any version ("Access 2000;").
bool isLocalFileConnect(BStrView connect);

// Quotes a name for SQL ("a""b").
std::string quoteName(BStrView name);

}  // namespace svx::data
