// sorvanelix-sample-db FILE: writes the small database that the data-control
// example opens (a table "books": id, title, author, year). An existing file
// is left alone.
#include <sqlite3.h>

#include <cstdio>
#include <string_view>

namespace {

constexpr const char* kUsage = "usage: sorvanelix-sample-db FILE\n";

}  // namespace

int main(int argc, char** argv) {
  const std::string_view arg = argc == 2 ? argv[1] : "";
  if (arg == "-h" || arg == "--help") {
    std::printf("%s\nWrites the database of examples/data_form.js into FILE: a table \"books\" (id,\n"
                "title, author, year) with five rows. An existing FILE is left as it is.\n",
                kUsage);
    return 0;
  }
  // An option is never taken for a file name.
  if (argc != 2 || arg.empty() || arg.front() == '-') {
    std::fputs(kUsage, stderr);
    return 2;
  }
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(argv[1], &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
    sqlite3_close(db);
    std::fprintf(stderr, "%s exists; left as it is\n", argv[1]);
    return 1;
  }
  sqlite3_close(db);
  if (sqlite3_open_v2(argv[1], &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
    std::fprintf(stderr, "cannot create %s\n", argv[1]);
    sqlite3_close(db);
    return 1;
  }
  const char* sql =
      "CREATE TABLE books (id INTEGER PRIMARY KEY, title TEXT NOT NULL, author TEXT, year INTEGER);"
      "INSERT INTO books (title, author, year) VALUES"
      " ('The Long Winter Road', 'Mara Ellings', 1987),"
      " ('Salt and Copper', 'Tobin Vare', 1994),"
      " ('A Garden of Lines', 'Ilse Marrow', 2003),"
      " ('North of the Weir', 'Kasimir Dole', 2011),"
      " ('Quiet Engines', 'Ada Fenwright', 2019);";
  char* message = nullptr;
  const int rc = sqlite3_exec(db, sql, nullptr, nullptr, &message);
  if (rc != SQLITE_OK) std::fprintf(stderr, "%s\n", message ? message : "error");
  sqlite3_free(message);
  sqlite3_close(db);
  return rc == SQLITE_OK ? 0 : 1;
}
