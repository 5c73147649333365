// Test fixture: a DialogForm on a fresh desktop with virtual time, its events
// recorded, and helpers to call its members by name as Dialog does.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "core/dialog_form.h"
#include "platform/desktop/clock.h"
#include "platform/desktop/desktop.h"
#include "platform/desktop/message_loop.h"

namespace svx::testing {

struct RecordedEvent {
  BStr name;
  std::vector<Variant> args;  // values at the raise
};

class DialogFormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Clock::useVirtualTime();
    messageLoop().reset();
    form = makeRef<DialogForm>();
    form->load();
    form->connect(std::make_shared<FunctionSink>([this](Object&, const EventInfo& ev, std::span<Variant> args) {
      RecordedEvent r{ev.name, {}};
      for (Variant& a : args) r.args.push_back(a.value());
      events.push_back(r);
      if (onEvent) onEvent(ev.name, args);
    }));
  }
  void TearDown() override {
    onEvent = nullptr;
    form.reset();
    messageLoop().reset();
  }

  // Calls a form member by name; each argument is passed by reference.
  Variant call(BStrView member, std::vector<Variant*> args) {
    std::vector<Variant> refs;
    for (Variant* a : args) refs.push_back(a ? Variant::byRef(*a) : Variant::missing());
    return form->invoke(member, InvokeKind::Method, refs);
  }
  std::vector<BStr> eventNames() const {
    std::vector<BStr> n;
    for (const auto& e : events) n.push_back(e.name);
    return n;
  }
  const RecordedEvent* last(BStrView name) const {
    for (auto it = events.rbegin(); it != events.rend(); ++it)
      if (it->name == name) return &*it;
    return nullptr;
  }

  Ref<DialogForm> form;
  std::vector<RecordedEvent> events;
  std::function<void(BStrView, std::span<Variant>)> onEvent;
  Variant errNumber, errDescription;
};

}  // namespace svx::testing
