#include "platform/graphics/picture.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <functional>

#include <filesystem>

#include "platform/graphics/image_codec.h"
#include "platform/graphics/units.h"
#include "tests/support/child_process.h"
#include "tests/platform/graphics/graphics_test_util.h"

namespace svx {
namespace {

using test::errorOf;

RasterImage checker(int w, int h) {
  return test::makeImage(w, h, [](int x, int y) { return (x + y) % 2 ? 0xFF0000u : 0x0000FFu; });
}

uint32_t le32(const std::vector<uint8_t>& b, size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}

std::vector<uint8_t> wrap(const std::vector<uint8_t>& payload) {
  std::vector<uint8_t> out = {0x6C, 0x74, 0, 0};
  for (int s = 0; s < 32; s += 8) out.push_back(static_cast<uint8_t>(payload.size() >> s));
  out.insert(out.end(), payload.begin(), payload.end());
  return out;
}

struct Format {
  const char* name;
  std::vector<uint8_t> bytes;
  PictureType type;
  int width, height;
  bool exactPixels;
};

std::vector<Format> formats() {
  const RasterImage image = checker(10, 6);
  return {
      {"png", encodePng(image), PictureType::Bitmap, 10, 6, true},
      {"bmp", encodeBmp(image), PictureType::Bitmap, 10, 6, true},
      {"pixbuf-bmp", test::saveWithPixbuf(image, "bmp"), PictureType::Bitmap, 10, 6, true},
      {"jpeg", test::saveWithPixbuf(image, "jpeg"), PictureType::Bitmap, 10, 6, false},
      {"ico", test::saveWithPixbuf(checker(16, 16), "ico"), PictureType::Icon, 16, 16, false},
      {"gif", test::twoPixelGif(), PictureType::Bitmap, 2, 1, false},
  };
}

TEST(Picture, EveryFormatLoadsWithItsTypeAndSize) {
  for (const auto& f : formats()) {
    ASSERT_FALSE(f.bytes.empty()) << f.name;
    const Picture p = Picture::fromFileBytes(f.bytes);
    EXPECT_EQ(p.type(), f.type) << f.name;
    EXPECT_EQ(p.widthPixels(), f.width) << f.name;
    EXPECT_EQ(p.heightPixels(), f.height) << f.name;
    EXPECT_EQ(p.width(), pixelsToHimetric(f.width)) << f.name;
    if (f.exactPixels) {
      EXPECT_EQ(p.image(), checker(10, 6)) << f.name;
    }
  }
  const Picture gif = Picture::fromFileBytes(test::twoPixelGif());
  EXPECT_EQ(gif.image().at(0, 0), 0xFFFF0000u);
  EXPECT_EQ(gif.image().at(1, 0), 0xFF0000FFu);
}

TEST(Picture, SizeIsReportedInHimetric) {
  const Picture p = Picture::fromImage(checker(10, 96));
  EXPECT_EQ(p.width(), 265);  // 10 * 2540 / 96 = 264.58
  EXPECT_EQ(p.height(), 2540);
  EXPECT_EQ(Picture().width(), 0);
  EXPECT_EQ(Picture().type(), PictureType::None);
}

TEST(Picture, StreamIsTagLengthAndTheFileBytes) {
  for (const auto& f : formats()) {
    const Picture p = Picture::fromFileBytes(f.bytes);
    const std::vector<uint8_t> stream = p.saveToStream();
    ASSERT_GE(stream.size(), 8u);
    EXPECT_EQ(stream[0], 0x6C);
    EXPECT_EQ(stream[1], 0x74);
    EXPECT_EQ(stream[2], 0x00);
    EXPECT_EQ(stream[3], 0x00);
    EXPECT_EQ(le32(stream, 4), f.bytes.size()) << f.name;
    EXPECT_TRUE(std::equal(f.bytes.begin(), f.bytes.end(), stream.begin() + 8)) << f.name;

    const Picture back = Picture::loadFromStream(stream);
    EXPECT_EQ(back.type(), p.type()) << f.name;
    EXPECT_EQ(back.image(), p.image()) << f.name;
    EXPECT_EQ(back.saveToStream(), stream) << f.name;
  }
}

TEST(Picture, DrawnPixelsSaveAsBmp) {
  const Picture p = Picture::fromImage(checker(3, 2));
  const std::vector<uint8_t> stream = p.saveToStream();
  EXPECT_EQ(stream[8], 'B');
  EXPECT_EQ(stream[9], 'M');
  EXPECT_EQ(Picture::loadFromStream(stream).image(), checker(3, 2));
}

TEST(Picture, BmpKeepsAnAlphaChannel) {
  RasterImage image(2, 1);
  image.at(0, 0) = 0xFFFF0000u;
  image.at(1, 0) = 0;
  const Picture back = Picture::fromFileBytes(encodeBmp(image));
  EXPECT_EQ(back.image(), image);
}

TEST(Picture, ARepeatedHeaderIsUnwrapped) {
  const Picture p = Picture::fromFileBytes(encodePng(checker(4, 4)));
  const std::vector<uint8_t> once = p.saveToStream();
  const std::vector<uint8_t> twice = wrap(once);  // an array taken out and handed back in
  EXPECT_EQ(le32(twice, 4), once.size());
  EXPECT_EQ(Picture::loadFromStream(twice).image(), p.image());
  EXPECT_EQ(Picture::loadFromStream(wrap(twice)).image(), p.image());
}

TEST(Picture, BytesAfterThePictureAreNotRead) {
  std::vector<uint8_t> stream = Picture::fromImage(checker(2, 2)).saveToStream();
  stream.insert(stream.end(), {1, 2, 3});
  EXPECT_EQ(Picture::loadFromStream(stream).widthPixels(), 2);
}

TEST(Picture, BadStreamsRaiseInvalidPicture) {
  const std::vector<uint8_t> png = encodePng(checker(2, 2));
  std::vector<uint8_t> truncated = wrap(png);
  truncated.pop_back();
  std::vector<uint8_t> noTag = wrap(png);
  noTag[0] = 0;
  std::vector<uint8_t> cut(png.begin(), png.begin() + png.size() / 2);
  const std::vector<std::vector<uint8_t>> bad = {
      {}, {0x6C, 0x74, 0}, noTag, truncated, wrap({1, 2, 3, 4, 5}), wrap({'B', 'M', 0, 0}), wrap(cut),
  };
  for (size_t i = 0; i < bad.size(); ++i)
    EXPECT_EQ(errorOf([&] { Picture::loadFromStream(bad[i]); }), err::InvalidPicture) << i;
  EXPECT_EQ(errorOf([&] { Picture::fromFileBytes(std::vector<uint8_t>{0, 0, 1, 0, 5, 0}); }), err::InvalidPicture);
}

TEST(Picture, AnEmptyStreamIsNoPicture) {
  const std::vector<uint8_t> none = Picture().saveToStream();
  EXPECT_EQ(none, (std::vector<uint8_t>{0x6C, 0x74, 0, 0, 0, 0, 0, 0}));
  EXPECT_TRUE(Picture::loadFromStream(none).isNone());
}

TEST(LoadPicture, ReadsEachFormatFromFiles) {
  test::TempDir dir;
  for (const auto& f : formats()) {
    const auto path = dir / (std::string("pic.") + f.name);
    test::writeFile(path, f.bytes);
    const Picture p = LoadPicture(utf16(path.string()));
    EXPECT_EQ(p.type(), f.type) << f.name;
    EXPECT_EQ(p.widthPixels(), f.width) << f.name;
    // Size arguments are ignored for bitmaps.
    if (f.type == PictureType::Bitmap) {
      EXPECT_EQ(LoadPicture(utf16(path.string()), 99, 99).widthPixels(), f.width) << f.name;
    }
  }
  EXPECT_TRUE(LoadPicture(u"").isNone());
}

TEST(LoadPicture, ReportsMissingAndUnreadableFiles) {
  test::TempDir dir;
  EXPECT_EQ(errorOf([&] { LoadPicture(utf16((dir / "missing.bmp").string())); }), err::FileNotFound);
  EXPECT_EQ(errorOf([&] { LoadPicture(utf16((dir / "no/such/dir.bmp").string())); }), err::FileNotFound);
  EXPECT_EQ(errorOf([&] { LoadPicture(utf16(dir.path().string())); }), err::PathFileAccessError);
  test::writeFile(dir / "text.bmp", {'h', 'e', 'l', 'l', 'o'});
  EXPECT_EQ(errorOf([&] { LoadPicture(utf16((dir / "text.bmp").string())); }), err::InvalidPicture);
}

TEST(LoadPicture, ReadsOnlyRegularFilesOfABoundedSize) {
  test::TempDir dir;
  // Endless or blocking sources are refused before anything is read.
  const std::filesystem::path fifo = dir / "pipe.png";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const std::pair<std::string, int32_t> cases[] = {
      {"/dev/zero", err::PathFileAccessError},
      {"/dev/null", err::PathFileAccessError},
      {fifo.string(), err::PathFileAccessError},
  };
  for (const auto& [path, expected] : cases) EXPECT_EQ(errorOf([&] { LoadPicture(utf16(path)); }), expected) << path;
  // A (sparse) file beyond the limit fails as too large for memory.
  const std::filesystem::path huge = dir / "huge.bmp";
  test::writeFile(huge, {'B', 'M'});
  std::filesystem::resize_file(huge, kMaxPictureFileBytes + 1);
  EXPECT_EQ(errorOf([&] { LoadPicture(utf16(huge.string())); }), err::OutOfMemory);
  // A link to a picture is read through.
  test::writeFile(dir / "real.png", encodePng(checker(3, 2)));
  std::filesystem::create_symlink(dir / "real.png", dir / "link.png");
  EXPECT_EQ(LoadPicture(utf16((dir / "link.png").string())).widthPixels(), 3);
}

// Headers of image files that claim 60000 x 60000 pixels, followed by a few
// bytes of pixel data: refused from the header, before pixels are allocated.
std::vector<uint8_t> be32(uint32_t v) {
  return {static_cast<uint8_t>(v >> 24), static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 8),
          static_cast<uint8_t>(v)};
}
uint32_t crc32Of(const uint8_t* p, size_t n) {
  uint32_t c = 0xFFFFFFFFu;
  for (size_t i = 0; i < n; ++i) {
    c ^= p[i];
    for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1u)));
  }
  return ~c;
}
std::vector<uint8_t> hugePng() {
  std::vector<uint8_t> png = encodePng(checker(1, 1));
  // IHDR's width and height follow the signature, the length and the type.
  const auto w = be32(60000);
  std::copy(w.begin(), w.end(), png.begin() + 16);
  std::copy(w.begin(), w.end(), png.begin() + 20);
  const uint32_t crc = crc32Of(png.data() + 12, 17);  // type and data
  const auto c = be32(crc);
  std::copy(c.begin(), c.end(), png.begin() + 29);
  return png;
}
// Run-length coded: a BMP file whose pixels are stored as they are must
// hold them all (else it is no picture).
std::vector<uint8_t> hugeBmp() {
  std::vector<uint8_t> bmp = encodeBmp(checker(2, 2));
  for (size_t at : {18u, 22u})
    for (int s = 0; s < 32; s += 8) bmp[at + s / 8] = static_cast<uint8_t>(60000u >> s);
  bmp[28] = 8;  // bits a pixel
  bmp[30] = 1;  // BI_RLE8
  return bmp;
}
std::vector<uint8_t> hugeJpeg() {
  std::vector<uint8_t> jpeg = test::saveWithPixbuf(checker(8, 8), "jpeg");
  for (size_t i = 2; i + 9 < jpeg.size(); ++i)
    if (jpeg[i] == 0xFF && (jpeg[i + 1] == 0xC0 || jpeg[i + 1] == 0xC2)) {  // the frame's height and width
      jpeg[i + 5] = 0xEA, jpeg[i + 6] = 0x60, jpeg[i + 7] = 0xEA, jpeg[i + 8] = 0x60;
      break;
    }
  return jpeg;
}
std::vector<uint8_t> hugeGif() {
  std::vector<uint8_t> gif = test::twoPixelGif();
  for (size_t at : {6u, 8u, 24u, 26u}) gif[at] = 0x60, gif[at + 1] = 0xEA;  // screen and image
  return gif;
}

TEST(DecodeImage, ImagesOfTooManyPixelsAreRefusedFromTheirHeader) {
  const std::pair<const char*, std::vector<uint8_t>> cases[] = {
      {"png", hugePng()}, {"bmp", hugeBmp()}, {"gif", hugeGif()}, {"jpeg", hugeJpeg()}};
  for (const auto& [name, bytes] : cases) {
    bool tooLarge = false;
    EXPECT_FALSE(decodeImage(bytes, &tooLarge)) << name;
    EXPECT_TRUE(tooLarge) << name;
    EXPECT_EQ(errorOf([&] { Picture::fromFileBytes(bytes); }), err::OutOfMemory) << name;
  }
  bool tooLarge = true;
  EXPECT_TRUE(decodeImage(encodePng(checker(4, 4)), &tooLarge));
  EXPECT_FALSE(tooLarge);
}

TEST(LoadPicture, ChoosesAmongTheImagesOfAnIcon) {
  test::TempDir dir;
  const auto small = test::saveWithPixbuf(checker(16, 16), "ico");
  const auto large = test::saveWithPixbuf(checker(32, 32), "ico");
  const auto both = test::combineIcons({small, large});
  const auto path = utf16((dir / "two.ico").string());
  test::writeFile(dir / "two.ico", both);

  EXPECT_EQ(LoadPicture(path).widthPixels(), 32);
  EXPECT_EQ(LoadPicture(path, vbLPSmall).widthPixels(), 16);
  EXPECT_EQ(LoadPicture(path, vbLPLarge).widthPixels(), 32);
  EXPECT_EQ(LoadPicture(path, vbLPCustom, vbLPDefault, 20, 20).widthPixels(), 16);
  EXPECT_EQ(LoadPicture(path, vbLPCustom, vbLPDefault, 30, 30).widthPixels(), 32);
  EXPECT_EQ(errorOf([&] { LoadPicture(path, 5); }), err::InvalidProcedureCall);
  EXPECT_EQ(errorOf([&] { LoadPicture(path, vbLPSmall, 4); }), err::InvalidProcedureCall);

  // Without a choice the picture keeps the whole file; with one, that image.
  const Picture whole = LoadPicture(path);
  EXPECT_TRUE(std::equal(both.begin(), both.end(), whole.fileBytes().begin(), whole.fileBytes().end()));
  const Picture chosen = LoadPicture(path, vbLPSmall);
  EXPECT_EQ(Picture::fromFileBytes(chosen.fileBytes()).widthPixels(), 16);
  EXPECT_EQ(chosen.type(), PictureType::Icon);
}

TEST(SavePicture, WritesBmpForBitmapsAndTheIconBytesForIcons) {
  test::TempDir dir;
  for (const auto& f : formats()) {
    const Picture p = Picture::fromFileBytes(f.bytes);
    const auto path = dir / (std::string("out-") + f.name);
    SavePicture(p, utf16(path.string()));
    const std::vector<uint8_t> written = test::readFile(path);
    if (f.type == PictureType::Icon) {
      EXPECT_EQ(written, f.bytes) << f.name;
    } else {
      ASSERT_GE(written.size(), 2u);
      EXPECT_EQ(written[0], 'B') << f.name;
      EXPECT_EQ(written[1], 'M') << f.name;
      EXPECT_EQ(LoadPicture(utf16(path.string())).image(), p.image()) << f.name;
    }
  }
  // A BMP file is written back as it was loaded.
  const auto bmp = test::saveWithPixbuf(checker(5, 5), "bmp");
  SavePicture(Picture::fromFileBytes(bmp), utf16((dir / "same.bmp").string()));
  EXPECT_EQ(test::readFile(dir / "same.bmp"), bmp);
}

TEST(SavePicture, ReportsNoPictureAndUnwritablePaths) {
  test::TempDir dir;
  const Picture p = Picture::fromImage(checker(2, 2));
  EXPECT_EQ(errorOf([&] { SavePicture(Picture(), utf16((dir / "x.bmp").string())); }), err::InvalidPicture);
  EXPECT_EQ(errorOf([&] { SavePicture(p, utf16((dir / "no/dir/x.bmp").string())); }), err::PathFileAccessError);
  EXPECT_EQ(errorOf([&] { SavePicture(p, utf16(dir.path().string())); }), err::PathFileAccessError);
  EXPECT_EQ(errorOf([&] { SavePicture(p, u""); }), err::PathFileAccessError);
}

// Pictures are written only to regular files (or new ones): a pipe or a
// device fails at once, whether or not anything reads from it.
TEST(SavePicture, WritesOnlyRegularOrNewFiles) {
  test::TempDir dir;
  const Picture p = Picture::fromImage(checker(2, 2));
  const std::filesystem::path fifo = dir / "pipe.bmp";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  // With a reader the pipe would take the bytes.
  const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  ASSERT_EQ(errorOf([&] { SavePicture(p, utf16(fifo.string())); }), err::PathFileAccessError);
  char byte;
  EXPECT_EQ(::read(reader, &byte, 1), 0);  // nothing was written
  ::close(reader);
  // Without one the open would wait for ever.
  EXPECT_EQ(errorOf([&] { SavePicture(p, utf16(fifo.string())); }), err::PathFileAccessError);
  EXPECT_EQ(errorOf([&] { SavePicture(p, u"/dev/null"); }), err::PathFileAccessError);
  const std::filesystem::path socketPath = dir / "socket.bmp";
  const int s = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  std::snprintf(addr.sun_path, sizeof addr.sun_path, "%s", socketPath.c_str());
  ASSERT_EQ(::bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
  EXPECT_EQ(errorOf([&] { SavePicture(p, utf16(socketPath.string())); }), err::PathFileAccessError);
  ::close(s);
  // An existing regular file is replaced whole.
  test::writeFile(dir / "old.bmp", std::vector<uint8_t>(5000, 'x'));
  SavePicture(p, utf16((dir / "old.bmp").string()));
  EXPECT_EQ(LoadPicture(utf16((dir / "old.bmp").string())).image(), p.image());
}

// The exit status of `step` run in a child process: its error number, 0
// when it raised none, 200 + n when it could not set up (n: what failed).
int inChild(const std::function<int()>& step) { return testing::inChildProcess(step, 60); }

// The names in a folder, sorted.
std::vector<std::string> namesIn(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

// A save that finds no room fails with 75, leaves the file it would have
// replaced as it was and no file of a new name (nor one it wrote first):
// above the process's file size limit, and on a full file system (a small
// one of the test's own, where the system lets it mount one).
TEST(SavePicture, ASaveWithoutRoomLeavesTheOldFileWholeAndNoNewOne) {
  test::TempDir dir;
  const Picture big = Picture::fromImage(checker(64, 64));  // about 16 KB as BMP
  const std::vector<uint8_t> old(600, 'o');
  const std::filesystem::path file = dir / "old.bmp";
  test::writeFile(file, old);

  // Both saves' errors, when they are the same; else 205.
  auto saveOverAndBeside = [&](const std::filesystem::path& folder) {
    const int32_t over = errorOf([&] { SavePicture(big, utf16((folder / "old.bmp").string())); });
    const int32_t beside = errorOf([&] { SavePicture(big, utf16((folder / "new.bmp").string())); });
    return over == beside ? static_cast<int>(over) : 205;
  };
  EXPECT_EQ(inChild([&] {
              std::signal(SIGXFSZ, SIG_IGN);
              const rlimit limit{4096, 4096};
              if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) return 201;
              return saveOverAndBeside(dir.path());
            }),
            err::PathFileAccessError);
  EXPECT_EQ(test::readFile(file), old);
  EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"old.bmp"});

  const std::filesystem::path small = dir / "small";
  std::filesystem::create_directory(small);
  const int full = inChild([&] {
    if (::unshare(CLONE_NEWNS) != 0) return 201;
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) return 202;
    if (::mount("svx-test", small.c_str(), "tmpfs", 0, "size=64k") != 0) return 203;
    test::writeFile(small / "old.bmp", old);
    // The rest of the room taken.
    const int filler = ::open((small / "filler").c_str(), O_WRONLY | O_CREAT, 0600);
    const std::vector<char> block(4096, 'f');
    while (::write(filler, block.data(), block.size()) > 0) {
    }
    ::close(filler);
    const int error = saveOverAndBeside(small);
    if (test::readFile(small / "old.bmp") != old) return 204;
    return namesIn(small) == std::vector<std::string>{"filler", "old.bmp"} ? error : 206;
  });
  if (full == 201 || full == 202 || full == 203) GTEST_SKIP() << "no file system of the test's own (" << full << ")";
  EXPECT_EQ(full, err::PathFileAccessError);
}

// A new file gets the mode the umask gives; a replaced one keeps its mode;
// a link to a file stays a link, and the file it names gets the picture.
TEST(SavePicture, FilesKeepTheirModeAndLinksStayLinks) {
  test::TempDir dir;
  const Picture p = Picture::fromImage(checker(3, 3));
  const auto modeOf = [](const std::filesystem::path& path) {
    struct stat st {};
    ::lstat(path.c_str(), &st);
    return st.st_mode & 07777;
  };
  const mode_t umaskBefore = ::umask(027);
  SavePicture(p, utf16((dir / "new.bmp").string()));
  ::umask(umaskBefore);
  EXPECT_EQ(modeOf(dir / "new.bmp"), 0640u);

  test::writeFile(dir / "kept.bmp", {'x'});
  ::chmod((dir / "kept.bmp").c_str(), 0604);
  SavePicture(p, utf16((dir / "kept.bmp").string()));
  EXPECT_EQ(modeOf(dir / "kept.bmp"), 0604u);
  EXPECT_EQ(test::readFile(dir / "kept.bmp"), encodeBmp(p.image()));

  std::filesystem::create_directory(dir / "real");
  test::writeFile(dir / "real" / "target.bmp", {'x'});
  std::filesystem::create_symlink("real/target.bmp", dir / "link.bmp");
  SavePicture(p, utf16((dir / "link.bmp").string()));
  EXPECT_TRUE(std::filesystem::is_symlink(dir / "link.bmp"));
  EXPECT_EQ(test::readFile(dir / "real" / "target.bmp"), encodeBmp(p.image()));
  EXPECT_EQ(namesIn(dir / "real"), std::vector<std::string>{"target.bmp"});
  EXPECT_EQ(namesIn(dir.path()), (std::vector<std::string>{"kept.bmp", "link.bmp", "new.bmp", "real"}));
}

// A folder that takes no new file still lets a file in it that the process
// may write be replaced (in place); a file it may not write is refused.
TEST(SavePicture, AFileInAFolderThatTakesNoNewFileIsRewrittenInPlace) {
  test::TempDir dir;
  const Picture p = Picture::fromImage(checker(3, 3));
  const std::filesystem::path folder = dir / "fixed";
  std::filesystem::create_directory(folder);
  test::writeFile(folder / "open.bmp", std::vector<uint8_t>(5000, 'o'));
  test::writeFile(folder / "closed.bmp", {'c'});
  ::chmod((folder / "open.bmp").c_str(), 0666);
  ::chmod((folder / "closed.bmp").c_str(), 0444);
  ::chmod(folder.c_str(), 0555);
  ::chmod(dir.path().c_str(), 0755);
  const int result = inChild([&] {
    // An unprivileged user, for whom the folder's mode counts.
    if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) return 201;
    const int32_t open = errorOf([&] { SavePicture(p, utf16((folder / "open.bmp").string())); });
    const int32_t closed = errorOf([&] { SavePicture(p, utf16((folder / "closed.bmp").string())); });
    const int32_t fresh = errorOf([&] { SavePicture(p, utf16((folder / "new.bmp").string())); });
    return open == 0 && closed == err::PathFileAccessError && fresh == err::PathFileAccessError ? 0 : 202;
  });
  ::chmod(folder.c_str(), 0755);
  if (result == 201) GTEST_SKIP() << "no unprivileged user to run as";
  EXPECT_EQ(result, 0);
  EXPECT_EQ(test::readFile(folder / "open.bmp"), encodeBmp(p.image()));
  EXPECT_EQ(test::readFile(folder / "closed.bmp"), std::vector<uint8_t>{'c'});
  EXPECT_EQ(namesIn(folder), (std::vector<std::string>{"closed.bmp", "open.bmp"}));
}

// An existing file is replaced whole, by a larger content or a smaller one.
TEST(SavePicture, AnExistingFileIsReplacedWhole) {
  test::TempDir dir;
  const std::filesystem::path file = dir / "old.bmp";
  for (int side : {40, 4, 40}) {
    const Picture p = Picture::fromImage(checker(side, side));
    SavePicture(p, utf16(file.string()));
    EXPECT_EQ(test::readFile(file), encodeBmp(p.image())) << side;
  }
}

// A NUL inside a name would cut it short there: the name is refused and no
// file is touched.
TEST(SavePicture, ANameWithANulIsABadFileName) {
  test::TempDir dir;
  const Picture p = Picture::fromImage(checker(2, 2));
  const BStr name = utf16((dir / "a").string()) + BStr(1, u'\0') + u"b.bmp";
  EXPECT_EQ(errorOf([&] { SavePicture(p, name); }), err::BadFileNameOrNumber);
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));

  test::writeFile(dir / "a", encodePng(checker(3, 2)));
  EXPECT_EQ(errorOf([&] { LoadPicture(name); }), err::BadFileNameOrNumber);
}

// A regular file whose read fails is error 75, as any unreadable file.
TEST(LoadPicture, AReadThatFailsIsAPathFileAccessError) {
  EXPECT_EQ(errorOf([] { LoadPicture(u"/proc/self/mem"); }), err::PathFileAccessError);
  // A file of /proc says size 0 and has more: it is read to its end.
  EXPECT_EQ(errorOf([] { LoadPicture(u"/proc/self/status"); }), err::InvalidPicture);
}

}  // namespace
}  // namespace svx
