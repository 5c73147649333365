#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/forms/image.h"
#include "platform/forms/picture_box.h"
#include "platform/graphics/units.h"
#include "tests/support/form_fixture.h"

namespace svx {
namespace {

struct PictureImage : testing::DialogFormTest {
  void SetUp() override {
    DialogFormTest::SetUp();
    dir = std::filesystem::path(::testing::TempDir()) / ("svx_picture_image_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
  }
  void TearDown() override {
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
    DialogFormTest::TearDown();
  }

  // The bytes of a BMP file of w x h pixels in one colour.
  static std::vector<uint8_t> bmp(int w, int h, uint32_t argb) {
    const Picture p = Picture::fromImage(RasterImage(w, h, argb));
    return {p.fileBytes().begin(), p.fileBytes().end()};
  }
  static Variant byteArray(const std::vector<uint8_t>& bytes, int32_t lower = 0) {
    SafeArray a(VT_UI1, {{lower, static_cast<int32_t>(bytes.size())}});
    for (size_t i = 0; i < bytes.size(); ++i) a.set(lower + static_cast<int32_t>(i), Variant::ui1(bytes[i]));
    return Variant(std::move(a));
  }
  static std::vector<uint8_t> bytesOf(const Variant& v) {
    const SafeArray& a = *v.asArray();
    std::vector<uint8_t> out;
    for (int32_t i = a.lbound(); i <= a.ubound(); ++i) out.push_back(a.get(i).asUI1());
    return out;
  }
  BStr file(const std::vector<uint8_t>& bytes, const std::string& name) {
    const auto path = dir / name;
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
    return BStr(path.u16string());
  }
  BStr missingFile() { return BStr((dir / "none.bmp").u16string()); }

  int16_t load(BStrView member, Variant container = Variant::missing()) {
    return static_cast<int16_t>(call(member, {container.isMissing() ? nullptr : &container, &n, &d}).asI4());
  }
  PictureBox& box(int16_t i) { return static_cast<PictureBox&>(form->array(u"PictureCtrl").item(i)); }
  Image& image(int16_t i) { return static_cast<Image&>(form->array(u"ImageCtrl").item(i)); }

  std::filesystem::path dir;
  Variant n, d;
};

// Set's parameters after Index, by name, for both families.
struct SetArgs {
  Variant array = Variant::missing(), path = Variant::missing(), sizing = Variant::missing(),
          visible = Variant::missing(), left = Variant::missing(), width = Variant::missing();
};

struct FamilyCase {
  const char16_t* load;
  const char16_t* get;
  const char16_t* set;
  const char16_t* loadInto;
  bool picture;  // a picture box
};
const FamilyCase kFamilies[] = {{u"LoadImage", u"GetImageCtrl", u"SetImageCtrl", u"LoadPictureIntoImageCtrl", false},
                                {u"LoadPictureCtrl", u"GetPictureCtrl", u"SetPictureCtrl",
                                 u"LoadPictureIntoPictureCtrl", true}};

struct PictureImageFamilies : PictureImage {
  // Set with byteStdPictureArray, strPicturePath, Stretch/AutoSize, Visible, Left, Width.
  void set(const FamilyCase& f, Variant& index, SetArgs& s) {
    auto p = [](Variant& v) { return v.isMissing() ? nullptr : &v; };
    if (f.picture)  // Index, array, BorderStyle, path, AutoSize, Visible, TabIndex, L, T, W, H, z
      call(f.set, {&index, p(s.array), nullptr, p(s.path), p(s.sizing), p(s.visible), nullptr, p(s.left), nullptr,
                   p(s.width), nullptr, nullptr, &n, &d});
    else  // Index, array, BorderStyle, path, Stretch, Visible, L, T, W, H, z
      call(f.set, {&index, p(s.array), nullptr, p(s.path), p(s.sizing), p(s.visible), p(s.left), nullptr, p(s.width),
                   nullptr, nullptr, &n, &d});
  }
  // Get's byteStdPictureArray.
  Variant getPicture(const FamilyCase& f, Variant& index) {
    Variant out(u"old");
    std::vector<Variant*> args{&index, &out};
    args.resize(f.picture ? 10 : 9, nullptr);
    args.push_back(&n);
    args.push_back(&d);
    call(f.get, args);
    return out;
  }
  Control& element(const FamilyCase& f, int16_t i) {
    return form->array(f.picture ? u"PictureCtrl" : u"ImageCtrl").item(i);
  }
  const Picture& pictureOf(const FamilyCase& f, int16_t i) {
    return f.picture ? box(i).picture() : image(i).picture();
  }
};

TEST_F(PictureImageFamilies, PicturesTravelOutWithTheStreamHeaderAndComeBackWrapped) {
  const std::vector<uint8_t> file = bmp(3, 2, 0xFF00FF00);
  for (const FamilyCase& f : kFamilies) {
    SCOPED_TRACE(utf8(BStr(f.set)));
    Variant index = Variant::i2(load(f.load));
    EXPECT_TRUE(getPicture(f, index).isEmpty()) << "no picture gives Empty";
    EXPECT_EQ(n, Variant::i2(0));

    SetArgs s;
    s.array = byteArray(file, 5);  // any lower bound
    set(f, index, s);
    EXPECT_EQ(n, Variant::i2(0));
    const Variant out = getPicture(f, index);
    ASSERT_EQ(out.vt(), VT_ARRAY | VT_UI1);
    EXPECT_EQ(out.asArray()->lbound(), 0);
    const std::vector<uint8_t> bytes = bytesOf(out);
    ASSERT_EQ(bytes.size(), file.size() + 8);
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 4), (std::vector<uint8_t>{0x6C, 0x74, 0, 0}));
    const uint32_t length = bytes[4] | bytes[5] << 8 | bytes[6] << 16 | uint32_t(bytes[7]) << 24;
    EXPECT_EQ(length, file.size());
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 8, bytes.end()), file);

    // Handed back unchanged it is wrapped a second time and still decodes.
    SetArgs again;
    again.array = out;
    set(f, index, again);
    EXPECT_EQ(n, Variant::i2(0));
    EXPECT_EQ(bytesOf(getPicture(f, index)), bytes);
  }
}

TEST_F(PictureImageFamilies, AValueThatIsNoArrayIsSkippedAndTheRestApplied) {
  for (const FamilyCase& f : kFamilies) {
    for (const Variant& notArray : {Variant(u"abc"), Variant(42), Variant::null()}) {
      SCOPED_TRACE(utf8(BStr(f.set)));
      Variant index = Variant::i2(load(f.load));
      SetArgs s;
      s.array = notArray;
      s.left = Variant(300);
      s.visible = Variant(true);
      set(f, index, s);
      EXPECT_EQ(n, Variant::i2(0));
      EXPECT_EQ(d.asBStr(), u"");
      EXPECT_TRUE(element(f, index.asI2()).visible());
      EXPECT_EQ(element(f, index.asI2()).left(), 300);
      EXPECT_TRUE(pictureOf(f, index.asI2()).isNone());
    }
  }
}

TEST_F(PictureImageFamilies, ABadArrayEndsTheSetAtThePictureStep) {
  SafeArray big(VT_VARIANT, {{0, 2}});
  big.set(0, Variant(1));
  big.set(1, Variant(256));
  SafeArray text(VT_VARIANT, {{0, 1}});
  text.set(0, Variant(u"x"));
  const std::pair<Variant, int32_t> cases[] = {{Variant(std::move(big)), err::Overflow},
                                               {Variant(std::move(text)), err::TypeMismatch},
                                               {Variant(SafeArray(VT_UI1, {{0, 0}})), err::SubscriptOutOfRange},
                                               {byteArray({1, 2, 3}), err::InvalidPicture}};
  const BStr path = file(bmp(2, 2, 0xFF0000FF), "ok.bmp");
  for (const FamilyCase& f : kFamilies) {
    for (const auto& [array, number] : cases) {
      SCOPED_TRACE(utf8(BStr(f.set)) + " " + std::to_string(number));
      Variant index = Variant::i2(load(f.load));
      SetArgs s;
      s.array = array;
      s.left = Variant(600);
      s.path = Variant(path);
      s.visible = Variant(true);
      set(f, index, s);
      EXPECT_EQ(n, Variant(number));
      Control& c = element(f, index.asI2());
      EXPECT_EQ(c.left(), 600) << "the geometry before it stays";
      EXPECT_FALSE(c.visible()) << "Visible is not applied";
      EXPECT_TRUE(pictureOf(f, index.asI2()).isNone()) << "nor the path";
    }
  }
}

TEST_F(PictureImageFamilies, ThePathReplacesTheArrayAndAMissingFileIsReported) {
  const std::vector<uint8_t> fromFile = bmp(4, 4, 0xFF0000FF);
  const BStr path = file(fromFile, "pic.bmp");
  for (const FamilyCase& f : kFamilies) {
    SCOPED_TRACE(utf8(BStr(f.set)));
    Variant index = Variant::i2(load(f.load));
    SetArgs s;
    s.array = byteArray(bmp(2, 2, 0xFFFF0000));
    s.path = Variant(path);
    set(f, index, s);
    EXPECT_EQ(n, Variant::i2(0));
    const std::vector<uint8_t> shown(pictureOf(f, index.asI2()).fileBytes().begin(),
                                     pictureOf(f, index.asI2()).fileBytes().end());
    EXPECT_EQ(shown, fromFile);

    // A file that does not exist: reported, the picture kept.
    const Picture before = pictureOf(f, index.asI2());
    Variant name(missingFile());
    call(f.loadInto, {&index, &name, nullptr, nullptr, nullptr, nullptr, &n, &d});
    EXPECT_EQ(n, Variant(err::FileNotFound));
    EXPECT_FALSE(d.asBStr().empty());
    EXPECT_TRUE(pictureOf(f, index.asI2()) == before);
    SetArgs bad;
    bad.path = Variant(missingFile());
    bad.visible = Variant(true);
    set(f, index, bad);
    EXPECT_EQ(n, Variant(err::FileNotFound));
    EXPECT_FALSE(element(f, index.asI2()).visible());
    EXPECT_TRUE(pictureOf(f, index.asI2()) == before);

    // And one that exists replaces it.
    Variant good(file(bmp(5, 1, 0xFF000000), "five.bmp"));
    call(f.loadInto, {&index, &good, nullptr, nullptr, nullptr, nullptr, &n, &d});
    EXPECT_EQ(n, Variant::i2(0));
    EXPECT_EQ(pictureOf(f, index.asI2()).widthPixels(), 5);
  }
}

TEST_F(PictureImageFamilies, ThePictureIsSetAfterTheGeometrySoSizingDecidesTheSize) {
  const Variant array = byteArray(bmp(10, 6, 0xFF00FF00));
  for (const FamilyCase& f : kFamilies) {
    // Image: Stretch False takes the picture's size. Picture box: AutoSize True does.
    for (const bool fit : {true, false}) {
      SCOPED_TRACE(utf8(BStr(f.set)) + (fit ? " fits" : " keeps"));
      Variant index = Variant::i2(load(f.load));
      SetArgs s;
      s.array = array;
      s.width = Variant(2000);
      s.sizing = Variant(f.picture ? fit : !fit);
      set(f, index, s);
      EXPECT_EQ(n, Variant::i2(0));
      const double border = f.picture ? 4 : 0;  // the box's fixed single border
      EXPECT_EQ(element(f, index.asI2()).width(), fit ? pixelsToTwips(10 + border) : 2000);
    }
  }
}

TEST_F(PictureImage, SaveWritesTheLoadedPictureWithoutTheDrawings) {
  const std::vector<uint8_t> original = bmp(8, 8, 0xFFFFFFFF);
  Variant index = Variant::i2(load(u"LoadPictureCtrl"));
  Variant path(file(original, "in.bmp"));
  call(u"LoadPictureIntoPictureCtrl", {&index, &path, nullptr, nullptr, nullptr, nullptr, &n, &d});
  ASSERT_EQ(n, Variant::i2(0));
  Variant x1(0), y1(0), x2(100), y2(100), colour(0);
  call(u"PictureCtrlLineAbsolute", {&index, &x1, &y1, &x2, &y2, &colour, nullptr, nullptr, &n, &d});
  ASSERT_EQ(n, Variant::i2(0));
  Variant out(BStr((dir / "out.bmp").u16string()));
  call(u"SavePictureFromPictureCtrl", {&index, &out, &n, &d});
  EXPECT_EQ(n, Variant::i2(0));
  std::ifstream in(dir / "out.bmp", std::ios::binary);
  EXPECT_EQ(std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {}), original);

  // An image without a picture has nothing to write.
  Variant img(load(u"LoadImage"));
  call(u"SavePictureFromImageCtrl", {&img, &out, &n, &d});
  EXPECT_EQ(n, Variant(err::InvalidPicture));
}

TEST_F(PictureImage, PictureBoxesContainAndCannotContainThemselves) {
  const int16_t outer = load(u"LoadPictureCtrl");
  const int16_t inner = load(u"LoadPictureCtrl", Variant::i2(outer));
  EXPECT_EQ(box(inner).container(), &box(outer));
  const int16_t img = load(u"LoadImage", Variant::i2(inner));
  EXPECT_EQ(image(img).container(), &box(inner));
  EXPECT_EQ(load(u"LoadImage", Variant(0)), 2);
  EXPECT_EQ(image(2).container(), nullptr);

  // Left reads back relative to the box.
  Variant idx = Variant::i2(img), left(120), got;
  call(u"SetImageCtrl", {&idx, nullptr, nullptr, nullptr, nullptr, nullptr, &left, nullptr, nullptr, nullptr, nullptr,
                         &n, &d});
  call(u"GetImageCtrl", {&idx, nullptr, nullptr, nullptr, nullptr, &got, nullptr, nullptr, nullptr, &n, &d});
  EXPECT_EQ(got, Variant(120.0f));

  // The next index named as its own container: refused, yet loaded.
  Variant self(3);
  EXPECT_EQ(call(u"LoadPictureCtrl", {&self, &n, &d}), Variant::i2(-1));
  EXPECT_EQ(n, Variant(err::InvalidProcedureCall));
  EXPECT_TRUE(form->array(u"PictureCtrl").exists(3));

  // Unloading a box takes what it contains.
  Variant o = Variant::i2(outer);
  call(u"UnloadPictureCtrl", {&o, &n, &d});
  EXPECT_EQ(n, Variant::i2(0));
  EXPECT_FALSE(form->array(u"PictureCtrl").exists(inner));
  EXPECT_FALSE(form->array(u"ImageCtrl").exists(img));
}

TEST_F(PictureImage, DrawingLandsOnTheBoxSurface) {
  Variant index = Variant::i2(load(u"LoadPictureCtrl"));
  PictureBox& b = box(index.asI2());
  Variant x(150), y(150), red(255);
  call(u"PictureCtrlPSetAbsolute", {&index, &x, &y, &red, &n, &d});
  EXPECT_EQ(n, Variant::i2(0));
  EXPECT_EQ(d.asBStr(), u"");
  EXPECT_EQ(b.surface().Point(150, 150), 255);

  // A box by presence: boolBox False still draws one; boolFill alone a line.
  Variant x1(30), y1(30), x2(300), y2(300), no(false);
  call(u"PictureCtrlLineAbsolute", {&index, &x1, &y1, &x2, &y2, &red, &no, nullptr, &n, &d});
  EXPECT_EQ(n, Variant::i2(0));
  EXPECT_EQ(b.surface().Point(300, 30), 255);
  Variant x3(450), x4(600), y4(450);
  call(u"PictureCtrlLineAbsolute", {&index, &x3, &y1, &x4, &y4, &red, nullptr, &no, &n, &d});
  EXPECT_EQ(n, Variant::i2(0));
  EXPECT_EQ(b.surface().Point(600, 450), 255);
  EXPECT_NE(b.surface().Point(600, 30), 255) << "no box corner";

  Variant text(u"line");
  const double startY = b.surface().currentY();
  call(u"PictureCtrlPrintText", {&index, &text, &n, &d});
  call(u"PictureCtrlPrintText", {&index, &text, &n, &d});
  EXPECT_EQ(n, Variant::i2(0));
  EXPECT_DOUBLE_EQ(b.surface().currentY() - startY, 2 * b.surface().TextHeight(u"line"));
  EXPECT_EQ(b.surface().currentX(), 0);

  // Both flags: a box filled with the line's colour.
  Variant fx1(600), fy1(300), fx2(750), fy2(420);
  call(u"PictureCtrlLineAbsolute", {&index, &fx1, &fy1, &fx2, &fy2, &red, &no, &no, &n, &d});
  EXPECT_EQ(b.surface().Point(675, 360), 255);

  // A dropped argument is never converted; the colour still reaches the circle.
  Variant cx(300), cy(300), r(90), bad(u"no number");
  call(u"PictureCtrlCircleAbsolute", {&index, &cx, &cy, &r, &red, nullptr, &bad, &bad, &n, &d});
  EXPECT_EQ(n, Variant::i2(0));
  EXPECT_EQ(b.surface().Point(390, 300), 255);

  // A box without a colour is drawn in the foreground colour (the form's
  // twin reports the missing colour instead).
  b.surface().setForeColor(0xFF0000);
  Variant bx1(630), by1(30), bx2(840), by2(150);
  call(u"PictureCtrlLineAbsolute", {&index, &bx1, &by1, &bx2, &by2, nullptr, &no, nullptr, &n, &d});
  EXPECT_EQ(n, Variant::i2(0));
  EXPECT_EQ(b.surface().Point(840, 30), 0xFF0000);
  EXPECT_NE(b.surface().Point(735, 90), 0xFF0000) << "outline only";
  call(u"FormLineAbsolute", {&bx1, &by1, &bx2, &by2, nullptr, &no, nullptr, &n, &d});
  EXPECT_EQ(n, Variant(err::TypeMismatch));

  // The template is a valid target.
  Variant zero(0);
  call(u"PictureCtrlPSetAbsolute", {&zero, &x, &y, nullptr, &n, &d});
  EXPECT_EQ(n, Variant::i2(0));
}

TEST_F(PictureImage, PaintPictureRefusesANonArrayAfterTheProbe) {
  Variant index = Variant::i2(load(u"LoadPictureCtrl"));
  Variant free(9), x(0), y(0);
  const std::vector<uint8_t> file = bmp(2, 2, 0xFFFF0000);  // red
  const struct {
    Variant* index;
    Variant picture;
    Variant number;
  } cases[] = {
      {&index, Variant(u"abc"), Variant::i2(-300)},
      {&index, Variant(7), Variant::i2(-300)},
      {&free, Variant(u"abc"), Variant(err::ElementDoesNotExist)},
      {&index, byteArray({0, 1, 2}), Variant(err::InvalidPicture)},
      {&index, byteArray(file), Variant::i2(0)},
  };
  for (const auto& c : cases) {
    Variant picture = c.picture;
    n = Variant(u"stale");
    call(u"PictureCtrlPaintPicture",
         {c.index, &picture, &x, &y, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &n, &d});
    EXPECT_EQ(n, c.number);
    if (n == Variant::i2(-300)) {
      EXPECT_EQ(d.asBStr(), u"The actual value for the byteStdPictureArray parameter is not an array of bytes!");
    }
  }
  EXPECT_EQ(box(index.asI2()).surface().Point(0, 0), 255) << "the picture was painted";

  // sngWidth1 without sngHeight1: the width alone scales; the rest is dropped.
  Variant picture = byteArray(file), px(0), py(300), w1(150), bad(u"dropped");
  call(u"PictureCtrlPaintPicture",
       {&index, &picture, &px, &py, &w1, nullptr, &bad, &bad, &bad, &bad, &bad, &n, &d});
  EXPECT_EQ(n, Variant::i2(0));
  EXPECT_EQ(box(index.asI2()).surface().Point(135, 315), 255);
  EXPECT_NE(box(index.asI2()).surface().Point(135, 345), 255) << "the picture's own height";
}

}  // namespace
}  // namespace svx
