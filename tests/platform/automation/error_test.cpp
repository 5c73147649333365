#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "platform/automation/dispatch.h"
#include "platform/automation/error.h"
#include "platform/automation/object.h"

namespace svx {
namespace {

TEST(Error, StandardDescriptions) {
  const std::pair<int32_t, const char16_t*> table[] = {
      {5, u"Invalid procedure call or argument"},
      {6, u"Overflow"},
      {9, u"Subscript out of range"},
      {13, u"Type mismatch"},
      {53, u"File not found"},
      {75, u"Path/File access error"},
      {91, u"Object variable or With block variable not set"},
      {94, u"Invalid use of Null"},
      {362, u"Can't unload controls created at design time"},
      {380, u"Invalid property value"},
      {384, u"A form can't be moved or sized while minimized or maximized"},
      {400, u"Form already displayed; can't show modally"},
      {438, u"Object doesn't support this property or method"},
      {450, u"Wrong number of arguments or invalid property assignment"},
      {457, u"This key is already associated with an element of this collection"},
  };
  for (const auto& [number, text] : table) EXPECT_EQ(standardDescription(number), text) << number;
  EXPECT_EQ(standardDescription(0), u"");
  EXPECT_EQ(standardDescription(12345), u"");
  EXPECT_EQ(standardDescription(-200), u"");
}

TEST(Error, RuntimeErrorCarriesNumberAndDescription) {
  const RuntimeError e(err::TypeMismatch);
  EXPECT_EQ(e.number(), 13);
  EXPECT_EQ(e.description(), u"Type mismatch");
  EXPECT_STREQ(e.what(), "Type mismatch (13)");

  const RuntimeError own(
      -200, u"The maximum number of elements that can be added to the control array (255) has been reached!");
  EXPECT_EQ(own.number(), -200);
  EXPECT_EQ(std::string(own.what()),
            "The maximum number of elements that can be added to the control array (255) has been reached! (-200)");

  const RuntimeError unknown(12345);
  EXPECT_EQ(unknown.description(), u"Application-defined or object-defined error");
  EXPECT_STREQ(RuntimeError(1, u"\u00e9t\u00e9").what(), "\xc3\xa9t\xc3\xa9 (1)");  // UTF-8
}

TEST(Error, RaiseHelpers) {
  try {
    raiseElementMissing(3);
    FAIL();
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.number(), 340);
    EXPECT_EQ(e.description(), u"Control array element '3' doesn't exist");
  }
  EXPECT_THROW(raise(err::Overflow), RuntimeError);
  try {
    raise(-300, u"own");
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.number(), -300);
    EXPECT_EQ(e.description(), u"own");
  }
}

TEST(Error, ContinueModeRecordsAndGoesOn) {
  ErrState state;
  int ran = 0;
  EXPECT_FALSE(state.attempt([&] { raise(err::Overflow); }));
  EXPECT_TRUE(state.attempt([&] { ++ran; }));
  EXPECT_EQ(ran, 1);
  // The error stays pending until cleared, as Err does under Resume Next.
  EXPECT_TRUE(state.pending());
  EXPECT_EQ(state.number(), 6);
  EXPECT_EQ(state.description(), u"Overflow");
  EXPECT_FALSE(state.attempt([&] { raise(err::TypeMismatch); }));
  EXPECT_EQ(state.number(), 13);  // the latest failure
  state.clear();
  EXPECT_FALSE(state.pending());
  EXPECT_EQ(state.description(), u"");
}

TEST(Error, ReportModeStopsAtFirstFailure) {
  Variant number = Variant::missing(), description = Variant::missing();
  Variant n, d;
  const ErrorOut out{n, d};
  int steps = 0;
  EXPECT_FALSE(reportMode(out, [&] {
    ++steps;
    raise(err::InvalidPropertyValue);
    ++steps;
  }));
  EXPECT_EQ(steps, 1);
  EXPECT_EQ(n.vt(), VT_I4);
  EXPECT_EQ(n.asI4(), 380);
  EXPECT_EQ(d.asBStr(), u"Invalid property value");

  const ErrorOut none{number, description};
  EXPECT_TRUE(reportMode(none, [&] { ++steps; }));
  EXPECT_TRUE(number.isMissing());
  EXPECT_TRUE(ignoreErrors([] {}));
  EXPECT_FALSE(ignoreErrors([] { raise(5); }));
}

TEST(Error, ErrorOutWritesOnlyPassedParameters) {
  // The caller's variables, reached through references as a late-bound call
  // hands them over.
  Variant callerNumber(99), callerDescription(u"old");
  Variant numberRef = Variant::byRef(callerNumber);
  Variant descriptionRef = Variant::byRef(callerDescription);
  const ErrorOut out{numberRef, descriptionRef};

  out.clear();
  EXPECT_EQ(callerNumber.vt(), VT_I2);
  EXPECT_EQ(callerNumber.asI2(), 0);
  EXPECT_EQ(callerDescription.vt(), VT_BSTR);
  EXPECT_EQ(callerDescription.asBStr(), u"");

  out.report(RuntimeError(err::SubscriptOutOfRange));
  EXPECT_EQ(callerNumber.vt(), VT_I4);
  EXPECT_EQ(callerNumber.asI4(), 9);
  EXPECT_EQ(callerDescription.asBStr(), u"Subscript out of range");

  // Only the description passed: the missing number stays missing.
  Variant missing = Variant::missing();
  Variant description;
  const ErrorOut half{missing, description};
  half.report(-200, u"full");
  EXPECT_TRUE(missing.isMissing());
  EXPECT_EQ(description.asBStr(), u"full");
  half.clear();
  EXPECT_TRUE(missing.isMissing());
  EXPECT_EQ(description.asBStr(), u"");
}

TEST(Error, ErrorOutThroughTypedReference) {
  int32_t number = 0;
  BStr description;
  Variant n = Variant::byRef(number), d = Variant::byRef(description);
  const ErrorOut out{n, d};
  out.report(438, standardDescription(438));
  EXPECT_EQ(number, 438);
  EXPECT_EQ(description, u"Object doesn't support this property or method");
  out.clear();
  EXPECT_EQ(number, 0);
  EXPECT_EQ(description, u"");
}

TEST(Error, ReportPendingOrClear) {
  Variant n, d;
  const ErrorOut out{n, d};
  ErrState state;
  state.set(RuntimeError(err::ObjectRequired));
  out.reportPendingOrClear(state);
  EXPECT_EQ(n.vt(), VT_I4);
  EXPECT_EQ(n.asI4(), 424);
  EXPECT_EQ(d.asBStr(), u"Object required");
  EXPECT_FALSE(state.pending());

  out.reportPendingOrClear(state);
  EXPECT_EQ(n.vt(), VT_I2);
  EXPECT_EQ(n.asI2(), 0);
  EXPECT_EQ(d.asBStr(), u"");
}

// A failed allocation is "Out of memory" (7) in every mode and at the call.
TEST(Error, AFailedAllocationIsOutOfMemory) {
  Variant n, d;
  EXPECT_FALSE(reportMode(ErrorOut{n, d}, [] { throw std::bad_alloc(); }));
  EXPECT_EQ(n, Variant(err::OutOfMemory));
  EXPECT_EQ(d.asBStr(), u"Out of memory");

  ErrState e;
  EXPECT_FALSE(e.attempt([] { throw std::bad_alloc(); }));
  EXPECT_EQ(e.number(), err::OutOfMemory);
  EXPECT_FALSE(ignoreErrors([] { throw std::bad_alloc(); }));

  struct Greedy : Object {
    const ClassInfo& classInfo() const override {
      static const ClassInfo ci = ClassInfo(u"Greedy").member(
          u"Grow", InvokeKind::Method, {}, [](Object&, const Args&) -> Variant { throw std::bad_alloc(); });
      return ci;
    }
  };
  auto greedy = makeRef<Greedy>();
  try {
    greedy->invoke(u"Grow", InvokeKind::Method, {});
    ADD_FAILURE() << "no error";
  } catch (const RuntimeError& error) {
    EXPECT_EQ(error.number(), err::OutOfMemory);
  }
}

// Any other exception is "Automation error" (440) naming it, in every mode
// and at the call; an exception that ends the script passes them all.
TEST(Error, AForeignExceptionIsAnAutomationErrorNamingIt) {
  struct Thrower {
    int kind;
    void operator()() const {
      if (kind == 0) throw std::runtime_error("factory exploded");
      throw 42;
    }
  };
  const std::pair<Thrower, const char16_t*> cases[] = {
      {Thrower{0}, u"Automation error: factory exploded (std::runtime_error)"},
      {Thrower{1}, u"Automation error: an exception of type int"},
  };
  for (const auto& [thrower, text] : cases) {
    SCOPED_TRACE(utf8(text));
    Variant n, d;
    EXPECT_FALSE(reportMode(ErrorOut{n, d}, thrower));
    EXPECT_EQ(n, Variant(err::AutomationError));
    EXPECT_EQ(d.asBStr(), text);
    ErrState e;
    EXPECT_FALSE(e.attempt(thrower));
    EXPECT_EQ(e.number(), err::AutomationError);
    EXPECT_EQ(e.description(), text);
    EXPECT_FALSE(ignoreErrors(thrower));
  }

  struct Faulty : Object {
    const ClassInfo& classInfo() const override {
      static const ClassInfo ci =
          ClassInfo(u"Faulty").member(u"Fail", InvokeKind::Method, {}, [](Object&, const Args&) -> Variant {
            throw std::logic_error("broken");
          });
      return ci;
    }
  };
  auto faulty = makeRef<Faulty>();
  try {
    faulty->invoke(u"Fail", InvokeKind::Method, {});
    ADD_FAILURE() << "no error";
  } catch (const RuntimeError& error) {
    EXPECT_EQ(error.number(), err::AutomationError);
    EXPECT_EQ(error.description(), u"Automation error: broken (std::logic_error)");
  }

  struct Quit : ScriptUnwind {};
  Variant n, d;
  ErrState e;
  EXPECT_THROW(reportMode(ErrorOut{n, d}, [] { throw Quit{}; }), Quit);
  EXPECT_THROW(e.attempt([] { throw Quit{}; }), Quit);
  EXPECT_THROW(ignoreErrors([] { throw Quit{}; }), Quit);
  EXPECT_FALSE(e.pending());
  EXPECT_TRUE(n.isEmpty());
}

}  // namespace
}  // namespace svx
