// The reference texts kept in the repository against the member and event
// tables: the help window's panes and docs/reference.md. When a member or
// an event changes, scripts/regen-reference.sh brings them back in step.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>

#include "dialog/dialog.h"
#include "dialog/dialog_form_api.h"
#include "windows/help_text.h"

namespace svx {
namespace {

constexpr const char* kRegenerate = "the kept text drifted from the tables: run scripts/regen-reference.sh";

std::vector<BStr> linesOf(const BStr& text) {
  std::vector<BStr> lines;
  size_t pos = 0;
  while (pos < text.size()) {
    const size_t end = text.find(u"\r\n", pos);
    EXPECT_NE(end, BStr::npos) << "every line ends with CR LF";
    if (end == BStr::npos) break;
    lines.push_back(text.substr(pos, end - pos));
    pos = end + 2;
  }
  return lines;
}

TEST(HelpTexts, TheBuiltInTextsAreWhatTheTablesGive) {
  const HelpTexts kept = builtInHelpTexts();
  const HelpTexts made = makeHelpTexts(Dialog::info());
  for (size_t i = 0; i < kept.size(); ++i) EXPECT_EQ(utf8(kept[i]), utf8(made[i])) << kRegenerate;
}

TEST(HelpTexts, DocsReferenceIsWhatTheTablesGive) {
  std::ifstream in(std::string(SVX_SOURCE_DIR) + "/docs/reference.md", std::ios::binary);
  ASSERT_TRUE(in) << "docs/reference.md is missing";
  std::stringstream kept;
  kept << in.rdbuf();
  Dialog::registerProgId();
  registerDialogForm();
  EXPECT_EQ(kept.str(), referenceDocument(u"Sorvanelix.Dialog")) << kRegenerate;
}

// Each text: an empty line, the banner, two lines of tabs, the section line,
// then groups (tabs, "\t\t" heading, tabs, entries indented by three tabs).
TEST(HelpTexts, EachTextHasTheFrameAndItsGroupsInOrder) {
  const HelpTexts t = makeHelpTexts(Dialog::info());
  const BStr stars(67, u'*');
  const std::vector<std::pair<BStr, std::vector<BStr>>> expected = {
      {u"Public Events", {u"Form-related events ", u"ActiveX EXE-related events ", u"Control-related events "}},
      {u"Public Properties and Methods",
       {u"Form-related properties and methods ", u"ActiveX EXE-related properties and methods ",
        u"ActiveX Control-related methods ", u"Control-related methods ", u"Clipboard-related methods ",
        u"Printer-related methods "}},
      {u"Public Properties and Methods (continued)",
       {u"Screen-related properties and methods ", u"General methods "}},
  };
  for (size_t i = 0; i < t.size(); ++i) {
    const std::vector<BStr> lines = linesOf(t[i]);
    ASSERT_GT(lines.size(), 6u);
    EXPECT_EQ(lines[0], u"");
    EXPECT_EQ(lines[1], u"Sorvanelix.Dialog " + stars);
    EXPECT_EQ(lines[2].find_first_not_of(u'\t'), BStr::npos);
    EXPECT_EQ(lines[3].find_first_not_of(u'\t'), BStr::npos);
    EXPECT_EQ(lines[4], u"\t" + expected[i].first + u" " + stars);
    EXPECT_EQ(lines.back().find_first_not_of(u'\t'), BStr::npos);
    std::vector<BStr> headings;
    for (size_t k = 5; k < lines.size(); ++k) {
      const BStr& l = lines[k];
      if (l.starts_with(u"\t\t") && !l.starts_with(u"\t\t\t")) {
        headings.push_back(l.substr(2));
        EXPECT_EQ(lines[k - 1].find_first_not_of(u'\t'), BStr::npos);
        EXPECT_EQ(lines[k + 1].find_first_not_of(u'\t'), BStr::npos);
      } else {
        EXPECT_TRUE(l.starts_with(u"\t\t\t")) << utf8(l);
      }
    }
    EXPECT_EQ(headings, expected[i].second);
  }
}

// The whole interface: every member and every event has exactly one entry,
// in the entry form of its kind.
TEST(HelpTexts, EveryMemberAndEventHasOneEntry) {
  const HelpTexts t = makeHelpTexts(Dialog::info());
  std::map<BStr, int> entries;
  std::map<BStr, BStr> lineOf;
  for (const BStr& text : t)
    for (const BStr& l : linesOf(text)) {
      if (!l.starts_with(u"\t\t\tPublic ")) continue;
      const BStr entry = l.substr(3);
      const size_t nameStart = entry.find(u' ', 7) + 1;
      const BStr name = entry.substr(nameStart, entry.find(u' ', nameStart) - nameStart);
      ++entries[name];
      lineOf[name] = entry;
    }
  for (const MemberInfo* m : Dialog::info().members()) EXPECT_EQ(entries[m->name], 1) << utf8(m->name);
  for (const EventInfo& e : Dialog::info().events()) EXPECT_EQ(entries[e.name], 1) << utf8(e.name);

  EXPECT_EQ(lineOf[u"FormActivate"], u"Public Event FormActivate (  ) ");
  EXPECT_EQ(lineOf[u"FormQueryUnload"], u"Public Event FormQueryUnload ( intCancel , intUnloadMode ) ");
  EXPECT_EQ(lineOf[u"Caption"], u"Public Property Caption ");
  EXPECT_EQ(lineOf[u"AboutBox"], u"Public Sub AboutBox ");
  EXPECT_EQ(lineOf[u"LoadOption"],
            u"Public Function LoadOption ( Optional ByVal intPictureContainerIndex , Optional lngErrNumber , "
            u"Optional strErrDescription )");
  EXPECT_EQ(lineOf[u"UnloadOption"],
            u"Public Sub UnloadOption ( ByVal intIndex , Optional lngErrNumber , Optional strErrDescription )");
  // Members the lists of the groups do not name are still there.
  EXPECT_EQ(entries[u"DataCtrlOpenData"], 1);
  EXPECT_EQ(entries[u"LabelClick"], 1);
}

TEST(HelpTexts, LineEndsConvertBothWays) {
  EXPECT_EQ(withCrLf(u"a\nb\r\nc\n"), u"a\r\nb\r\nc\r\n");
  EXPECT_EQ(withLf(u"a\r\nb\r\n"), u"a\nb\n");
}

}  // namespace
}  // namespace svx
