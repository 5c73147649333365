#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <map>
#include <fstream>
#include <sstream>

#include "core/mod_main.h"
#include "core/write_log_line.h"
#include "platform/automation/error.h"
#include "platform/desktop/clock.h"
#include "platform/desktop/win32.h"
#include "platform/shell/shell.h"
#include "tests/support/child_process.h"

namespace svx {
namespace {

namespace fs = std::filesystem;

class LogFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Clock::useVirtualTime();
    Clock::setNow({2024, 1, 31, 13, 5, 9, 0});
    dir_ = fs::temp_directory_path() / ("svx-log-" + std::to_string(::getpid()) + "-" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    setDocumentsFolderOverride(dir_.string());
    file_ = dir_ / "Sorvanelix.txt";
  }
  void TearDown() override {
    setDocumentsFolderOverride(std::nullopt);
    fs::remove_all(dir_);
  }
  std::string contents() const {
    std::ifstream in(file_, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }
  void log(const std::string& text, Variant& n, Variant& d) {
    BStr s = utf16(text);
    WriteLogLine(s, n, d);
  }
  fs::path dir_;
  fs::path file_;
};

std::string expectedRecord(const std::string& text, uint32_t ticks) {
  return logRecord("2024/01/31 13:05:09", ticks, GetCurrentProcessId(), GetCurrentThreadId(), text) + "\r\n";
}

TEST_F(LogFileTest, HeaderAndRecordLayout) {
  const auto h = logHeaderLines();
  EXPECT_EQ(h[0], "     Date/Time        TickCount   ProcessID    ThreadID      Logged information");
  EXPECT_EQ(h[0].size(), 79u);
  EXPECT_EQ(h[1], std::string(112, '_'));
  EXPECT_EQ(h[2], "");
  const std::string r = logRecord("2024/01/31 13:05:09", 4294967295.0, 42, 7, "");
  EXPECT_EQ(r, "2024/01/31 13:05:09| 4294967295|         42|          7|     ");
  EXPECT_EQ(r.size(), 61u);
  // A longer value keeps only its last characters.
  EXPECT_EQ(logRecord("2024/01/31 13:05:09 extra", 0, 0, 0, "").substr(0, 19), "1/31 13:05:09 extra");
}

TEST_F(LogFileTest, FirstCallCreatesTheFileWithHeaderAndOneRecord) {
  Clock::setTickCount(4294967295u);
  Variant n(99), d(u"old");
  log("hello", n, d);
  std::string expected;
  for (const auto& line : logHeaderLines()) expected += line + "\r\n";
  expected += expectedRecord("hello", 4294967295u);
  EXPECT_EQ(contents(), expected);
  EXPECT_EQ(n.vt(), VT_I2);
  EXPECT_EQ(n.asI2(), 0);
  EXPECT_EQ(d.asBStr(), u"");
  // The second call appends without a header.
  Variant none1 = Variant::missing(), none2 = Variant::missing();
  log("", none1, none2);
  EXPECT_EQ(contents(), expected + expectedRecord("", 4294967295u));
}

TEST_F(LogFileTest, EmptyFileGetsTheHeaderAndTheLimitResetsTheFile) {
  Clock::setTickCount(5);
  { std::ofstream(file_, std::ios::binary); }
  Variant n, d;
  log("a", n, d);
  EXPECT_EQ(contents().substr(0, 9), "     Date");

  // One byte below the limit: appended, no header.
  fs::resize_file(file_, kLogFileResetSize - 1);
  log("b", n, d);
  EXPECT_EQ(fs::file_size(file_), kLogFileResetSize - 1 + expectedRecord("b", 5).size());

  // At the limit: emptied, header and the record.
  fs::resize_file(file_, kLogFileResetSize);
  log("c", n, d);
  std::string expected;
  for (const auto& line : logHeaderLines()) expected += line + "\r\n";
  EXPECT_EQ(contents(), expected + expectedRecord("c", 5));
}

TEST_F(LogFileTest, AFileThatCannotBeOpenedIsReportedAfterFiftyAttempts) {
  fs::create_directories(file_);  // a folder where the file should be
  const int64_t before = Clock::nowMs();
  Variant n, d;
  log("x", n, d);
  EXPECT_EQ(Clock::nowMs() - before, 50 * 10);
  EXPECT_EQ(n.vt(), VT_I4);
  EXPECT_NE(n.asI4(), 0);
  EXPECT_FALSE(d.asBStr().empty());
  EXPECT_TRUE(fs::is_directory(file_));
}

// A log "file" that is a FIFO or a device fails as an open does: nothing
// waits for a reader, nothing goes into it.
TEST_F(LogFileTest, OnlyARegularFileIsWritten) {
  ASSERT_EQ(::mkfifo(file_.c_str(), 0600), 0);
  const int reader = ::open(file_.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  Variant n, d;
  log("x", n, d);
  char byte;
  EXPECT_EQ(::read(reader, &byte, 1), 0);
  ::close(reader);
  ASSERT_EQ(n, Variant::i4(err::PathFileAccessError));
  EXPECT_EQ(d, Variant(u"Path/File access error"));
  // Without a reader the open would wait for one.
  log("x", n, d);
  EXPECT_EQ(n, Variant::i4(err::PathFileAccessError));
}

TEST_F(LogFileTest, PathAddsNoSecondSeparator) {
  setDocumentsFolderOverride(dir_.string() + "/");
  EXPECT_EQ(utf8(LogFilePath()), (dir_ / "Sorvanelix.txt").string());
  setDocumentsFolderOverride("");
  EXPECT_EQ(utf8(LogFilePath()), "/Sorvanelix.txt");
}

// Records of two processes appending at once interleave only line by line,
// also when a record is longer than a pipe or stdio buffer.
// A record that would pass the process's file size limit is not written
// (not a part of it), and the process goes on: a plain write there would end
// it with SIGXFSZ. The child lowers its limit after the parent's record has
// read the parent's.
TEST_F(LogFileTest, ARecordPastTheFileSizeLimitIsLeftOutAndTheProcessGoesOn) {
  Variant n, d;
  log("first", n, d);
  const std::string before = contents();
  EXPECT_EQ(testing::inChildProcess(
                [&] {
                  if (!testing::lowerFileSizeLimit(before.size() + 100)) return 10;
                  Variant cn, cd;
                  log(std::string(5000, 'x'), cn, cd);
                  return 0;
                },
                30),
            0);
  EXPECT_EQ(contents(), before);
}

TEST_F(LogFileTest, LongRecordsOfTwoProcessesStayWhole) {
  constexpr int kRecords = 200;
  constexpr size_t kLength = 4500;
  auto writer = [&](char fill) {
    const std::string text(kLength, fill);
    Variant n, d;
    for (int i = 0; i < kRecords; ++i) log(text, n, d);
  };
  std::vector<pid_t> children;
  for (char fill : {'a', 'b'}) {
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      writer(fill);
      ::_exit(0);
    }
    children.push_back(pid);
  }
  for (pid_t pid : children) {
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }

  const auto header = logHeaderLines();
  std::istringstream lines(contents());
  std::string line;
  std::map<char, int> whole;
  int torn = 0;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (std::find(header.begin(), header.end(), line) != header.end()) continue;
    const std::string text = line.size() == 61 + kLength ? line.substr(61) : std::string();
    if (!text.empty() && text == std::string(kLength, text[0])) ++whole[text[0]];
    else ++torn;
  }
  EXPECT_EQ(torn, 0);
  EXPECT_EQ(whole['a'], kRecords);
  EXPECT_EQ(whole['b'], kRecords);
}

}  // namespace
}  // namespace svx
