#include "platform/automation/error.h"

#include <cxxabi.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <new>
#include <typeinfo>
#include <array>
#include <string_view>

namespace svx {

namespace {

struct StandardError {
  int32_t number;
  std::u16string_view description;
};

// Sorted by number.
constexpr std::array standardErrors = {
    StandardError{err::InvalidProcedureCall, u"Invalid procedure call or argument"},
    StandardError{err::Overflow, u"Overflow"},
    StandardError{err::OutOfMemory, u"Out of memory"},
    StandardError{err::SubscriptOutOfRange, u"Subscript out of range"},
    StandardError{10, u"This array is fixed or temporarily locked"},
    StandardError{err::DivisionByZero, u"Division by zero"},
    StandardError{err::TypeMismatch, u"Type mismatch"},
    StandardError{28, u"Out of stack space"},
    StandardError{err::BadFileNameOrNumber, u"Bad file name or number"},
    StandardError{err::FileNotFound, u"File not found"},
    StandardError{err::BadFileMode, u"Bad file mode"},
    StandardError{err::FileAlreadyOpen, u"File already open"},
    StandardError{err::DeviceIOError, u"Device I/O error"},
    StandardError{58, u"File already exists"},
    StandardError{61, u"Disk full"},
    StandardError{62, u"Input past end of file"},
    StandardError{err::PermissionDenied, u"Permission denied"},
    StandardError{71, u"Disk not ready"},
    StandardError{err::PathFileAccessError, u"Path/File access error"},
    StandardError{err::PathNotFound, u"Path not found"},
    StandardError{err::ObjectVariableNotSet, u"Object variable or With block variable not set"},
    StandardError{err::InvalidUseOfNull, u"Invalid use of Null"},
    StandardError{err::ElementDoesNotExist, u"Control array element doesn't exist"},
    StandardError{err::ObjectAlreadyLoaded, u"Object already loaded"},
    StandardError{err::CannotUnloadDesignTimeElement, u"Can't unload controls created at design time"},
    StandardError{err::InvalidPropertyValue, u"Invalid property value"},
    StandardError{381, u"Invalid property array index"},
    StandardError{err::PropertyCannotBeSetNow, u"Property is read-only"},
    StandardError{err::CannotMoveOrSizeMinimized, u"A form can't be moved or sized while minimized or maximized"},
    StandardError{err::FormAlreadyDisplayed, u"Form already displayed; can't show modally"},
    StandardError{err::CannotShowNonModalWhenModal, u"Can't show non-modal form when modal form is displayed"},
    StandardError{err::ObjectRequired, u"Object required"},
    StandardError{err::CannotCreateObject, u"ActiveX component can't create object"},
    StandardError{err::MemberNotSupported, u"Object doesn't support this property or method"},
    StandardError{err::AutomationError, u"Automation error"},
    StandardError{err::NamedArgumentNotFound, u"Named argument not found"},
    StandardError{err::ArgumentNotOptional, u"Argument not optional"},
    StandardError{err::WrongNumberOfArguments, u"Wrong number of arguments or invalid property assignment"},
    StandardError{err::DuplicateKey, u"This key is already associated with an element of this collection"},
    StandardError{err::InvalidPicture, u"Invalid picture"},
    StandardError{err::PrinterError, u"Printer error"},
    StandardError{err::KeyAlreadyInLicenses, u"Key is already in the Licenses collection"},
    StandardError{32755, u"Cancel was selected."},
};

static_assert(std::is_sorted(standardErrors.begin(), standardErrors.end(),
                             [](const StandardError& a, const StandardError& b) { return a.number < b.number; }));

// What the runtime says for a number it has no text of its own for.
constexpr std::u16string_view applicationDefined = u"Application-defined or object-defined error";

std::string whatText(int32_t number, const BStr& description) {
  return utf8(description) + " (" + std::to_string(number) + ")";
}

}  // namespace

BStr standardDescription(int32_t number) {
  const auto* it = std::lower_bound(standardErrors.begin(), standardErrors.end(), number,
                                    [](const StandardError& e, int32_t n) { return e.number < n; });
  if (it == standardErrors.end() || it->number != number) return {};
  return BStr(it->description);
}

BStr elementMissingDescription(int32_t index) {
  return u"Control array element '" + utf16(std::to_string(index)) + u"' doesn't exist";
}

RuntimeError::RuntimeError(int32_t number, BStr description)
    : number_(number), description_(std::move(description)), what_(whatText(number_, description_)) {}

RuntimeError::RuntimeError(int32_t number) : RuntimeError(number, standardDescription(number)) {
  if (description_.empty()) {
    description_ = BStr(applicationDefined);
    what_ = whatText(number_, description_);
  }
}

namespace {

// A type's name as written in the source, where the ABI can tell it.
std::string typeName(const std::type_info* type) {
  if (!type) return "unknown type";
  int status = 0;
  const std::unique_ptr<char, decltype(&std::free)> readable(abi::__cxa_demangle(type->name(), nullptr, nullptr, &status),
                                                             &std::free);
  return status == 0 && readable ? std::string(readable.get()) : std::string(type->name());
}

// "Automation error: " and the exception's text, then its type when the
// text is not just that.
RuntimeError automationError(const std::string& what, const std::type_info* type) {
  const std::string name = typeName(type);
  std::string text = "Automation error: ";
  if (what.empty() || what == name)
    text += "an exception of type " + name;
  else
    text += what + " (" + name + ")";
  return RuntimeError(err::AutomationError, BStr(utf16(text)));
}

}  // namespace

RuntimeError caughtError() {
  try {
    throw;
  } catch (const RuntimeError& e) {
    return e;
  } catch (const ScriptUnwind&) {
    throw;
  } catch (abi::__forced_unwind&) {
    throw;
  } catch (const std::bad_alloc&) {
    return RuntimeError(err::OutOfMemory);
  } catch (const std::exception& e) {
    return automationError(e.what(), &typeid(e));
  } catch (...) {
    return automationError("", abi::__cxa_current_exception_type());
  }
}

void raise(int32_t number) { throw RuntimeError(number); }

void raise(int32_t number, BStr description) { throw RuntimeError(number, std::move(description)); }

void raiseElementMissing(int32_t index) {
  throw RuntimeError(err::ElementDoesNotExist, elementMissingDescription(index));
}

void ErrorOut::clear() const {
  // Variables that already hold 0 and "" (every call after a success) are
  // left as they are.
  if (!number.isMissing()) {
    const Variant& now = number.deref();
    if (now.vt() != VT_I2 || now.asI2() != 0) number.assign(Variant::i2(0));
  }
  if (!description.isMissing()) {
    const Variant& now = description.deref();
    if (now.vt() != VT_BSTR || !now.asBStr().empty()) description.assign(Variant(BStr()));
  }
}

void ErrorOut::report(int32_t errNumber, const BStr& errDescription) const {
  if (!number.isMissing()) number.assign(Variant::i4(errNumber));
  if (!description.isMissing()) description.assign(Variant(errDescription));
}

void ErrorOut::reportPendingOrClear(ErrState& e) const {
  if (e.pending())
    report(e);
  else
    clear();
  e.clear();
}

}  // namespace svx
