// Every member of _Dialog called with arguments of every kind of Variant:
// nothing crashes, and each failure comes back the way the member's pattern
// says.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/desktop/shell.h"
#include "tests/dialog/fake_dialog_form.h"

namespace svx::testing {
namespace {

struct Sample {
  const char* label;
  Variant value;
};

std::vector<Sample> samples(const ObjectRef& object) {
  SafeArray grid(VT_VARIANT, {{1, 2}, {1, 2}});
  grid.set(1, 1, Variant(1));
  grid.set(2, 2, Variant(u"x"));
  return {
      {"Empty", Variant()},
      {"Null", Variant::null()},
      {"Integer", Variant::i2(7)},
      {"Long", Variant(-1)},
      {"huge Double", Variant(1e300)},
      {"Single", Variant(2.5f)},
      {"Boolean", Variant(true)},
      {"Byte", Variant::ui1(200)},
      {"Currency", Variant(Currency{12345})},
      {"Date", Variant(Date{36526.5})},
      {"text", Variant(u"abc")},
      {"number text", Variant(u"12")},
      {"Byte array", Variant(SafeArray::bytes(std::vector<uint8_t>{1, 2, 3}))},
      {"Variant array", Variant(SafeArray::variants({Variant(1), Variant(u"two"), Variant::null()}, 1))},
      {"2-D array", Variant(grid)},
      {"empty array", Variant(SafeArray(VT_VARIANT, {{0, 0}}))},
      {"array type without array", Variant::arrayTypeWithoutArray(VT_UI1)},
      {"object", Variant(object)},
      {"Nothing", Variant::nothing()},
      {"error value", Variant::error(5)},
      {"missing", Variant::missing()},
  };
}

// What a conversion of an argument raises: 13, 94 for Null, 91 for Nothing.
bool isConversionError(int32_t n) {
  return n == err::TypeMismatch || n == err::InvalidUseOfNull || n == err::ObjectVariableNotSet;
}

bool isErrorOut(const ParamInfo& p) { return p.name == u"lngErrNumber" || p.name == u"strErrDescription"; }

class DialogRobustness : public DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    documents_ = std::filesystem::temp_directory_path() / ("svx-dialog-" + std::to_string(GetCurrentProcessId()));
    std::filesystem::create_directories(documents_);
    setDocumentsFolderOverride(documents_.string());
    // Members given a relative file name (StartLogging "abc") write there too.
    workingFolder_ = std::filesystem::current_path();
    std::filesystem::current_path(documents_);
  }
  void TearDown() override {
    std::filesystem::current_path(workingFolder_);
    setDocumentsFolderOverride(std::nullopt);
    std::filesystem::remove_all(documents_);
    DialogTest::TearDown();
  }
  std::filesystem::path documents_, workingFolder_;
};

TEST_F(DialogRobustness, EveryMemberWithEveryKindOfArgument) {
  create();
  auto target = makeRef<FakeForm>();
  for (const DialogMemberRow& row : dialogMemberTable()) {
    for (const Sample& sample : samples(ObjectRef(target))) {
      SCOPED_TRACE(utf8(row.name) + (row.kind == InvokeKind::PropertyPut ? " (let)" : "") + " with " + sample.label);
      // Script variables: the sample in every parameter, the error
      // out-parameters holding what an earlier failure left.
      std::vector<Variant> vars(row.params.size());
      std::vector<Variant> args;
      bool hasErrorOut = false;
      for (size_t i = 0; i < row.params.size(); ++i) {
        const ParamInfo& p = row.params[i];
        if (isErrorOut(p)) {
          hasErrorOut = true;
          vars[i] = p.name == u"lngErrNumber" ? Variant::i4(-1) : Variant(u"stale");
          args.push_back(Variant::byRef(vars[i]));
        } else if (p.byRef) {
          vars[i] = sample.value;
          args.push_back(Variant::byRef(vars[i]));
        } else {
          args.push_back(sample.value);
        }
      }
      const size_t boxesBefore = errorBoxes().size();
      int32_t raised = 0;
      Variant result;
      try {
        result = dialog->invoke(row.name, row.kind, args);
      } catch (const RuntimeError& e) {
        raised = e.number();
      }
      const Variant& number = hasErrorOut ? vars[vars.size() - 2] : Variant();

      // A required argument left out is refused by the call itself.
      const bool requiredMissing = sample.value.isMissing() && !row.params.empty() && !row.params[0].optional;
      if (requiredMissing) {
        EXPECT_EQ(raised, err::ArgumentNotOptional);
        continue;
      }
      switch (row.pattern) {
        case MemberPattern::Delegate:
          if (row.name == u"LogInfo") {  // raises only its text's conversion
            if (raised) {
              EXPECT_TRUE(isConversionError(raised)) << raised;
            } else {
              EXPECT_EQ(number, Variant::i2(0));
            }
            break;
          }
          EXPECT_EQ(raised, 0);
          EXPECT_EQ(number, Variant::i2(0));  // cleared, then the form's report
          break;
        case MemberPattern::DelegateNoClear:
          if (row.name == u"CommonDialogShowOpen" && raised) {
            EXPECT_TRUE(isConversionError(raised)) << raised;
            EXPECT_EQ(number, Variant::i4(-1));  // untouched
          } else {
            EXPECT_EQ(raised, 0);
          }
          break;
        case MemberPattern::ResumeReport:
        case MemberPattern::HandlerReport:
          EXPECT_EQ(raised, 0);
          EXPECT_TRUE(number == Variant::i2(0) || number.vt() == VT_I4) << varTypeName(number.vt());
          if (number.vt() == VT_I4) {
            EXPECT_NE(number.asI4(), 0);
            EXPECT_EQ(vars.back().vt(), VT_BSTR);
          }
          break;
        case MemberPattern::ErrorBox:
          EXPECT_EQ(raised, 0);
          EXPECT_LE(errorBoxes().size(), boxesBefore + 1);
          if (errorBoxes().size() > boxesBefore) {
            EXPECT_TRUE(result.isEmpty());
          }
          break;
        case MemberPattern::Quiet:
          EXPECT_EQ(raised, 0);
          break;
        case MemberPattern::Plain:
          break;  // may raise; must not crash
      }
    }
  }
}

}  // namespace
}  // namespace svx::testing
