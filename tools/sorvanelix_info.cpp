// Shows what the system offers so far: the automation classes that are
// registered and the members and events each one declares.
#include <cstdio>

#include "platform/automation/collection.h"

int main() {
  using namespace svx;
  std::printf("Sorvanelix %s\n", "1.0.0");
  const ClassInfo& ci = Collection::info();
  std::printf("class %s\n", utf8(ci.name()).c_str());
  for (const MemberInfo* m : ci.members())
    std::printf("  %3d %-8s %s\n", m->dispid, utf8(m->name).c_str(), utf8(m->description).c_str());
  return 0;
}
