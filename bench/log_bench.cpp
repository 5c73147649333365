// Cost of one log record (WriteLogLine) against an open, append and close of
// the same file with the same bytes, in one run, and against the same with
// the one check the record needs (the file's type and size, from which the
// header and the reset follow): the floor of any record.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "core/write_log_line.h"
#include "platform/files/regular_file.h"
#include "platform/desktop/win32.h"
#include "platform/shell/shell.h"

namespace svx {
namespace {

namespace fs = std::filesystem;

// A Documents folder of the benchmark's own, emptied before each run.
struct LogFolder {
  LogFolder() : dir(fs::temp_directory_path() / ("svx-log-bench-" + std::to_string(::getpid()))) {
    fs::remove_all(dir);
    fs::create_directories(dir);
    setDocumentsFolderOverride(dir.string());
  }
  ~LogFolder() {
    setDocumentsFolderOverride(std::nullopt);
    std::error_code ec;
    fs::remove_all(dir, ec);
  }
  fs::path file() const { return dir / "Sorvanelix.txt"; }
  fs::path dir;
};

const std::string kText(100, 'x');

void BM_WriteLogLine(benchmark::State& state) {
  LogFolder folder;
  BStr text = utf16(kText);
  Variant n, d;
  for (auto _ : state) WriteLogLine(text, n, d);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_WriteLogLine);

// The floor: the same record's bytes through open(O_APPEND), write, close.
void BM_OpenAppendClose(benchmark::State& state) {
  LogFolder folder;
  const std::string path = folder.file().string();
  const std::string record = logRecord("2024/01/31 13:05:09", 12345, GetCurrentProcessId(), 1, kText) + "\r\n";
  for (auto _ : state) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    benchmark::DoNotOptimize(::write(fd, record.data(), record.size()));
    ::close(fd);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_OpenAppendClose);

// The floor with the check: the file opened as the record opens it (a regular
// file, its type and size asked once), the same bytes appended, closed.
void BM_OpenCheckAppendClose(benchmark::State& state) {
  LogFolder folder;
  const std::string path = folder.file().string();
  const std::string record = logRecord("2024/01/31 13:05:09", 12345, GetCurrentProcessId(), 1, kText) + "\r\n";
  int32_t error = 0;
  for (auto _ : state) {
    const RegularFile file = openRegularFile(path, FileOpen::Append, error);
    benchmark::DoNotOptimize(file.size());
    benchmark::DoNotOptimize(::write(file.fd(), record.data(), record.size()));
  }
  if (error) state.SkipWithError("the file could not be opened");
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_OpenCheckAppendClose);

}  // namespace
}  // namespace svx

BENCHMARK_MAIN();
