#include "dialog/dialog_form_api.h"

namespace svx {

namespace {

struct Hooks {
  DialogFormFactory form;
  HelpWindowFactory help;
  PrinterObjectProvider printer;
  std::function<void()> customColors;
  ErrorBoxNotice errorBox;
};

Hooks& hooks() {
  static Hooks h;
  return h;
}

}  // namespace

void setDialogFormFactory(DialogFormFactory factory) { hooks().form = std::move(factory); }
const DialogFormFactory& dialogFormFactory() { return hooks().form; }

void setHelpWindowFactory(HelpWindowFactory factory) { hooks().help = std::move(factory); }
const HelpWindowFactory& helpWindowFactory() { return hooks().help; }

void setPrinterObjectProvider(PrinterObjectProvider provider) { hooks().printer = std::move(provider); }
const PrinterObjectProvider& printerObjectProvider() { return hooks().printer; }

void setInitCustomColorsHook(std::function<void()> hook) { hooks().customColors = std::move(hook); }
const std::function<void()>& initCustomColorsHook() { return hooks().customColors; }

void setErrorBoxNotice(ErrorBoxNotice notice) { hooks().errorBox = std::move(notice); }
const ErrorBoxNotice& errorBoxNotice() { return hooks().errorBox; }

}  // namespace svx
