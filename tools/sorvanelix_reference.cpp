// sorvanelix-reference SOURCE_DIR: writes the reference texts that the
// repository keeps, from the member and event tables: windows/help/*.txt
// (the help window's panes, Dialog's) and docs/reference.md (Dialog's, then
// the classes a script reaches through it, such as the data control's).
// scripts/regen-reference.sh builds and runs it.
#include <filesystem>
#include <fstream>
#include <iostream>

#include "dialog/dialog.h"
#include "dialog/dialog_form_api.h"
#include "windows/help_text.h"

namespace {

bool write(const std::filesystem::path& file, const std::string& text) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out << text;
  if (!out) std::cerr << "cannot write " << file << "\n";
  return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: sorvanelix-reference SOURCE_DIR\n";
    return 2;
  }
  const std::filesystem::path root = argv[1];
  svx::Dialog::registerProgId();
  svx::registerDialogForm();
  const svx::HelpTexts texts = svx::makeHelpTexts(svx::Dialog::info());
  bool ok = true;
  const char* names[] = {"events.txt", "methods1.txt", "methods2.txt"};
  for (size_t i = 0; i < texts.size(); ++i)
    ok = write(root / "windows" / "help" / names[i], svx::utf8(svx::withLf(texts[i]))) && ok;
  ok = write(root / "docs" / "reference.md", svx::referenceDocument(u"Sorvanelix.Dialog")) && ok;
  return ok ? 0 : 1;
}
