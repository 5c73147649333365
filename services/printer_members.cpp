#include "services/printer_members.h"

#include "core/surface_drawing.h"
#include "platform/automation/coerce.h"
#include "platform/automation/error.h"
#include "platform/automation/safearray.h"
#include "platform/print/printers.h"

namespace svx {

namespace {

constexpr char16_t kNotAnArray[] = u"The actual value for the varTabbedInfoArray parameter is not an array!";
constexpr char16_t kFirstDimension[] =
    u"The actual value for the varTabbedInfoArray parameter is not a correctly dimensioned array (first dimension "
    u"is wrong)!";
constexpr char16_t kSecondDimension[] =
    u"The actual value for the varTabbedInfoArray parameter is not a correctly dimensioned array (second dimension "
    u"is wrong)!";
constexpr char16_t kNotTwoColumns[] =
    u"The actual value for the varTabbedInfoArray parameter is not a correctly dimensioned array (not exactly two "
    u"columns)!";

// The system's own failure: its number as an Integer.
void reportOwn(const ErrorOut& out, int16_t number, BStrView description) {
  if (!out.number.isMissing()) out.number.assign(Variant::i2(number));
  if (!out.description.isMissing()) out.description.assign(Variant(BStr(description)));
}

// The frame of every printer member: out-parameters cleared, then guarded
// steps whose first failure is reported. The member's requests to the print
// scheduler share one budget.
template <class F>
void guarded(const Args& a, size_t errIndex, F&& steps) {
  const SchedulerBudget budget;
  const ErrorOut out{a[errIndex], a[errIndex + 1]};
  ignoreErrors([&] { out.clear(); });
  reportMode(out, [&] { steps(out); });
}

Variant ListOfInstalledPrinters(Object&, const Args& a) {
  Variant result;
  guarded(a, 0, [&](const ErrorOut&) {
    const std::vector<PrintDestination> printers = installedPrinters();
    if (printers.empty()) return;
    SafeArray names = SafeArray::vector(VT_VARIANT, 1, static_cast<int32_t>(printers.size()));
    for (size_t i = 0; i < printers.size(); ++i) names.set(static_cast<int32_t>(i + 1), Variant(printers[i].name));
    result = Variant(std::move(names));
  });
  return result;
}

Variant SetPrinterObject(Object&, const Args& a) {
  guarded(a, 1, [&](const ErrorOut& out) {
    const BStr wanted = toBStr(a[0]);
    for (const PrintDestination& d : installedPrinters()) {
      if (d.name != wanted) continue;  // exact: case and blanks count
      Ref<Printer> current = currentPrinter();
      current->setTrackDefault(false);
      setCurrentPrinter(d);
      return;
    }
    reportOwn(out, kErrPrinterNotFound, u"No printer having the '" + wanted + u"' device name has been found!");
  });
  return {};
}

Variant PrinterObject(Object&, const Args& a) {
  Variant result = Variant::nothing();
  guarded(a, 0, [&](const ErrorOut&) { result = Variant(ObjectRef(currentPrinter())); });
  return result;
}

// A drawing member of the surface helpers on the current printer.
template <size_t N, class F>
Variant onPrinter(const Args& a, F&& draw) {
  const SchedulerBudget budget;
  const ErrorOut out{a[N], a[N + 1]};
  ignoreErrors([&] { out.clear(); });
  Ref<Printer> printer;
  if (!reportMode(out, [&] { printer = currentPrinter(); })) return {};
  draw(printer->surface());
  return {};
}

Variant PrinterCircleAbsolute(Object&, const Args& a) {
  return onPrinter<7>(a, [&](DrawSurface& s) { CircleAbsolute(s, a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7], a[8]); });
}

Variant PrinterLineAbsolute(Object&, const Args& a) {
  return onPrinter<7>(a, [&](DrawSurface& s) { LineAbsolute(s, a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7], a[8]); });
}

Variant PrinterPaintPicture(Object&, const Args& a) {
  // The -300 check, then the picture, then the printer: bytes that are no
  // picture report the picture's error also where no printer is installed.
  const SchedulerBudget budget;
  PaintPictureAbsolute([]() -> DrawSurface& { return currentPrinter()->surface(); }, a[0], a[1], a[2], a[3], a[4],
                       a[5], a[6], a[7], a[8], a[9], a[10], a[11]);
  return {};
}

Variant PrinterPSetAbsolute(Object&, const Args& a) {
  return onPrinter<3>(a, [&](DrawSurface& s) { PSetAbsolute(s, a[0], a[1], a[2], a[3], a[4]); });
}

Variant PrinterPrintText(Object&, const Args& a) {
  return onPrinter<1>(a, [&](DrawSurface& s) { PrintText(s, a[0], a[1], a[2]); });
}

Variant PrinterPrintTabbedText(Object&, const Args& a) {
  guarded(a, 2, [&](const ErrorOut& out) {
    const Variant& given = a[0].deref();
    if (!given.isArray()) return reportOwn(out, kErrTabbedNotArray, kNotAnArray);
    const SafeArray* rows = given.asArray();
    if (!rows) raise(err::SubscriptOutOfRange);
    const int32_t lb1 = rows->lbound(1), ub1 = rows->ubound(1);
    if (ub1 < lb1) return reportOwn(out, kErrTabbedFirstDimension, kFirstDimension);
    const int32_t lb2 = rows->lbound(2), ub2 = rows->ubound(2);
    if (ub2 < lb2) return reportOwn(out, kErrTabbedSecondDimension, kSecondDimension);
    if (static_cast<int64_t>(ub2) - lb2 + 1 != 2) return reportOwn(out, kErrTabbedNotTwoColumns, kNotTwoColumns);
    for (int64_t row = lb1; row <= ub1; ++row) {  // ub1 may be the highest Long
      const auto i = static_cast<int32_t>(row);
      bool endLine = false;
      if (i == ub1) endLine = a[1].isMissing() || !toBool(a[1]);
      const Variant column = rows->get(i, 1);
      const Variant value = rows->get(i, 2);
      const int16_t tab = toI2(column);
      DrawSurface& s = currentPrinter()->surface();
      s.PrintTab(tab);
      s.Print(printForm(value), endLine);
    }
  });
  return {};
}

}  // namespace

void declarePrinterMembers(ClassInfo& c) {
  const ParamInfo n = refOpt(u"ErrNumber"), d = refOpt(u"ErrDescription");
  c.member(u"ListOfInstalledPrinters", InvokeKind::Method, {n, d}, ListOfInstalledPrinters);
  c.member(u"SetPrinterObject", InvokeKind::Method, {ref(u"strDeviceName"), n, d}, SetPrinterObject);
  c.member(u"PrinterObject", InvokeKind::Method, {n, d}, PrinterObject);
  c.member(u"PrinterCircleAbsolute", InvokeKind::Method,
           {ref(u"sngX"), ref(u"sngY"), ref(u"sngRadius"), refOpt(u"lngOLEColor"), refOpt(u"sngStart"),
            refOpt(u"sngEnd"), refOpt(u"sngAspect"), n, d},
           PrinterCircleAbsolute);
  c.member(u"PrinterLineAbsolute", InvokeKind::Method,
           {ref(u"sngX1"), ref(u"sngY1"), ref(u"sngX2"), ref(u"sngY2"), refOpt(u"lngOLEColor"), refOpt(u"boolBox"),
            refOpt(u"boolFill"), n, d},
           PrinterLineAbsolute);
  c.member(u"PrinterPaintPicture", InvokeKind::Method,
           {ref(u"byteStdPictureArray"), ref(u"sngX1"), ref(u"sngY1"), refOpt(u"sngWidth1"), refOpt(u"sngHeight1"),
            refOpt(u"sngX2"), refOpt(u"sngY2"), refOpt(u"sngWidth2"), refOpt(u"sngHeight2"), refOpt(u"lngOpcode"), n,
            d},
           PrinterPaintPicture);
  c.member(u"PrinterPSetAbsolute", InvokeKind::Method, {ref(u"sngX"), ref(u"sngY"), refOpt(u"lngOLEColor"), n, d},
           PrinterPSetAbsolute);
  c.member(u"PrinterPrintTabbedText", InvokeKind::Method,
           {ref(u"varTabbedInfoArray"), refOpt(u"boolSuppresCRLFAfterPrint"), n, d}, PrinterPrintTabbedText);
  c.member(u"PrinterPrintText", InvokeKind::Method, {ref(u"strText"), n, d}, PrinterPrintText);
}

}  // namespace svx
