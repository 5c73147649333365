// Runtime errors: the error as a value, raised as a C++ exception where the
// runtime would raise it; the pending error state that members test and clear
// (the runtime's Err object); and the two error modes that run through the
// members: continue mode (a failing step is recorded, the next step runs) and
// report mode (the first failing step ends the steps, a handler reports).
#pragma once

#include <cstdint>
#include <exception>
#include <new>
#include <string>
#include <utility>

#include "platform/automation/variant.h"

namespace svx {

// The runtime's error numbers that the system relies on.
namespace err {
inline constexpr int32_t InvalidProcedureCall = 5;
inline constexpr int32_t Overflow = 6;
inline constexpr int32_t OutOfMemory = 7;
inline constexpr int32_t SubscriptOutOfRange = 9;
inline constexpr int32_t DivisionByZero = 11;
inline constexpr int32_t TypeMismatch = 13;
inline constexpr int32_t BadFileNameOrNumber = 52;
inline constexpr int32_t FileNotFound = 53;
inline constexpr int32_t BadFileMode = 54;
inline constexpr int32_t FileAlreadyOpen = 55;
inline constexpr int32_t DeviceIOError = 57;
inline constexpr int32_t PermissionDenied = 70;
inline constexpr int32_t PathFileAccessError = 75;
inline constexpr int32_t PathNotFound = 76;
inline constexpr int32_t ObjectVariableNotSet = 91;
inline constexpr int32_t InvalidUseOfNull = 94;
inline constexpr int32_t ElementDoesNotExist = 340;  // "Control array element 'N' doesn't exist"
inline constexpr int32_t ObjectAlreadyLoaded = 360;
inline constexpr int32_t CannotUnloadDesignTimeElement = 362;
inline constexpr int32_t InvalidPropertyValue = 380;
inline constexpr int32_t PropertyCannotBeSetNow = 383;
inline constexpr int32_t CannotMoveOrSizeMinimized = 384;
inline constexpr int32_t FormAlreadyDisplayed = 400;
inline constexpr int32_t CannotShowNonModalWhenModal = 401;
inline constexpr int32_t ObjectRequired = 424;
inline constexpr int32_t AutomationError = 440;
inline constexpr int32_t CannotCreateObject = 429;
inline constexpr int32_t MemberNotSupported = 438;
inline constexpr int32_t NamedArgumentNotFound = 448;
inline constexpr int32_t ArgumentNotOptional = 449;
inline constexpr int32_t WrongNumberOfArguments = 450;
inline constexpr int32_t DuplicateKey = 457;
inline constexpr int32_t InvalidPicture = 481;
inline constexpr int32_t PrinterError = 482;
inline constexpr int32_t KeyAlreadyInLicenses = 734;
}  // namespace err

// The runtime's description of a standard error number ("" when the table
// has none). Error 340 takes the element index: "Control array element '3'
// doesn't exist".
BStr standardDescription(int32_t number);
// The description of error 340 for the element `index`.
BStr elementMissingDescription(int32_t index);

class RuntimeError : public std::exception {
 public:
  RuntimeError(int32_t number, BStr description);
  explicit RuntimeError(int32_t number);  // with the standard description
  int32_t number() const { return number_; }
  const BStr& description() const { return description_; }
  const char* what() const noexcept override { return what_.c_str(); }

  // What a report of the error adds after the description, which stays the
  // runtime's text: the member or argument at fault ("" when nothing).
  const BStr& detail() const { return detail_; }
  void setDetail(BStr detail) { detail_ = std::move(detail); }
  // A type mismatch (13) raised while converting a value: the value's
  // address and the type wanted ("Long"), so that the call that bound it
  // can name the parameter; null otherwise.
  const void* convertedValue() const { return converted_; }
  const char16_t* wantedType() const { return wanted_; }
  void setConversion(const void* value, const char16_t* wanted) {
    converted_ = value;
    wanted_ = wanted;
  }

 private:
  int32_t number_;
  BStr description_;
  std::string what_;
  BStr detail_;
  const void* converted_ = nullptr;
  const char16_t* wanted_ = nullptr;
};

// An exception that is no member's error: it ends the script (the host's
// quit, or an error its event function threw) and passes every error guard.
struct ScriptUnwind {};

// The exception being handled, as a runtime error: a RuntimeError as it is,
// a failed allocation "Out of memory" (7), any other exception "Automation
// error" (440) naming it ("Automation error: <what> (<type>)"). A
// ScriptUnwind is thrown on. Only for use inside a catch block.
RuntimeError caughtError();

[[noreturn]] void raise(int32_t number);
[[noreturn]] void raise(int32_t number, BStr description);
// Error 340 for a control-array element.
[[noreturn]] void raiseElementMissing(int32_t index);

// The pending error (the runtime's Err object). Number 0 means none.
class ErrState {
 public:
  int32_t number() const { return number_; }
  const BStr& description() const { return description_; }
  bool pending() const { return number_ != 0; }
  void clear() {
    number_ = 0;
    description_.clear();
  }
  void set(int32_t number, BStr description) {
    number_ = number;
    description_ = std::move(description);
  }
  void set(const RuntimeError& e) { set(e.number(), e.description()); }

  // Continue mode for one step: runs `step`; an error it raises becomes the
  // pending error and false is returned; the caller goes on either way.
  template <class F>
  bool attempt(F&& step) {
    try {
      std::forward<F>(step)();
      return true;
    } catch (const RuntimeError& e) {
      set(e);
    } catch (...) {
      set(caughtError());
    }
    return false;
  }

 private:
  int32_t number_ = 0;
  BStr description_;
};

// Error out-parameters: written only when the caller passed them (an omitted
// optional Variant arrives as the missing marker).
struct ErrorOut {
  Variant& number;
  Variant& description;

  // 0 as a 16-bit integer and "".
  void clear() const;
  // The error's number as a 32-bit integer and its description.
  void report(int32_t errNumber, const BStr& errDescription) const;
  void report(const RuntimeError& e) const { report(e.number(), e.description()); }
  void report(const ErrState& e) const { report(e.number(), e.description()); }
  // report() when an error is pending, else clear(); then the state is cleared.
  void reportPendingOrClear(ErrState& e) const;
};

// Every mode takes any exception as an error (caughtError): a failed
// allocation is "Out of memory" (7), a foreign exception "Automation error".

// Report mode: runs `steps`; the first error ends them and is written into
// `out` (number as VT_I4 and description). Returns whether all steps ran.
template <class F>
bool reportMode(const ErrorOut& out, F&& steps) {
  try {
    std::forward<F>(steps)();
    return true;
  } catch (const RuntimeError& e) {
    out.report(e);
  } catch (...) {
    out.report(caughtError());
  }
  return false;
}

// Runs `step` with every error ignored (On Error Resume Next for one step).
template <class F>
bool ignoreErrors(F&& step) {
  try {
    std::forward<F>(step)();
    return true;
  } catch (const RuntimeError&) {
  } catch (...) {
    (void)caughtError();
  }
  return false;
}

}  // namespace svx
