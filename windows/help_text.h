// The reference text of the scripting interface that the help window shows:
// three texts (events; properties and methods, part one and part two) in the
// window's entry forms and group headings, made from a class's member and
// event tables. The window shows the copies kept in windows/help/, built in;
// a test keeps them equal to what the tables give.
#pragma once

#include <array>
#include <vector>

#include "platform/automation/dispatch.h"

namespace svx {

// Events, properties and methods (I), properties and methods (II); lines
// separated by CR LF.
using HelpTexts = std::array<BStr, 3>;

HelpTexts makeHelpTexts(const ClassInfo& ci);

// The family words the control-related groups are made of, in their order:
// each member (Load..., Unload..., Get..., Set..., ...) and each event of a
// family is listed with its family. A family missing here has its members
// among the general methods and its events last.
const std::vector<BStrView>& helpMemberFamilies();
const std::vector<BStrView>& helpEventFamilies();

// The texts built into the window.
HelpTexts builtInHelpTexts();

// Kept files use LF line ends; the window's texts CR LF.
BStr withCrLf(BStrView text);
BStr withLf(BStrView text);

}  // namespace svx
