// The reference of a registered class for script writers, in Markdown: every
// member with its parameters in order (optional or not, by value or by
// reference), its result, its description and how it reports errors, and
// every event with its arguments, all read from the class's table.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/automation/dispatch.h"

namespace svx {

// What a class adds to its table for the reference: how each member reports
// its errors, what a script writer should know of a member beyond its
// description (Markdown), a paragraph about the class, and one about its
// events.
struct ReferenceNotes {
  std::function<std::string(const MemberInfo&)> errors;
  std::function<std::string(const MemberInfo&)> remarks;
  std::string about;
  std::string events;
};

void setReferenceNotes(BStrView progId, ReferenceNotes notes);
const ReferenceNotes* referenceNotes(BStrView progId);

std::string typeReference(const ClassInfo& ci, BStrView progId, const ReferenceNotes* notes = nullptr);
// The reference of the class registered as `progId` (an object is created to
// read its table), else of the class registered for the reference under that
// name; 429 for an unknown name.
std::string typeReference(BStrView progId);

// Classes that scripts reach through other objects and do not create (a data
// control, a recordset): their tables, under their class names, for the
// reference. A later registration of a name replaces the former.
void registerReferenceClass(const ClassInfo& ci, ReferenceNotes notes);
// The classes registered for the reference, in the order of registration.
std::vector<const ClassInfo*> referenceClassInfos();
// The reference of `progId`, then that of every class registered for the
// reference, in the order of registration.
std::string referenceDocument(BStrView progId);

}  // namespace svx
