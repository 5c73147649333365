#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

#include "tests/host/probe.h"
#include "tests/support/test_folder.h"

namespace svx::host {
namespace {

struct FileRun {
  int code;
  std::string out;
  std::string err;
};

FileRun runFile(const std::filesystem::path& path) {
  std::ostringstream out, err;
  ScriptHost host(out, err);
  const int code = host.runFile(path.string());
  return {code, out.str(), err.str()};
}

// What is given as the script must be a regular file that can be read: a
// folder, a FIFO (never opened to wait on it), a missing or unreadable file
// fail with the reason and status 1, nothing run.
TEST(HostFiles, WhatIsNoReadableScriptFileFailsWithItsReason) {
  const svx::testing::TestFolder folder("svx-host-files");
  ASSERT_FALSE(folder.path().empty());
  const auto fifo = folder.path() / "fifo.js";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const auto script = folder.path() / "ok.js";
  std::ofstream(script) << "\xEF\xBB\xBFWScript.Echo('ran');\n";
  const std::pair<std::filesystem::path, std::string> cases[] = {
      {folder.path(), "it is a folder, not a script file"},
      {fifo, "it is a FIFO, not a script file"},
      {folder.path() / "missing.js", "No such file or directory"},
  };
  for (const auto& [path, reason] : cases) {
    const FileRun r = runFile(path);
    EXPECT_EQ(r.code, 1) << path;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "sorvanelix-script: cannot run " + path.string() + ": " + reason + "\n");
  }
  EXPECT_EQ(runFile(script).out, "ran\n");
  if (::geteuid() != 0) {  // the superuser reads any file
    ASSERT_EQ(::chmod(script.c_str(), 0), 0);
    const FileRun r = runFile(script);
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err, "sorvanelix-script: cannot run " + script.string() + ": Permission denied\n");
  }
}

// A syntax error on a line with later syntax says that the host runs ES5;
// another syntax error does not.
TEST(HostFiles, LaterSyntaxIsNamedInTheSyntaxError) {
  const char* later[] = {"let x = 1;", "var f = (a) => a + 1;", "var s = `text`;", "class A {}",
                         "var a = 1;\nlet b = a;"};
  for (const char* source : later) {
    const ScriptRun r = runScript(source);
    EXPECT_EQ(r.code, 1) << source;
    EXPECT_NE(r.err.find("SyntaxError"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(": the host runs ECMAScript 5 (ES5.1)"), std::string::npos) << source << ": " << r.err;
  }
  const ScriptRun plain = runScript("var letter = ;\nvar klass = 1;");
  EXPECT_EQ(plain.code, 1);
  EXPECT_EQ(plain.err.find("ECMAScript"), std::string::npos) << plain.err;
}

}  // namespace
}  // namespace svx::host
