#include <gtest/gtest.h>

#include "host/js_text.h"
#include "platform/desktop/clock.h"
#include "platform/desktop/message_loop.h"
#include "tests/host/probe.h"

namespace svx::host {
namespace {

int ticks = 0;
void countTick(HWND, UINT, UINT_PTR, DWORD) { ++ticks; }

TEST_F(HostTest, QuitEndsTheScriptWithItsCodeEvenWhenCaught) {
  EXPECT_EQ(runScript("WScript.Quit(3); WScript.Echo('no')").code, 3);
  EXPECT_EQ(runScript("WScript.Quit()").code, 0);
  const ScriptRun r = runScript("try { WScript.Quit(4) } catch (e) { WScript.Echo('caught') } WScript.Echo('after')");
  EXPECT_EQ(r.code, 4);
  EXPECT_EQ(r.out, "");
}

TEST_F(HostTest, DefaultSleepServesTheMessageLoopTimers) {
  Clock::useVirtualTime();
  messageLoop().reset();
  ticks = 0;
  const UINT_PTR id = SetTimer(0, 0, 20, countTick);
  const int64_t start = Clock::nowMs();
  EXPECT_EQ(runScript("WScript.Sleep(100)").code, 0);
  EXPECT_EQ(Clock::nowMs() - start, 100);
  EXPECT_EQ(ticks, 5);
  KillTimer(0, id);
  Clock::useRealTime();
}

TEST_F(HostTest, GlobalObjectsAreInstalled) {
  {
    Ref<TestProbe> user = makeRef<TestProbe>();
    addGlobalObject("User", ObjectRef(user));
    const ScriptRun r = runScript("User.Caption = 'from script'; WScript.Echo(User.Caption)");
    EXPECT_EQ(r.out, "from script\n");
    EXPECT_EQ(user->Caption().asBStr(), u"from script");
    removeGlobalObject("User");
    EXPECT_NE(runScript("User").code, 0);
  }
}

TEST_F(HostTest, ArgumentsAndScriptNames) {
  const ScriptRun r = runScript(
      "var a = WScript.Arguments; WScript.Echo(a.length, a.Count(), a.Item(0), a(1), a[1], WScript.ScriptName);"
      "try { a.Item(2) } catch (e) { WScript.Echo(e.message) }",
      {"one", "tw\xC3\xB6"});
  EXPECT_EQ(r.out, "2 2 one tw\xC3\xB6 tw\xC3\xB6 probe.js\nSubscript out of range\n");
}

}  // namespace
}  // namespace svx::host
