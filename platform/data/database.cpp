#include "platform/data/database.h"

#include <fcntl.h>
#include <setjmp.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <filesystem>
#include <mutex>
#include <string_view>
#include <system_error>
#include <utility>

#include "platform/automation/coerce.h"
#include "platform/files/regular_file.h"

namespace svx::data {

namespace {

// How long a statement waits for another connection's lock before it fails.
constexpr int kBusyTimeoutMs = 200;

BStr inQuotes(BStrView s) { return u"'" + BStr(s) + u"'"; }

BStr messageOf(sqlite3* db) { return db ? utf16(sqlite3_errmsg(db)) : BStr(u"out of memory"); }

// Lets a statement being prepared read tables and call functions, nothing
// else (no writing, no pragma, no attaching, no transaction control).
int onlyReading(void*, int action, const char*, const char*, const char*, const char*) {
  switch (action) {
    case SQLITE_SELECT:
    case SQLITE_READ:
    case SQLITE_FUNCTION:
    case SQLITE_RECURSIVE: return SQLITE_OK;
    default: return SQLITE_DENY;
  }
}

// SQLite's own open call, replaced for every connection of the process: a
// FIFO or a device swapped in under a database's (or a journal's) name
// could make a plain open wait for a writer forever. The replacement opens
// without waiting and keeps only regular files; a folder opened to read is
// kept too (SQLite syncs the folder of a journal through one).
using OpenCall = int (*)(const char*, int, mode_t);
OpenCall systemOpen = nullptr;

int openWithoutWaiting(const char* path, int flags, mode_t mode) {
  // SQLite fills the standard descriptors, when they are closed, with
  // /dev/null before it opens a file.
  if (std::string_view(path) == "/dev/null") return systemOpen(path, flags, mode);
  const int fd = systemOpen(path, flags | O_NONBLOCK, mode);
  if (fd < 0) return fd;
  struct stat st {};
  const bool folderToRead = (flags & O_ACCMODE) == O_RDONLY && !(flags & O_CREAT);
  if (fstat(fd, &st) != 0 || !(S_ISREG(st.st_mode) || (folderToRead && S_ISDIR(st.st_mode)))) {
    ::close(fd);
    errno = EACCES;
    return -1;
  }
  // Regular files ignore the flag; it is dropped so that nothing else sees it.
  if (const int fl = fcntl(fd, F_GETFL); fl >= 0) fcntl(fd, F_SETFL, fl & ~O_NONBLOCK);
  return fd;
}

// SQLite's calls that write or make a file longer, replaced too: one that
// would pass the process's file size limit ends the process (SIGXFSZ) where
// the signal is not ignored. The replacements refuse it with EFBIG before
// the kernel sees it, so the statement fails and its transaction writes
// nothing.
using WriteCall = ssize_t (*)(int, const void*, size_t);
using WriteAtCall = ssize_t (*)(int, const void*, size_t, off_t);
using TruncateCall = int (*)(int, off_t);
using AllocateCall = int (*)(int, off_t, off_t);
WriteCall systemWrite = nullptr;
WriteAtCall systemPwrite = nullptr, systemPwrite64 = nullptr;
TruncateCall systemFtruncate = nullptr;
AllocateCall systemFallocate = nullptr;

// Set by a refusal, for the message of the error it leads to.
thread_local bool sizeLimitRefused = false;

// True when a write of `count` bytes at `at` would pass the limit: the
// kernel refuses (and signals) a write from the limit on however long the
// file already is, and cuts one short that crosses it.
bool writePassesSizeLimit(off_t at, size_t count) {
  const auto limit = fileSizeLimit();
  if (count == 0 || !limit || static_cast<uint64_t>(at) + count <= *limit) return false;
  return sizeLimitRefused = true;
}

// True when making the file of `fd` `length` bytes long would pass the
// limit (a file already that long is not made longer, which the kernel
// allows).
bool growthPassesSizeLimit(int fd, int64_t length) {
  const auto limit = fileSizeLimit();
  if (length <= 0 || !limit || static_cast<uint64_t>(length) <= *limit) return false;
  struct stat st {};
  sizeLimitRefused = ::fstat(fd, &st) != 0 || length > st.st_size;
  return sizeLimitRefused;
}

ssize_t writeWithinLimit(int fd, const void* data, size_t count) {
  const off_t at = ::lseek(fd, 0, SEEK_CUR);
  if (at >= 0 && writePassesSizeLimit(at, count)) return errno = EFBIG, -1;
  return systemWrite(fd, data, count);
}
template <WriteAtCall& System>
ssize_t writeAtWithinLimit(int fd, const void* data, size_t count, off_t at) {
  if (at >= 0 && writePassesSizeLimit(at, count)) return errno = EFBIG, -1;
  return System(fd, data, count, at);
}
int ftruncateWithinLimit(int fd, off_t length) {
  if (growthPassesSizeLimit(fd, length)) return errno = EFBIG, -1;
  return systemFtruncate(fd, length);
}
int fallocateWithinLimit(int fd, off_t at, off_t length) {
  if (growthPassesSizeLimit(fd, at + length)) return EFBIG;  // posix_fallocate returns the error
  return systemFallocate(fd, at, length);
}

void replaceOpenCall() {
  static std::once_flag once;
  std::call_once(once, [] {
    sqlite3_vfs* vfs = sqlite3_vfs_find(nullptr);
    if (!vfs || vfs->iVersion < 3 || !vfs->xGetSystemCall || !vfs->xSetSystemCall) return;
    const auto replace = [vfs](const char* name, auto& system, auto replacement) {
      system = reinterpret_cast<std::remove_reference_t<decltype(system)>>(vfs->xGetSystemCall(vfs, name));
      if (system) vfs->xSetSystemCall(vfs, name, reinterpret_cast<sqlite3_syscall_ptr>(replacement));
    };
    replace("open", systemOpen, openWithoutWaiting);
    replace("write", systemWrite, writeWithinLimit);
    replace("pwrite", systemPwrite, writeAtWithinLimit<systemPwrite>);
    replace("pwrite64", systemPwrite64, writeAtWithinLimit<systemPwrite64>);
    replace("ftruncate", systemFtruncate, ftruncateWithinLimit);
    replace("fallocate", systemFallocate, fallocateWithinLimit);
  });
}

// What a name that is not a regular file is, for the message.
BStrView kindOf(const std::filesystem::file_status& st) {
  using std::filesystem::file_type;
  switch (st.type()) {
    case file_type::directory: return u"a folder";
    case file_type::fifo: return u"a FIFO (named pipe)";
    case file_type::character:
    case file_type::block: return u"a device";
    case file_type::socket: return u"a socket";
    default: return u"no file that holds data";
  }
}

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
  const std::filesystem::file_status st = std::filesystem::status(name, ec);
  if (!std::filesystem::exists(st))
    raise(daterr::FileNotFound, u"The database file " + inQuotes(options.path) + u" was not found.");
  if (!std::filesystem::is_regular_file(st))
    raise(err::PathFileAccessError, u"The database " + inQuotes(options.path) + u" is not a regular file (it is " +
                                         BStr(kindOf(st)) + u"); it cannot be opened.");
  replaceOpenCall();

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
  sqlite3_file_control(raw, "main", SQLITE_FCNTL_FILE_POINTER, &db->file_);
  db->headerMap_ = std::make_unique<HeaderMap>();
  db->headerMap_->open(name);
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
      switch (sqlite3_extended_errcode(db_.get())) {
        case SQLITE_READONLY_DBMOVED:
          raise(daterr::FileNotFound, u"The database file " + name + u" was deleted or moved while it was open; nothing was written.");
        case SQLITE_READONLY_DIRECTORY:
          raise(daterr::ReadOnly, u"The folder of the database " + name + u" cannot be written (its journal cannot be made there); nothing was written.");
        default:
          break;
      }
      if (options_.readOnly) raise(daterr::ReadOnly, u"The database " + name + u" is open read-only; nothing was written.");
      raise(daterr::ReadOnly, u"The database file " + name + u" cannot be written (it is read-only); nothing was written.");
    case SQLITE_CONSTRAINT:
      raise(daterr::DuplicateValue, u"The change breaks a rule of the table (" + message + u"); nothing was written.");
    case SQLITE_FULL:
    case SQLITE_IOERR:
      if (std::exchange(sizeLimitRefused, false))
        raise(daterr::WriteFailed, u"The database " + name +
                                       u" would be written past the file size limit of this process; nothing "
                                       u"was written.");
      break;
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
  if (rc != SQLITE_OK) raisePrepareFailure(rc);
  return s;
}

void Database::raisePrepareFailure(int code) const {
  const BStr message = messageOf(db_.get());
  if ((code & 0xFF) == SQLITE_ERROR) {
    if (BStr table = missingTable(message); !table.empty())
      raise(daterr::TableNotFound, u"The table or query " + inQuotes(table) + u" was not found.");
    raise(daterr::SyntaxError, u"The record source is not a valid query: " + message + u".");
  }
  raiseLast(code);
}

Statement Database::prepareQuery(BStrView source) const {
  const auto refuse = [&](BStrView why) {
    raise(daterr::SyntaxError, u"The record source " + inQuotes(source) + u" is not a valid query: " + BStr(why) +
                                   u"; nothing was run.");
  };
  const std::string sql = utf8(source);
  sqlite3* db = db_.get();
  // Prepared under a guard that refuses every action but reading.
  struct Authorizer {
    sqlite3* db;
    explicit Authorizer(sqlite3* d) : db(d) { sqlite3_set_authorizer(db, onlyReading, nullptr); }
    ~Authorizer() { sqlite3_set_authorizer(db, nullptr, nullptr); }
  } guard(db);
  sqlite3_stmt* raw = nullptr;
  const char* tail = nullptr;
  int rc = sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &raw, &tail);
  Statement s(raw);
  if ((rc & 0xFF) == SQLITE_AUTH) refuse(u"a record source may only read the database (one SELECT statement)");
  if (rc != SQLITE_OK) raisePrepareFailure(rc);
  if (!s) refuse(u"it holds no statement");
  if (!sqlite3_stmt_readonly(s.get()) || sqlite3_column_count(s.get()) == 0)
    refuse(u"a record source may only read the database (one SELECT statement)");
  // Nothing but blanks and comments may follow.
  const char* end = sql.c_str() + sql.size();
  while (tail && tail < end) {
    sqlite3_stmt* next = nullptr;
    const char* rest = nullptr;
    rc = sqlite3_prepare_v2(db, tail, static_cast<int>(end - tail), &next, &rest);
    Statement more(next);
    if (rc != SQLITE_OK || more) refuse(u"it holds more than one statement");
    if (!rest || rest <= tail) break;
    tail = rest;
  }
  return s;
}

// The header's first 100 bytes, which hold the counter.
constexpr int kHeaderBytes = 100;

namespace {

// A read of a mapped file that another program cut short raises SIGBUS;
// the read of the header takes it as a failed read, and any other SIGBUS
// goes where it went before.
thread_local sigjmp_buf* busJump = nullptr;
struct sigaction previousBus {};

void onBusError(int sig, siginfo_t* info, void* context) {
  if (sigjmp_buf* jump = busJump) {
    busJump = nullptr;
    siglongjmp(*jump, 1);
  }
  if (previousBus.sa_flags & SA_SIGINFO) {
    if (previousBus.sa_sigaction) previousBus.sa_sigaction(sig, info, context);
    return;
  }
  if (previousBus.sa_handler == SIG_IGN) return;
  if (previousBus.sa_handler == SIG_DFL) {
    ::signal(sig, SIG_DFL);
    ::raise(sig);
    return;
  }
  previousBus.sa_handler(sig);
}

void guardBusErrors() {
  static std::once_flag once;
  std::call_once(once, [] {
    struct sigaction action {};
    action.sa_sigaction = onBusError;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    sigaction(SIGBUS, &action, &previousBus);
  });
}

// The header's bytes 18 to 27, as changeCounter reads them, copied from the
// mapping; false when the mapping could not be read.
[[gnu::noinline]] bool readMappedHeader(const volatile unsigned char* header, unsigned char (&to)[10]) {
  sigjmp_buf jump;
  if (sigsetjmp(jump, 0) != 0) return false;
  busJump = &jump;
  std::atomic_signal_fence(std::memory_order_seq_cst);
  for (size_t i = 0; i < sizeof to; ++i) to[i] = header[18 + i];
  std::atomic_signal_fence(std::memory_order_seq_cst);
  busJump = nullptr;
  return true;
}

}  // namespace

void Database::HeaderMap::open(const std::string& path) {
  sqlite3_vfs* vfs = sqlite3_vfs_find(nullptr);
  if (!vfs || vfs->szOsFile <= 0) return;
  std::unique_ptr<unsigned char[]> object(new unsigned char[static_cast<size_t>(vfs->szOsFile)]());
  auto* f = reinterpret_cast<sqlite3_file*>(object.get());
  int outFlags = 0;
  if (vfs->xOpen(vfs, path.c_str(), f, SQLITE_OPEN_READONLY | SQLITE_OPEN_MAIN_DB, &outFlags) != SQLITE_OK) {
    if (f->pMethods) f->pMethods->xClose(f);
    return;
  }
  file = std::move(object);
  if (f->pMethods->iVersion < 3) return;
  sqlite3_int64 limit = kHeaderBytes;
  void* p = nullptr;
  if (f->pMethods->xFileControl(f, SQLITE_FCNTL_MMAP_SIZE, &limit) == SQLITE_OK &&
      f->pMethods->xFetch(f, 0, kHeaderBytes, &p) == SQLITE_OK && p) {
    mapped = p;
    header = static_cast<const volatile unsigned char*>(p);
    guardBusErrors();
  }
}

Database::HeaderMap::~HeaderMap() {
  if (!file) return;
  auto* f = reinterpret_cast<sqlite3_file*>(file.get());
  if (mapped) f->pMethods->xUnfetch(f, 0, mapped);
  f->pMethods->xClose(f);
}

std::optional<uint32_t> Database::changeCounter() const {
  // Header bytes 18 and 19 (2 in WAL mode, where the counter does not
  // change) to 27; the counter is bytes 24 to 27, big-endian.
  unsigned char header[10] = {};
  if (headerMap_ && headerMap_->header) {
    if (!readMappedHeader(headerMap_->header, header)) {
      // Another program cut the file short: read it from now on.
      headerMap_->header = nullptr;
      return std::nullopt;
    }
  } else {
    if (!file_ || !file_->pMethods) return std::nullopt;
    if (file_->pMethods->xRead(file_, header, sizeof header, 18) != SQLITE_OK) return std::nullopt;
  }
  if (header[0] == 2 || header[1] == 2) return std::nullopt;
  return (uint32_t{header[6]} << 24) | (uint32_t{header[7]} << 16) | (uint32_t{header[8]} << 8) | uint32_t{header[9]};
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
  // A second try for a rollback that failed (it may not leave the connection
  // inside the transaction).
  for (int attempt = 0; attempt < 2 && !sqlite3_get_autocommit(db_.get()); ++attempt)
    sqlite3_exec(db_.get(), "ROLLBACK", nullptr, nullptr, nullptr);
}

const ClassInfo& Database::info() {
  static const ClassInfo ci = ClassInfo(u"Database")
                                  .get<&Database::Name>(u"Name", {}, u"The path of the database file.")
                                  .get<&Database::Connect>(u"Connect", {}, u"The connect string it was opened with.")
                                  .get<&Database::Updatable>(u"Updatable", {}, u"False when it is open read-only.");
  return ci;
}

}  // namespace svx::data
