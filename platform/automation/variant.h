// The automation value that crosses every interface of the system.
//
// A Variant carries a VarType code (the standard automation numbering, which
// scripts can observe) and a payload. Strings are UTF-16 code-unit sequences
// and may hold NULs. Arrays are held by value (copying a Variant copies its
// array). References (VT_BYREF) point at storage owned elsewhere: a callee
// writes through them into the caller's variable.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <variant>

#include "platform/automation/object.h"

namespace svx {

using BStr = std::u16string;
using BStrView = std::u16string_view;

enum VarType : uint16_t {
  VT_EMPTY = 0,
  VT_NULL = 1,
  VT_I2 = 2,
  VT_I4 = 3,
  VT_R4 = 4,
  VT_R8 = 5,
  VT_CY = 6,
  VT_DATE = 7,
  VT_BSTR = 8,
  VT_DISPATCH = 9,
  VT_ERROR = 10,
  VT_BOOL = 11,
  VT_VARIANT = 12,
  VT_UI1 = 17,
  VT_ARRAY = 0x2000,
  VT_BYREF = 0x4000,
  VT_TYPEMASK = 0x0FFF,
};

// SCODE carried by the missing-argument marker.
inline constexpr int32_t DISP_E_PARAMNOTFOUND = static_cast<int32_t>(0x80020004u);

// Currency: a 64-bit integer scaled by 10000.
struct Currency {
  int64_t scaled = 0;
  friend bool operator==(Currency, Currency) = default;
};

// An OLE date: days since 1899-12-30, the fraction being the time of day.
struct Date {
  double value = 0;
  friend bool operator==(Date, Date) = default;
};

// VT_ERROR payload.
struct ErrorCode {
  int32_t scode = 0;
  friend bool operator==(ErrorCode, ErrorCode) = default;
};

class SafeArray;
class Variant;

// Automation booleans: True is -1, False is 0.
inline constexpr int16_t VARIANT_TRUE = -1;
inline constexpr int16_t VARIANT_FALSE = 0;

class Variant {
 public:
  Variant() = default;  // Empty
  Variant(const Variant& other);
  Variant(Variant&& other) noexcept = default;
  Variant& operator=(const Variant& other);
  Variant& operator=(Variant&& other) noexcept = default;
  ~Variant() = default;

  // Typed constructors. Integral literals default to Long (VT_I4) as in the
  // runtime; use the named factories for other widths.
  Variant(int32_t v) : vt_(VT_I4), data_(v) {}
  Variant(double v) : vt_(VT_R8), data_(v) {}
  Variant(float v) : vt_(VT_R4), data_(v) {}
  Variant(bool v) : vt_(VT_BOOL), data_(int16_t(v ? VARIANT_TRUE : VARIANT_FALSE)) {}
  Variant(BStr v) : vt_(VT_BSTR), data_(std::move(v)) {}
  Variant(const char16_t* v) : Variant(BStr(v)) {}
  Variant(std::string_view utf8);
  Variant(const char* utf8) : Variant(std::string_view(utf8)) {}
  Variant(Currency v) : vt_(VT_CY), data_(v) {}
  Variant(Date v) : vt_(VT_DATE), data_(v.value) {}
  Variant(ObjectRef v) : vt_(VT_DISPATCH), data_(std::move(v)) {}
  Variant(SafeArray array);

  static Variant empty() { return {}; }
  static Variant null();
  static Variant missing();  // VT_ERROR holding DISP_E_PARAMNOTFOUND
  static Variant error(int32_t scode);
  static Variant i2(int16_t v);
  static Variant i4(int32_t v) { return Variant(v); }
  static Variant r4(float v) { return Variant(v); }
  static Variant r8(double v) { return Variant(v); }
  static Variant ui1(uint8_t v);
  static Variant boolean(bool v) { return Variant(v); }
  static Variant nothing();  // VT_DISPATCH holding no object
  // A Variant of type VT_ARRAY|elementType that holds no array at all.
  static Variant arrayTypeWithoutArray(VarType elementType);

  // References. The target must outlive the Variant.
  static Variant byRef(Variant& target);  // VT_BYREF|VT_VARIANT
  static Variant byRef(int16_t& target);  // VT_BYREF|VT_I2
  static Variant byRef(int32_t& target);  // VT_BYREF|VT_I4
  static Variant byRef(float& target);    // VT_BYREF|VT_R4
  static Variant byRef(double& target);   // VT_BYREF|VT_R8
  static Variant byRefBool(int16_t& target);  // VT_BYREF|VT_BOOL
  static Variant byRef(BStr& target);     // VT_BYREF|VT_BSTR
  static Variant byRef(uint8_t& target);  // VT_BYREF|VT_UI1

  uint16_t vt() const { return vt_; }
  VarType baseType() const { return static_cast<VarType>(vt_ & VT_TYPEMASK); }

  bool isByRef() const { return (vt_ & VT_BYREF) != 0; }
  // The script-visible predicates, looking through references.
  bool isEmpty() const { return deref().vt_ == VT_EMPTY; }
  bool isNull() const { return deref().vt_ == VT_NULL; }
  bool isMissing() const {
    const Variant& v = deref();
    return v.vt_ == VT_ERROR && std::get_if<ErrorCode>(&v.data_)->scode == DISP_E_PARAMNOTFOUND;
  }
  bool isArray() const { return (derefType() & VT_ARRAY) != 0; }
  bool isObject() const { return derefType() == VT_DISPATCH; }
  // VarType as the runtime's VarType function reports it: the type of the
  // referenced value for references.
  uint16_t varType() const { return derefType(); }

  // Payload accessors for the exact stored type (no coercion, no deref).
  // Calling one for another type is a programming error.
  int16_t asI2() const { return std::get<int16_t>(data_); }
  int32_t asI4() const { return std::get<int32_t>(data_); }
  float asR4() const { return std::get<float>(data_); }
  double asR8() const { return std::get<double>(data_); }
  double asDate() const { return std::get<double>(data_); }
  Currency asCy() const { return std::get<Currency>(data_); }
  bool asBool() const { return std::get<int16_t>(data_) != 0; }
  uint8_t asUI1() const { return std::get<uint8_t>(data_); }
  int32_t asError() const { return std::get<ErrorCode>(data_).scode; }
  const BStr& asBStr() const { return std::get<BStr>(data_); }
  const ObjectRef& asObject() const { return std::get<ObjectRef>(data_); }
  // Null when the Variant is an array type that holds no array.
  // (An array Variant owns its array alone: copies of the Variant copy it.)
  const SafeArray* asArray() const;
  SafeArray* asArray();

  // References: the Variant that a VT_BYREF|VT_VARIANT points at, followed
  // through any chain of such references. A Variant that is not such a
  // reference returns itself.
  const Variant& deref() const {
    const Variant* v = this;
    while (v->vt_ == (VT_BYREF | VT_VARIANT)) v = static_cast<const Variant*>(std::get_if<Ref>(&v->data_)->target);
    return *v;
  }
  Variant& deref() { return const_cast<Variant&>(std::as_const(*this).deref()); }
  // The value, read through any reference, as a plain (non-reference) Variant.
  Variant value() const;
  // Writes through a reference: into the referenced Variant (replacing it, or
  // writing through its own reference), or into a typed target after coercion
  // to the target's type (raising the coercion's error). A Variant that is not
  // a reference is simply replaced.
  void assign(const Variant& v);

  // Identity comparison of payloads (same VarType and same bits); the
  // runtime's comparison lives in coerce.h.
  friend bool operator==(const Variant& a, const Variant& b);

 private:
  uint16_t derefType() const;
  struct Ref {
    void* target = nullptr;
  };

  Variant(uint16_t vt, auto payload) : vt_(vt), data_(std::move(payload)) {}

  uint16_t vt_ = VT_EMPTY;
  std::variant<std::monostate, int16_t, int32_t, float, double, Currency, uint8_t, ErrorCode, BStr,
               ObjectRef, std::shared_ptr<SafeArray>, Ref>
      data_;
};

// UTF-8 <-> UTF-16 at the edges of the system (files, the script host).
BStr utf16(std::string_view utf8);
std::string utf8(BStrView utf16);
void appendUtf8(std::string& out, BStrView utf16);

// Readable name of a VarType for messages and tests ("VT_ARRAY|VT_VARIANT").
std::string varTypeName(uint16_t vt);

}  // namespace svx

#include "platform/automation/safearray.h"
