#include "platform/automation/closest_name.h"

#include <gtest/gtest.h>

#include <vector>

namespace svx {
namespace {

TEST(ClosestName, SuggestsAnyMisspellingWithinAThirdOfTheName) {
  const std::vector<BStr> names = {u"LoadCommand", u"LoadCheck", u"Caption", u"Top", u"Sorvanelix.Dialog"};
  const std::pair<const char16_t*, const char16_t*> cases[] = {
      {u"LoadCommnd", u"LoadCommand"},          // a letter left out
      {u"LoadComand", u"LoadCommand"},
      {u"loadcommand", u"LoadCommand"},         // case alone
      {u"LaodCommand", u"LoadCommand"},         // two letters swapped
      {u"Captoin", u"Caption"},
      {u"Sorvanelix.Dialg", u"Sorvanelix.Dialog"},
      {u"Tp", u"Top"},                          // short names: one edit
      {u"Tip", u"Top"},
      {u"LoadChk", u"LoadCheck"},               // two edits in seven letters
      {u"Zzz", u""},                            // nothing near
      {u"Load", u""},                           // a prefix is too far
      {u"", u""},
  };
  for (const auto& [name, expected] : cases) EXPECT_EQ(closestName(name, names), BStr(expected)) << utf8(name);
}

TEST(ClosestName, TheFirstOfEquallyNearNamesWinsAndLongNamesGetNone) {
  EXPECT_EQ(closestName(u"Cat", std::vector<BStr>{u"Bat", u"Cut"}), u"Bat");
  EXPECT_EQ(closestName(u"Cat", std::vector<BStr>{}), u"");
  const BStr longName(300, u'a');
  EXPECT_EQ(closestName(longName, std::vector<BStr>{BStr(299, u'a')}), u"");
  EXPECT_EQ(closestName(BStr(200, u'a'), std::vector<BStr>{BStr(199, u'a')}), BStr(199, u'a'));
}

}  // namespace
}  // namespace svx
