#include "platform/data/database.h"

#include <sqlite3.h>

#include <filesystem>
#include <system_error>

#include "platform/automation/coerce.h"
#include "platform/files/regular_file.h"

namespace svx::data {

namespace {

// How long a statement waits for another connection's lock before it fails.
constexpr int kBusyTimeoutMs = 200;

BStr inQuotes(BStrView s) { return u"'" + BStr(s) + u"'"; }

BStr messageOf(sqlite3* db) { return db ? utf16(sqlite3_errmsg(db)) : BStr(u"out of memory"); }

// The table named in "no such table: x".
BStr missingTable(const BStr& message) {
  constexpr BStrView prefix = u"no such table: ";
  if (message.starts_with(prefix)) return message.substr(prefix.size());
  return {};
}

}  // namespace

void StatementDeleter::operator()(sqlite3_stmt* s) const { sqlite3_finalize(s); }
void ConnectionDeleter::operator()(sqlite3* db) const { sqlite3_close_v2(db); }

bool isLocalFileConnect(BStrView connect) {
  BStrView type = connect.substr(0, connect.find(u';'));
  while (!type.empty() && type.front() == u' ') type.remove_prefix(1);
  while (!type.empty() && type.back() == u' ') type.remove_suffix(1);
  constexpr BStrView fileType = u"Access";
  if (type.empty()) return true;
  if (type.size() < fileType.size() || !sameName(type.substr(0, fileType.size()), fileType)) return false;
  return type.size() == fileType.size() || type[fileType.size()] == u' ';
}

std::string quoteName(BStrView name) {
  std::string out = "\"";
  for (char c : utf8(name)) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

Database::Database(OpenOptions options, BStr connect) : options_(std::move(options)), connect_(std::move(connect)) {}

Ref<Database> Database::open(const OpenOptions& options, BStr connect) {
  if (!isLocalFileConnect(connect))
    raise(daterr::UnknownConnect, u"The connect string " + inQuotes(connect) + u" names a kind of database that cannot be opened.");
  if (options.path.empty()) raise(daterr::FileNotFound, u"No database file is named (DatabaseName is empty).");
  const std::string name = fileSystemName(options.path);  // 52 for a name with a NUL
  std::error_code ec;
  if (!std::filesystem::is_regular_file(name, ec))
    raise(daterr::FileNotFound, u"The database file " + inQuotes(options.path) + u" was not found.");

  Ref<Database> db(new Database(options, std::move(connect)));
  sqlite3* raw = nullptr;
  // Without SQLITE_OPEN_CREATE: a file that vanished since the test above is
  // an error, never a new empty database.
  const int flags = (options.readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) | SQLITE_OPEN_NOMUTEX;
  const int rc = sqlite3_open_v2(name.c_str(), &raw, flags, nullptr);
  db->db_.reset(raw);
  if (rc != SQLITE_OK) db->raiseLast(rc);
  sqlite3_extended_result_codes(raw, 0);
  sqlite3_busy_timeout(raw, kBusyTimeoutMs);
  if (options.exclusive) db->exec("PRAGMA locking_mode=EXCLUSIVE");
  // Reading the schema proves that the file is a database and that no other
  // connection holds it locked; an exclusive connection keeps its lock.
  Statement probe = db->prepare("SELECT count(*) FROM sqlite_master");
  const int step = sqlite3_step(probe.get());
  if (step != SQLITE_ROW) db->raiseLast(step);
  probe.reset();
  if (options.exclusive && !options.readOnly) {
    db->exec("BEGIN EXCLUSIVE");
    db->exec("COMMIT");
  }
  return db;
}

void Database::raiseLast(int code, BStrView context) const {
  const BStr message = messageOf(db_.get());
  const BStr name = inQuotes(options_.path);
  switch (code & 0xFF) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
      if (context.empty()) raise(daterr::DatabaseInUse, u"The database " + name + u" is locked by another connection.");
      raise(daterr::Locked, u"The database " + name + u" is locked by another connection; nothing was written.");
    case SQLITE_NOTADB:
      raise(daterr::NotADatabase, u"The file " + name + u" is not a database.");
    case SQLITE_CANTOPEN:
      raise(daterr::FileNotFound, u"The database file " + name + u" could not be opened.");
    case SQLITE_READONLY:
      raise(daterr::ReadOnly, u"The database " + name + u" is open read-only; nothing was written.");
    case SQLITE_CONSTRAINT:
      raise(daterr::DuplicateValue, u"The change breaks a rule of the table (" + message + u"); nothing was written.");
    default:
      break;
  }
  if (!context.empty()) raise(daterr::WriteFailed, BStr(context) + u": " + message);
  raise(daterr::WriteFailed, u"The database " + name + u" reported an error: " + message);
}

Statement Database::prepare(const std::string& sql) const {
  sqlite3_stmt* raw = nullptr;
  const int rc = sqlite3_prepare_v2(db_.get(), sql.c_str(), static_cast<int>(sql.size()), &raw, nullptr);
  Statement s(raw);
  if (rc == SQLITE_OK) return s;
  const BStr message = messageOf(db_.get());
  const int base = rc & 0xFF;
  if (base == SQLITE_ERROR) {
    if (BStr table = missingTable(message); !table.empty())
      raise(daterr::TableNotFound, u"The table or query " + inQuotes(table) + u" was not found.");
    raise(daterr::SyntaxError, u"The record source is not a valid query: " + message + u".");
  }
  raiseLast(rc);
}

void Database::exec(const char* sql) {
  const int rc = sqlite3_exec(db_.get(), sql, nullptr, nullptr, nullptr);
  if (rc != SQLITE_OK) raiseLast(rc, u"The database could not be changed");
}

void Database::begin() {
  if (options_.readOnly) raise(daterr::ReadOnly, u"The database " + inQuotes(options_.path) + u" is open read-only; nothing was written.");
  exec("BEGIN IMMEDIATE");
}

void Database::commit() { exec("COMMIT"); }

void Database::rollback() {
  if (!sqlite3_get_autocommit(db_.get())) sqlite3_exec(db_.get(), "ROLLBACK", nullptr, nullptr, nullptr);
}

const ClassInfo& Database::info() {
  static const ClassInfo ci = ClassInfo(u"Database")
                                  .get<&Database::Name>(u"Name")
                                  .get<&Database::Connect>(u"Connect")
                                  .get<&Database::Updatable>(u"Updatable");
  return ci;
}

}  // namespace svx::data
