// The Open, multi-select Open and Save dialogs: the platform's
// GetOpenFileNameW/GetSaveFileNameW, CMDialog, ComDlg and the form's members
// reached through Dialog, against real files in a temporary folder.
#include <gtest/gtest.h>

#include <fstream>

#include "dialog/dialog.h"
#include "dialog/dialog_form_api.h"
#include "platform/automation/collection.h"
#include "platform/automation/safearray.h"
#include "platform/desktop/clock.h"
#include "platform/desktop/desktop.h"
#include "platform/desktop/message_loop.h"
#include "platform/dialogs/common_dialogs.h"
#include "platform/dialogs/dialog_window.h"
#include "platform/dialogs/file_dialogs.h"
#include "platform/forms/list_box.h"
#include "platform/forms/text_box.h"
#include "platform/graphics/font.h"
#include "platform/graphics/form_render.h"
#include "platform/graphics/units.h"
#include "platform/forms/person.h"
#include "services/com_dlg.h"
#include "tests/services/common_dialog_fixture.h"

namespace svx {
namespace {

namespace fs = std::filesystem;
using K = FileDialogKind;

// A text with its NULs.
template <size_t N>
BStr text(const char16_t (&s)[N]) {
  return BStr(s, N - 1);
}

class FileDialog : public testing::DialogObjectTest {
 protected:
  void SetUp() override {
    DialogObjectTest::SetUp();
    dir = fs::temp_directory_path() / ("svx_file_dialog_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir / "sub");
    for (const char* name : {"a.txt", "b.txt", "c.md", "\xC3\xBCnic\xC3\xB6" "de.txt"}) std::ofstream(dir / name) << "x";
  }
  void TearDown() override {
    DialogObjectTest::TearDown();
    fs::remove_all(dir);
  }

  BStr path(const char* name) const { return utf16((dir / name).string()); }

  // Dialog.CommonDialogShowOpen (or Save) with the error out-parameters.
  Variant open(Variant initDir, Variant filter, Variant title, Variant& fileName, Variant owner = Variant::missing(),
               Variant multi = Variant::missing()) {
    std::vector<Variant> args{std::move(initDir), std::move(filter), std::move(title), Variant::byRef(fileName),
                              std::move(owner),   std::move(multi),  Variant::byRef(errNumber),
                              Variant::byRef(errDescription)};
    return dlg->invoke(u"CommonDialogShowOpen", InvokeKind::Method, args);
  }
  Variant save(Variant initDir, Variant filter, Variant title, Variant& fileName) {
    std::vector<Variant> args{std::move(initDir),       std::move(filter),
                              std::move(title),         Variant::byRef(fileName),
                              Variant::missing(),       Variant::byRef(errNumber),
                              Variant::byRef(errDescription)};
    return dlg->invoke(u"CommonDialogShowSave", InvokeKind::Method, args);
  }
  const FileDialogSession& last() const { return fileDialogs().sessions().back(); }
  void expectNoError() {
    EXPECT_EQ(errNumber, Variant::i2(0));
    EXPECT_EQ(errDescription.asBStr(), u"");
  }

  fs::path dir;
};

TEST_F(FileDialog, OpenReturnsThePathAndFillsTheStructureAsCMDialogDoes) {
  fileDialogs().queueAnswer(K::Open, path("a.txt"));
  Variant name(u"before");
  EXPECT_EQ(open(Variant(utf16(dir.string())), Variant(u"Text (*.txt)|*.txt"), Variant(u"Pick"), name), Variant(true));
  EXPECT_EQ(name, Variant(path("a.txt")));
  expectNoError();
  const FileDialogSession& s = last();
  EXPECT_EQ(s.structSize, 76u);
  EXPECT_EQ(s.flags, 0u);
  EXPECT_EQ(s.maxFile, 256u);
  EXPECT_EQ(s.maxFileTitle, 256u);
  EXPECT_EQ(s.title, u"Pick");
  EXPECT_EQ(s.initialDir, utf16(dir.string()));
  EXPECT_EQ(s.folderShown, utf16(dir.string()));
  // "|" is not translated: one entry, ended by the text's own NUL and one more.
  EXPECT_EQ(s.filterText, text(u"Text (*.txt)|*.txt\0\0"));
  ASSERT_EQ(s.filters.size(), 1u);
  EXPECT_EQ(s.filters[0].pattern, u"");
  // Owned by the form's (hidden) window, enabled again afterwards.
  EXPECT_EQ(s.owner, formWindow());
  EXPECT_FALSE(s.open);
  EXPECT_TRUE(IsWindowEnabled(formWindow()));
  EXPECT_FALSE(desktop().find(s.dialog));
}

TEST_F(FileDialog, CancelOrNobodyAnsweringGivesFalseAndAnEmptyName) {
  fileDialogs().queueCancel(K::Open);
  for (int round = 0; round < 2; ++round) {
    Variant name(u"kept?");
    EXPECT_EQ(open(Variant(u""), Variant(u""), Variant(u""), name), Variant(false)) << round;
    EXPECT_EQ(name, Variant(u""));
    expectNoError();
    EXPECT_EQ(CommDlgExtendedError(), 0u);
  }
  // An Open answer is not taken by a Save dialog.
  fileDialogs().queueAnswer(K::Open, path("a.txt"));
  Variant name;
  EXPECT_EQ(save(Variant(u""), Variant(u""), Variant(u""), name), Variant(false));
  EXPECT_EQ(fileDialogs().queuedAnswers(K::Open), 1u);
}

TEST_F(FileDialog, SaveTakesANewFileAndTheDefaultTitle) {
  fileDialogs().queueAnswer(K::Save, path("new.txt"));
  Variant name;
  EXPECT_EQ(save(Variant(utf16(dir.string())), Variant(u""), Variant(u""), name), Variant(true));
  EXPECT_EQ(name, Variant(path("new.txt")));
  EXPECT_EQ(last().kind, K::Save);
  EXPECT_EQ(last().title, u"Save As");
  EXPECT_FALSE(fs::exists(dir / "new.txt"));  // the dialog only names it
}

// The buffer holds 256 characters and the terminating NUL: a longer path fails.
TEST_F(FileDialog, PathsThatDoNotFitTheBufferFailWithBufferTooSmall) {
  struct Case {
    size_t length;
    bool fits;
  };
  for (const Case c : {Case{255, true}, Case{256, true}, Case{257, false}, Case{300, false}, Case{1000, false}}) {
    BStr p = utf16(dir.string()) + u"/";
    p += BStr(c.length - p.size(), u'n');
    fileDialogs().queueAnswer(K::Save, p);
    Variant name(u"old");
    EXPECT_EQ(save(Variant(u""), Variant(u""), Variant(u""), name), Variant(c.fits)) << c.length;
    EXPECT_EQ(name, Variant(c.fits ? p : BStr())) << c.length;
    EXPECT_EQ(CommDlgExtendedError(), c.fits ? 0u : FNERR_BUFFERTOOSMALL) << c.length;
    expectNoError();
  }
}

TEST_F(FileDialog, BadArgumentsAreReportedWithoutADialog) {
  struct Case {
    Variant initDir, owner;
    int32_t error;
  };
  const Case cases[] = {
      {Variant::null(), Variant::missing(), 94},
      {Variant(u""), Variant(u"abc"), 13},
      {Variant(u""), Variant(1e10), 6},
      {Variant(SafeArray::variants({Variant(1)})), Variant::missing(), 13},
  };
  for (const Case& c : cases) {
    Variant name(u"old");
    EXPECT_EQ(open(c.initDir, Variant(u""), Variant(u""), name, c.owner), Variant(false));
    EXPECT_EQ(errNumber, Variant(c.error));
    EXPECT_EQ(name, Variant(u""));
  }
  EXPECT_TRUE(fileDialogs().sessions().empty());
  // An owner that is no window: the dialog fails, which is no error.
  Variant name;
  EXPECT_EQ(open(Variant(u""), Variant(u""), Variant(u""), name, Variant(12345)), Variant(false));
  expectNoError();
  EXPECT_EQ(CommDlgExtendedError(), CDERR_DIALOGFAILURE);
}

TEST_F(FileDialog, NonAsciiPathsAndAVanishedFolder) {
  const fs::path gone = dir / "gone";
  fs::create_directory(gone);
  fs::remove(gone);
  fileDialogs().queueAnswer(K::Open, path("\xC3\xBCnic\xC3\xB6" "de.txt"));
  Variant name;
  EXPECT_EQ(open(Variant(utf16(gone.string())), Variant(u""), Variant(u""), name), Variant(true));
  EXPECT_EQ(name, Variant(u"" + utf16(dir.string()) + u"/\u00FCnic\u00F6de.txt"));
  EXPECT_EQ(last().folderShown, utf16(fs::current_path().string()));
}

TEST_F(FileDialog, MultiSelectGivesAnArrayOfFullPaths) {
  FileDialogAnswer two{std::vector<BStr>{path("b.txt"), path("a.txt")}};
  fileDialogs().queue(K::Open, two);
  Variant names(u"old");
  EXPECT_EQ(open(Variant(utf16(dir.string())), Variant(u"Text|*.txt|All|*.*"), Variant(u"Several"), names,
                 Variant::missing(), Variant(true)),
            Variant(true));
  expectNoError();
  ASSERT_TRUE(names.isArray());
  const SafeArray& a = *names.asArray();
  EXPECT_EQ(a.lbound(), 1);
  ASSERT_EQ(a.ubound(), 2);
  EXPECT_EQ(a.get(1), Variant(path("b.txt")));
  EXPECT_EQ(a.get(2), Variant(path("a.txt")));
  const FileDialogSession& s = last();
  EXPECT_EQ(s.flags, 0x281A04u);
  EXPECT_EQ(s.maxFile, 260001u);
  EXPECT_EQ(s.maxFileTitle, 261u);
  EXPECT_EQ(s.filterText, text(u"Text\0*.txt\0All\0*.*\0\0"));
  EXPECT_EQ(s.owner, formWindow());

  // One file: an array of one path.
  fileDialogs().queueAnswer(K::Open, path("c.md"));
  open(Variant(u""), Variant(u""), Variant(u""), names, Variant::missing(), Variant(1));
  ASSERT_TRUE(names.isArray());
  EXPECT_EQ(names.asArray()->ubound(), 1);
  EXPECT_EQ(names.asArray()->get(1), Variant(path("c.md")));
}

TEST_F(FileDialog, AnswersThatCannotBeConfirmedAreRefused) {
  // A missing file, files of two folders: refused in turn; then a good one.
  fileDialogs().queueAnswer(K::Open, path("missing.txt"));
  fileDialogs().queue(K::Open, FileDialogAnswer{std::vector<BStr>{path("a.txt"), u"/etc/hostname"}});
  fileDialogs().queueAnswer(K::Open, path("c.md"));
  Variant names;
  EXPECT_EQ(open(Variant(u""), Variant(u""), Variant(u""), names, Variant::missing(), Variant(true)), Variant(true));
  EXPECT_EQ(last().refused.size(), 2u);
  ASSERT_TRUE(names.isArray());
  EXPECT_EQ(names.asArray()->get(1), Variant(path("c.md")));

  // Refused with nothing left: cancelled, "" as a string.
  fileDialogs().queueAnswer(K::Open, path("missing.txt"));
  EXPECT_EQ(open(Variant(u""), Variant(u""), Variant(u""), names, Variant::missing(), Variant(true)),
            Variant(false));
  EXPECT_EQ(names, Variant(u""));

  // Several files in a single-file dialog: refused. A folder opens it.
  fileDialogs().queue(K::Open, FileDialogAnswer{std::vector<BStr>{path("a.txt"), path("b.txt")}});
  fileDialogs().queueAnswer(K::Open, path("sub"));
  Variant name;
  EXPECT_EQ(open(Variant(u""), Variant(u""), Variant(u""), name), Variant(false));
  EXPECT_EQ(last().refused.size(), 1u);
  EXPECT_EQ(fileDialogs().queuedAnswers(K::Open), 0u);
}

TEST_F(FileDialog, AnErrorAfterTheDialogStillReportsAndEmptiesTheResult) {
  // A Null title fails its own step; the dialog is shown without it and the
  // result keeps the dialog's Boolean.
  fileDialogs().queueAnswer(K::Open, path("a.txt"));
  Variant names;
  EXPECT_EQ(open(Variant(u""), Variant(u""), Variant::null(), names, Variant::missing(), Variant(true)),
            Variant(true));
  EXPECT_EQ(errNumber, Variant(94));
  EXPECT_EQ(names, Variant(u""));
  EXPECT_EQ(last().title, u"Open");
  // A bad owner fails before the dialog: the result stays the Integer 0.
  EXPECT_EQ(open(Variant(u""), Variant(u""), Variant(u""), names, Variant(u"abc"), Variant(true)), Variant::i2(0));
  EXPECT_EQ(errNumber, Variant(13));
}

TEST_F(FileDialog, ModalFormOwnedByTheCallerDrawnByTheRenderer) {
  const HWND owner = formWindow();
  const fs::path picture = dir / "open.png";
  queueDialogSnapshot(u"open", picture);
  bool sawOpen = false;
  messageLoop().postTask([&] {
    const FileDialogSession* s = fileDialogs().openSession();
    ASSERT_NE(s, nullptr);
    ASSERT_NE(s->window, nullptr);
    sawOpen = true;
    EXPECT_FALSE(IsWindowEnabled(owner));
    EXPECT_TRUE(s->window->visible());
    EXPECT_EQ(GetParent(s->dialog), owner);
    // The files of the folder, folders first, filtered by the first entry.
    const ListBox& files = s->window->element<ListBox>(u"Files");
    ASSERT_EQ(files.listCount(), 4);
    EXPECT_EQ(files.list(0), u"sub/");
    EXPECT_EQ(files.list(1), u"a.txt");
    EXPECT_EQ(files.multiSelect(), 2);
    fileDialogs().queue(K::Open, FileDialogAnswer{std::vector<BStr>{path("a.txt"), path("b.txt")}});
  });
  Variant names;
  EXPECT_EQ(open(Variant(utf16(dir.string())), Variant(u"Text|*.txt"), Variant(u""), names, Variant::missing(),
                 Variant(true)),
            Variant(true));
  EXPECT_TRUE(sawOpen);
  ASSERT_TRUE(fs::exists(picture));
  std::ifstream png(picture, std::ios::binary);
  char magic[4] = {};
  png.read(magic, 4);
  EXPECT_EQ(std::string(magic + 1, 3), "PNG");
  EXPECT_EQ(queuedDialogSnapshots(), 0u);
}

// A person's clicks in the multi-select Open dialog's list: Ctrl toggles a
// file, Shift chooses the range from the anchor, Ctrl+Shift adds that range;
// every file chosen is highlighted and named in the name box.
TEST_F(FileDialog, MultiSelectChoosesWithCtrlShiftAndBothAsAPersonClicks) {
  struct Seen {
    std::vector<int16_t> selected;
    std::vector<bool> highlighted;
    BStr names;
  };
  std::vector<Seen> seen;
  messageLoop().postTask([&] {
    const FileDialogSession* s = fileDialogs().openSession();
    ASSERT_NE(s, nullptr);
    Form& f = *s->window;
    ListBox& files = f.element<ListBox>(u"Files");
    ASSERT_EQ(files.listCount(), 5);  // sub/, a.txt, b.txt, c.md, ünicöde.txt
    const int lh = fontLineHeight(files.font());
    auto clickRow = [&](int row, int16_t shift) {
      const double x = files.left() + 600, y = files.top() + pixelsToTwips(1 + row * lh + lh / 2);
      person::buttonDown(f, person::vbLeftButton, shift, x, y);
      person::buttonUp(f, person::vbLeftButton, shift, x, y);
      Seen now;
      for (int16_t i = 0; i < files.listCount(); ++i)
        if (files.selected(i)) now.selected.push_back(i);
      RenderItem item;
      files.render(item);
      now.highlighted = item.itemSelected;
      now.names = f.element<TextBox>(u"Name").text();
      seen.push_back(now);
    };
    clickRow(1, 0);                                // a.txt
    clickRow(3, person::vbCtrlMask);                 // and c.md
    clickRow(4, person::vbShiftMask);                // c.md to ünicöde.txt
    clickRow(1, person::vbCtrlMask | person::vbShiftMask);  // and a.txt to c.md
    clickRow(2, person::vbCtrlMask);                 // without b.txt
    person::click(f.control(u"OK"));
  });
  Variant names;
  EXPECT_EQ(open(Variant(utf16(dir.string())), Variant(u""), Variant(u""), names, Variant::missing(), Variant(true)),
            Variant(true));
  ASSERT_EQ(seen.size(), 5u);
  using V = std::vector<int16_t>;
  EXPECT_EQ(seen[0].selected, (V{1}));
  EXPECT_EQ(seen[1].selected, (V{1, 3}));
  EXPECT_EQ(seen[1].highlighted, (std::vector<bool>{false, true, false, true, false}));
  EXPECT_EQ(seen[1].names, u"\"a.txt\" \"c.md\"");
  EXPECT_EQ(seen[2].selected, (V{3, 4}));
  EXPECT_EQ(seen[3].selected, (V{1, 2, 3, 4}));
  EXPECT_EQ(seen[4].selected, (V{1, 3, 4}));
  ASSERT_TRUE(names.isArray());
  EXPECT_EQ(last().result->size(), 3u);
}

// The dialog opens with the focus in the name box: a person types a name
// and presses Enter at once, as on the display.
TEST_F(FileDialog, TheNameBoxHasTheFocusWhenTheDialogOpens) {
  for (const char* name : {"b.txt", "new.txt"}) {
    const bool saving = std::string(name) == "new.txt";
    BStr focused;
    messageLoop().postTask([&] {
      const FileDialogSession* s = fileDialogs().openSession();
      ASSERT_NE(s, nullptr);
      Form& f = *s->window;
      focused = f.activeControl() ? f.activeControl()->name() : BStr(u"(none)");
      for (const char* c = name; *c; ++c) person::charOn(f, static_cast<char16_t>(*c));
      person::keyDownOn(f, person::vbKeyReturn, 0);
    });
    Variant chosen;
    const Variant dirText(utf16(dir.string()));
    EXPECT_EQ(saving ? save(dirText, Variant(u""), Variant(u""), chosen)
                     : open(dirText, Variant(u""), Variant(u""), chosen),
              Variant(true));
    EXPECT_EQ(focused, u"Name");
    EXPECT_EQ(chosen, Variant(path(name)));
  }
}

TEST(ComDlgObject, FilterLetAndGet) {
  ComDlg d;
  Variant f(u"Text|*.txt|All|*.*");
  d.letFilter(f);
  EXPECT_EQ(d.filterList(), text(u"Text\0*.txt\0All\0*.*\0"));
  EXPECT_TRUE(d.Filter().isEmpty());  // index 0
  d.letFilterIndex(1);
  EXPECT_EQ(d.Filter(), Variant(u"Text|*.txt"));
  d.letFilterIndex(2);
  EXPECT_EQ(d.Filter(), Variant(u"All|*.*"));
  d.letFilterIndex(3);
  EXPECT_THROW(d.Filter(), RuntimeError);
  d.letFilterIndex(0);
  EXPECT_TRUE(d.Filter().isEmpty());
  // An array is joined with NULs in the caller's variable first.
  Variant a(SafeArray::variants({Variant(u"Md"), Variant(u"*.md")}));
  d.letFilter(a);
  EXPECT_EQ(a, Variant(text(u"Md\0*.md")));
  EXPECT_EQ(d.filterList(), text(u"Md\0*.md\0"));
  Variant high(SafeArray::variants({Variant(u"Md"), Variant(u"*.md")}, INT32_MAX - 1));
  d.letFilter(high);
  EXPECT_EQ(d.filterList(), text(u"Md\0*.md\0"));
  // An odd number of parts: the last description has no pattern.
  Variant odd(u"Text|*.txt|All");
  d.letFilter(odd);
  const auto entries = parseFilterList(d.filterList().c_str());
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[1].description, u"All");
  EXPECT_EQ(entries[1].pattern, u"");
}

TEST(ComDlgObject, FlagsAndLets) {
  ComDlg d;
  EXPECT_EQ(d.structure().Flags, 0x280004u);
  d.letExistFlags(0x1800);
  d.letExistFlags(0);
  EXPECT_EQ(d.structure().Flags, 0x281804u);
  d.letCheckBoxVisible(true);
  EXPECT_EQ(d.structure().Flags & OFN_HIDEREADONLY, 0u);
  d.letCheckBoxSelected(true);
  EXPECT_TRUE(d.CheckBoxSelected());
  d.letExtension(u".TXT");
  d.letExtension(u"JPEG");
  d.letFilename(BStr(261, u'x'));  // ignored
  EXPECT_EQ(d.fileBuffer(), u"");
  d.letFilename(BStr(260, u'y'));
  EXPECT_EQ(d.fileBuffer(), BStr(260, u'y'));
}

TEST(FilterPatterns, MatchLikeTheShellCaseSensitively) {
  struct Case {
    const char16_t* pattern;
    const char16_t* name;
    bool match;
  };
  const Case cases[] = {
      {u"*.txt", u"a.txt", true},   {u"*.txt", u"a.TXT", false},     {u"*.txt;*.md", u"c.md", true},
      {u"*.*", u"Makefile", true},  {u"", u"anything", true},        {u"a?.txt", u"ab.txt", true},
      {u"*.txt", u"a.txt.bak", false}, {u" *.md ; *.txt", u"x.md", true}, {u"[ab].txt", u"c.txt", false},
  };
  for (const Case& c : cases) EXPECT_EQ(matchesFilter(c.pattern, c.name), c.match) << utf8(c.pattern);
}

TEST_F(FileDialog, NullArraysAndObjectsForEveryTextAreReported) {
  const Variant bad[] = {Variant::null(), Variant(SafeArray::variants({Variant(u"a")})),
                         Variant(ObjectRef(makeRef<Collection>()))};
  for (int member = 0; member < 3; ++member) {  // Open, multi-select Open, Save
    for (int position = 0; position < 3; ++position) {
      for (const Variant& value : bad) {
        std::vector<Variant> texts{Variant(u""), Variant(u""), Variant(u"")};
        texts[static_cast<size_t>(position)] = value;
        Variant name(u"old");
        errNumber = Variant(0);
        const Variant r = member == 2 ? save(texts[0], texts[1], texts[2], name)
                                      : open(texts[0], texts[1], texts[2], name, Variant::missing(),
                                             Variant(member == 1));
        EXPECT_NE(toI4(errNumber), 0) << member << position;
        EXPECT_FALSE(toBool(r)) << member << position;
        EXPECT_EQ(name, Variant(u"")) << member << position;
      }
    }
  }
}

class ComDlgDialogs : public FileDialog {};

TEST_F(ComDlgDialogs, RootFolderPathsAndAReusedObject) {
  // Saving in the root: "/x.txt", the folder "/".
  ComDlg d;
  fileDialogs().queueAnswer(K::Save, u"/x.txt");
  EXPECT_TRUE(d.ShowSave());
  EXPECT_EQ(d.Directory(), u"/");
  EXPECT_EQ(d.FileTitle(), u"x.txt");
  EXPECT_EQ(d.Extension(), u"txt");
  EXPECT_EQ(d.structure().nMaxFile, 261u);
  EXPECT_EQ(d.structure().Flags & (OFN_PATHMUSTEXIST | OFN_OVERWRITEPROMPT), OFN_PATHMUSTEXIST | OFN_OVERWRITEPROMPT);
  ASSERT_EQ(d.FileNames().count(), 1);
  EXPECT_EQ(d.FileNames().item(Variant(1)), Variant(u"/x.txt"));

  // Multi-select: the folder, then each name; the collections only grow.
  d.letAllowMultiSelect(true);
  fileDialogs().queue(K::Open, FileDialogAnswer{std::vector<BStr>{path("a.txt"), path("b.txt")}});
  EXPECT_TRUE(d.ShowOpen());
  EXPECT_EQ(d.Directory(), utf16(dir.string()));
  EXPECT_EQ(d.Filename(), u"");
  ASSERT_EQ(d.FileNames().count(), 3);
  EXPECT_EQ(d.FileNames().item(Variant(3)), Variant(path("b.txt")));
  EXPECT_EQ(d.FileTitles().item(Variant(2)), Variant(u"a.txt"));

  // Single-select again: the multi-select buffer no longer fits (5).
  d.letAllowMultiSelect(false);
  EXPECT_THROW(d.ShowOpen(), RuntimeError);
}

// The platform fills up to nMaxFile characters and the NUL after them: a
// path of the whole length stays whole in the buffer, one longer does not
// fit.
TEST_F(ComDlgDialogs, APathOfTheWholeBufferStaysWhole) {
  for (const size_t length : {size_t{261}, size_t{262}}) {
    BStr p = utf16(dir.string()) + u"/";
    p += BStr(length - p.size(), u'n');
    ComDlg d;
    fileDialogs().queueAnswer(K::Save, p);
    EXPECT_EQ(d.ShowSave(), length == 261) << length;
    if (length == 261) {
      EXPECT_EQ(d.fileBuffer(), p);
    }
  }
}

TEST(OpenFileNameW, RefusesBadStructures) {
  desktop().reset();
  std::vector<char16_t> file(11, u'x');
  OPENFILENAMEW ofn;
  EXPECT_EQ(GetOpenFileNameW(&ofn), 0);
  EXPECT_EQ(CommDlgExtendedError(), CDERR_STRUCTSIZE);
  ofn.lStructSize = kOpenFileNameSize;
  EXPECT_EQ(GetOpenFileNameW(&ofn), 0);
  EXPECT_EQ(CommDlgExtendedError(), CDERR_INITIALIZATION);
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = 10;  // no NUL within the 10 characters and the one after
  EXPECT_EQ(GetSaveFileNameW(&ofn), 0);
  EXPECT_EQ(CommDlgExtendedError(), FNERR_INVALIDFILENAME);
  EXPECT_EQ(GetSaveFileNameW(nullptr), 0);
  EXPECT_EQ(CommDlgExtendedError(), CDERR_INITIALIZATION);
}

}  // namespace
}  // namespace svx
