// Every member of _Dialog called with arguments of every kind of Variant:
// nothing crashes, and each failure comes back the way the member's pattern
// says.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "dialog/dialog_form_api.h"
#include "platform/forms/form.h"
#include "platform/forms/picture_box.h"
#include "platform/graphics/units.h"
#include "platform/shell/shell.h"
#include "tests/dialog/fake_dialog_form.h"
#include "tests/support/dialog_object_fixture.h"

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

// Sizes of forms and picture boxes at, just below and far beyond what their
// drawing surface holds: each is stored as given, the image behind it stays
// bounded, and drawing (clipped at the image's edge) reports success.
class DialogSizes : public testing::DialogObjectTest {
 protected:
  // Calls a member with each argument by reference and the error
  // out-parameters last; returns the error number left in them.
  Variant call(BStrView member, std::vector<Variant> values, Variant* result = nullptr) {
    const MemberInfo* m = dlg->classInfo().find(member, InvokeKind::Method);
    EXPECT_TRUE(m) << utf8(member);
    if (!m) return Variant();
    values.resize(m->params.size() - 2, Variant::missing());
    std::vector<Variant> args;
    for (Variant& v : values) args.push_back(v.isMissing() ? v : Variant::byRef(v));
    errNumber = Variant(), errDescription = Variant();
    args.push_back(Variant::byRef(errNumber));
    args.push_back(Variant::byRef(errDescription));
    Variant r = dlg->invoke(member, InvokeKind::Method, args);
    if (result) *result = r;
    if (errNumber != Variant::i2(0)) ADD_FAILURE() << utf8(member) << ": " << utf8(toBStr(errDescription));
    return errNumber;
  }
  template <class T>
  Ref<T> object(BStrView member, std::vector<Variant> values) {
    Variant r;
    call(member, std::move(values), &r);
    return refCast<T>(r.asObject());
  }
};

constexpr int kSide = DrawSurface::MaxSide;
const Variant ok = Variant::i2(0);
const Variant missing = Variant::missing();

struct SizeCase {
  const char* label;
  double twips;
  int surfacePixels;  // the image's side after the size is set
};

TEST_F(DialogSizes, FormSizesAreStoredAndItsImageIsBounded) {
  // The client area is the width less two 60-twip borders, 15 twips a pixel.
  const SizeCase cases[] = {
      {"just below the limit", (kSide - 1) * 15.0 + 120, kSide - 1},
      {"at the limit", kSide * 15.0 + 120, kSide},
      {"40000 pixels", 600000, kSide},
      {"1e9 twips", 1e9, kSide},
      {"2^31 twips", 2147483648.0, kSide},
      {"2^63 twips", 9223372036854775808.0, kSide},
  };
  Ref<Form> form = object<Form>(u"FormObject", {});
  for (const SizeCase& c : cases) {
    SCOPED_TRACE(c.label);
    EXPECT_EQ(call(u"SetForm", {missing, missing, missing, Variant(c.twips), Variant(c.twips)}), ok);
    Variant width;
    EXPECT_EQ(call(u"GetForm", {missing, missing, missing, Variant::byRef(width), missing}), ok);
    EXPECT_EQ(width, Variant(static_cast<float>(c.twips)));
    EXPECT_EQ(form->surface().widthPixels(), c.surfacePixels);
    // The height less the borders and the caption.
    EXPECT_EQ(form->surface().heightPixels(), DrawSurface::boundedSide(twipsToWholePixels(c.twips - 420)));

    // A filled box over the whole width and a circle beyond the edge.
    EXPECT_EQ(call(u"FormLineAbsolute", {Variant(0), Variant(0), Variant(c.twips), Variant(c.twips),
                                         Variant(0xFF), Variant(true), Variant(true)}),
              ok);
    EXPECT_EQ(form->surface().image().at(c.surfacePixels - 1, 0) & 0xFFFFFFu, 0xFF0000u);
    EXPECT_EQ(call(u"FormCircleAbsolute", {Variant(c.twips), Variant(100), Variant(c.twips / 2)}), ok);
  }
}

TEST_F(DialogSizes, PictureBoxSizesAreStoredAndItsImageIsBounded) {
  // Inside a two-pixel border on each side.
  const SizeCase cases[] = {
      {"just below the limit", (kSide + 3) * 15.0, kSide - 1},
      {"at the limit", (kSide + 4) * 15.0, kSide},
      {"2^31 twips", 2147483648.0, kSide},
      {"1e9 twips", 1e9, kSide},
      {"2^63 twips", 9223372036854775808.0, kSide},
      {"1e30 twips", 1e30, kSide},
  };
  Variant index;
  call(u"LoadPictureCtrl", {missing}, &index);
  Ref<PictureBox> box = object<PictureBox>(u"PictureCtrlObject", {index});
  for (const SizeCase& c : cases) {
    SCOPED_TRACE(c.label);
    // Index, Picture, BorderStyle, PicturePath, AutoSize, Visible, TabIndex,
    // Left, Top, Width, Height, ZOrder.
    EXPECT_EQ(call(u"SetPictureCtrl", {index, missing, missing, missing, missing, Variant(true), missing, Variant(0),
                                       Variant(0), Variant(c.twips), Variant(c.twips)}),
              ok);
    EXPECT_EQ(box->invoke(u"Width", InvokeKind::PropertyGet, {}), Variant(static_cast<float>(c.twips)));
    EXPECT_EQ(box->surface().widthPixels(), c.surfacePixels);
    EXPECT_EQ(box->surface().heightPixels(), c.surfacePixels);
    EXPECT_GT(box->scaleWidth(), c.twips * 0.99);
    EXPECT_EQ(call(u"PictureCtrlLineAbsolute", {index, Variant(0), Variant(0), Variant(c.twips), Variant(c.twips),
                                                Variant(0xFF00), Variant(true), Variant(true)}),
              ok);
    EXPECT_EQ(box->surface().image().at(c.surfacePixels - 1, c.surfacePixels - 1) & 0xFFFFFFu, 0x00FF00u);
    EXPECT_EQ(call(u"PictureCtrlCircleAbsolute", {index, Variant(1000), Variant(1000), Variant(c.twips)}), ok);
  }
}


// A script's variables handed to by-value parameters, on the real form with
// one element of every family loaded: whatever the member does with its
// copy, the variable keeps its value and its type.
class DialogByValue : public DialogSizes {
 protected:
  void SetUp() override {
    DialogSizes::SetUp();  // resets the desktop, the Documents folder with it
    folder_ = std::filesystem::temp_directory_path() / ("svx-byvalue-" + std::to_string(GetCurrentProcessId()));
    std::filesystem::create_directories(folder_);
    setDocumentsFolderOverride(folder_.string());
    workingFolder_ = std::filesystem::current_path();
    std::filesystem::current_path(folder_);  // relative file names land here
  }
  void TearDown() override {
    std::filesystem::current_path(workingFolder_);
    DialogSizes::TearDown();
    setDocumentsFolderOverride(std::nullopt);
    std::filesystem::remove_all(folder_);
  }
  std::filesystem::path folder_, workingFolder_;
};

TEST_F(DialogByValue, ByValueVariablesKeepTheirValueAndType) {
  for (const char16_t* family : {u"Check", u"Combo", u"ComboText", u"Command", u"DataCtrl", u"Frame", u"HScrollBar",
                                 u"Image", u"Label", u"List", u"Line", u"ListCheck", u"MultiText", u"Option",
                                 u"PictureCtrl", u"Shape", u"Text", u"VScrollBar"})
    call(BStr(u"Load") + family, {});
  call(u"LoadTimerCtrl", {});
  // Members that wait for a person are left out.
  const std::vector<BStrView> modal = {u"ShowModal", u"Help", u"AboutBox", u"MessageBox", u"InBox"};
  const Variant samples[] = {Variant::i2(1), Variant(1.5), Variant(u"12"), Variant(u"abc"), Variant(true),
                             Variant(-1e300), Variant(), Variant::null(),
                             Variant(SafeArray::variants({Variant(300), Variant(u"x")}, 1))};
  int calls = 0, raised = 0;
  for (const DialogMemberRow& row : dialogMemberTable()) {
    if (row.kind == InvokeKind::PropertyGet ||
        std::find(modal.begin(), modal.end(), BStrView(row.name)) != modal.end())
      continue;
    for (const Variant& sample : samples) {
      SCOPED_TRACE(utf8(row.name) + " with " + varTypeName(sample.vt()));
      std::vector<Variant> vars(row.params.size());
      std::vector<Variant> args;
      for (size_t i = 0; i < row.params.size(); ++i) {
        // The first parameter is often an index: a loaded element's.
        vars[i] = i == 0 && row.params[i].name == u"intIndex" ? Variant::i2(1) : sample;
        args.push_back(Variant::byRef(vars[i]));
      }
      try {
        dlg->invoke(row.name, row.kind, args);
        ++calls;
      } catch (const RuntimeError&) {
        ++raised;
        // Members without handling raise; the variables are checked all the same.
      }
      for (size_t i = 0; i < row.params.size(); ++i) {
        if (row.params[i].byRef) continue;
        const Variant expected = i == 0 && row.params[i].name == u"intIndex" ? Variant::i2(1) : sample;
        EXPECT_EQ(vars[i], expected) << utf8(row.params[i].name);
      }
    }
  }
  EXPECT_GT(calls, 10 * raised);  // most calls return normally
  EXPECT_TRUE(std::filesystem::exists(folder_ / "Sorvanelix.txt"));  // LogInfo wrote in the test's folder
}

}  // namespace
}  // namespace svx::testing
