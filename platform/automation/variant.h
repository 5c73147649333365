// The automation value that crosses every interface of the system.
//
// A Variant carries a VarType code (the standard automation numbering, which
// scripts can observe) and a payload. Strings are UTF-16 code-unit sequences
// and may hold NULs. Arrays are held by value (copying a Variant copies its
// array). References (VT_BYREF) point at storage owned elsewhere: a callee
// writes through them into the caller's variable.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <variant>

#include "platform/automation/object.h"

namespace svx {

using BStr = std::u16string;
using BStrView = std::u16string_view;

// Exact equality of two texts, compared as bytes (the standard comparison of
// UTF-16 text goes one code unit at a time), for lookups on hot paths.
inline bool sameText(BStrView a, BStrView b) {
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(char16_t)) == 0;
}

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
  VT_I8 = 20,
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
  Variant(const Variant& other) : vt_(other.vt_), held_(other.held_) {
    if (held_ != Held::Word)
      copyOwned(other);
    else
      data_.scalar = other.data_.scalar;
  }
  Variant(Variant&& other) noexcept : vt_(other.vt_), held_(other.held_) {
    if (held_ != Held::Word)
      moveOwned(std::move(other));
    else
      data_.scalar = other.data_.scalar;
  }
  Variant& operator=(const Variant& other) {
    if (held_ == Held::Word && other.held_ == Held::Word) {
      vt_ = other.vt_;
      data_.scalar = other.data_.scalar;
    } else if (this != &other) {
      Variant copy(other);
      *this = std::move(copy);
    }
    return *this;
  }
  Variant& operator=(Variant&& other) noexcept {
    if (held_ == Held::Word && other.held_ == Held::Word) {
      vt_ = other.vt_;
      data_.scalar = other.data_.scalar;
    } else if (this != &other) {
      // `other` may live inside this Variant's array: take it out first.
      Variant taken(std::move(other));
      std::destroy_at(this);
      std::construct_at(this, std::move(taken));
    }
    return *this;
  }
  ~Variant() {
    if (held_ != Held::Word) destroyOwned();
  }

  // Typed constructors. Integral literals default to Long (VT_I4) as in the
  // runtime; use the named factories for other widths.
  Variant(int32_t v) : vt_(VT_I4) { data_.scalar.i4 = v; }
  Variant(double v) : vt_(VT_R8) { data_.scalar.r8 = v; }
  Variant(float v) : vt_(VT_R4) { data_.scalar.r4 = v; }
  Variant(bool v) : vt_(VT_BOOL) { data_.scalar.i2 = v ? VARIANT_TRUE : VARIANT_FALSE; }
  Variant(BStr v) : vt_(VT_BSTR), held_(Held::String) { std::construct_at(&data_.str, std::move(v)); }
  Variant(const char16_t* v) : Variant(BStr(v)) {}
  Variant(std::string_view utf8);
  Variant(const char* utf8) : Variant(std::string_view(utf8)) {}
  Variant(Currency v) : vt_(VT_CY) { data_.scalar.cy = v.scaled; }
  Variant(Date v) : vt_(VT_DATE) { data_.scalar.r8 = v.value; }
  Variant(ObjectRef v) : vt_(VT_DISPATCH), held_(Held::Object) { std::construct_at(&data_.object, std::move(v)); }
  Variant(SafeArray array);

  static Variant empty() { return {}; }
  static Variant null() { return scalar(VT_NULL, {}); }
  static Variant missing() { return error(DISP_E_PARAMNOTFOUND); }  // VT_ERROR holding DISP_E_PARAMNOTFOUND
  static Variant error(int32_t scode) { return scalar(VT_ERROR, {.scode = scode}); }
  static Variant i2(int16_t v) { return scalar(VT_I2, {.i2 = v}); }
  static Variant i4(int32_t v) { return Variant(v); }
  static Variant r4(float v) { return Variant(v); }
  static Variant r8(double v) { return Variant(v); }
  static Variant ui1(uint8_t v) { return scalar(VT_UI1, {.ui1 = v}); }
  static Variant i8(int64_t v) { return scalar(VT_I8, {.i8 = v}); }  // a 64-bit integer
  static Variant boolean(bool v) { return Variant(v); }
  static Variant nothing() { return Variant(ObjectRef()); }  // VT_DISPATCH holding no object
  // A Variant of type VT_ARRAY|elementType that holds no array at all.
  static Variant arrayTypeWithoutArray(VarType elementType);

  // References. The target must outlive the Variant.
  static Variant byRef(Variant& target) { return reference(VT_VARIANT, &target); }  // VT_BYREF|VT_VARIANT
  static Variant byRef(int16_t& target) { return reference(VT_I2, &target); }       // VT_BYREF|VT_I2
  static Variant byRef(int32_t& target) { return reference(VT_I4, &target); }       // VT_BYREF|VT_I4
  static Variant byRef(float& target) { return reference(VT_R4, &target); }         // VT_BYREF|VT_R4
  static Variant byRef(double& target) { return reference(VT_R8, &target); }        // VT_BYREF|VT_R8
  static Variant byRefBool(int16_t& target) { return reference(VT_BOOL, &target); }  // VT_BYREF|VT_BOOL
  static Variant byRef(BStr& target) { return reference(VT_BSTR, &target); }        // VT_BYREF|VT_BSTR
  static Variant byRef(uint8_t& target) { return reference(VT_UI1, &target); }      // VT_BYREF|VT_UI1

  uint16_t vt() const { return vt_; }
  VarType baseType() const { return static_cast<VarType>(vt_ & VT_TYPEMASK); }

  bool isByRef() const { return (vt_ & VT_BYREF) != 0; }
  // The script-visible predicates, looking through references.
  bool isEmpty() const { return deref().vt_ == VT_EMPTY; }
  bool isNull() const { return deref().vt_ == VT_NULL; }
  bool isMissing() const {
    const Variant& v = deref();
    return v.vt_ == VT_ERROR && v.data_.scalar.scode == DISP_E_PARAMNOTFOUND;
  }
  bool isArray() const { return (derefType() & VT_ARRAY) != 0; }
  bool isObject() const { return derefType() == VT_DISPATCH; }
  // VarType as the runtime's VarType function reports it: the type of the
  // referenced value for references.
  uint16_t varType() const { return derefType(); }

  // Payload accessors for the exact stored type (no coercion, no deref).
  // Calling one for another type is a programming error (std::bad_variant_access).
  int16_t asI2() const { return expect(vt_ == VT_I2 || vt_ == VT_BOOL).data_.scalar.i2; }
  int32_t asI4() const { return expect(vt_ == VT_I4).data_.scalar.i4; }
  float asR4() const { return expect(vt_ == VT_R4).data_.scalar.r4; }
  double asR8() const { return expect(vt_ == VT_R8 || vt_ == VT_DATE).data_.scalar.r8; }
  double asDate() const { return asR8(); }
  Currency asCy() const { return {expect(vt_ == VT_CY).data_.scalar.cy}; }
  bool asBool() const { return asI2() != 0; }
  uint8_t asUI1() const { return expect(vt_ == VT_UI1).data_.scalar.ui1; }
  int64_t asI8() const { return expect(vt_ == VT_I8).data_.scalar.i8; }
  int32_t asError() const { return expect(vt_ == VT_ERROR).data_.scalar.scode; }
  const BStr& asBStr() const { return expect(vt_ == VT_BSTR).data_.str; }
  const ObjectRef& asObject() const { return expect(vt_ == VT_DISPATCH).data_.object; }
  // Null when the Variant is an array type that holds no array.
  // (An array Variant owns its array alone: copies of the Variant copy it.)
  const SafeArray* asArray() const { return expect(held_ == Held::Array).data_.array.get(); }
  SafeArray* asArray() { return expect(held_ == Held::Array).data_.array.get(); }

  // References: the Variant that a VT_BYREF|VT_VARIANT points at, followed
  // through any chain of such references. A Variant that is not such a
  // reference returns itself.
  const Variant& deref() const {
    const Variant* v = this;
    while (v->vt_ == (VT_BYREF | VT_VARIANT)) v = static_cast<const Variant*>(v->target());
    return *v;
  }
  Variant& deref() { return const_cast<Variant&>(std::as_const(*this).deref()); }
  // The value, read through any reference, as a plain (non-reference) Variant.
  Variant value() const {
    const Variant& v = deref();
    if (!v.isByRef()) return v;
    return v.typedTarget();
  }
  // Writes through a reference: into the referenced Variant (replacing it, or
  // writing through its own reference), or into a typed target after coercion
  // to the target's type (raising the coercion's error). A Variant that is not
  // a reference is simply replaced.
  void assign(const Variant& v);

  // Identity comparison of payloads (same VarType and same bits); the
  // runtime's comparison lives in coerce.h.
  friend bool operator==(const Variant& a, const Variant& b);

 private:
  // The payload: a word (numbers, dates, error codes and every reference's
  // target) or one of the three owning payloads, as held_ says.
  union Scalar {
    int16_t i2;  // VT_I2, VT_BOOL
    int32_t i4;
    float r4;
    double r8;  // VT_R8, VT_DATE
    int64_t cy;
    int64_t i8;
    uint8_t ui1;
    int32_t scode;
    void* target;  // VT_BYREF
  };
  union Payload {
    Payload() : scalar{} {}
    ~Payload() {}
    Scalar scalar;
    BStr str;                          // VT_BSTR
    ObjectRef object;                  // VT_DISPATCH
    std::shared_ptr<SafeArray> array;  // VT_ARRAY|...
  };
  // Which member of the payload is alive.
  enum class Held : uint8_t { Word, String, Object, Array };

  static Variant scalar(uint16_t vt, Scalar s) {
    Variant v;
    v.vt_ = vt;
    v.data_.scalar = s;
    return v;
  }
  static Variant reference(uint16_t type, void* target) { return scalar(VT_BYREF | type, {.target = target}); }
  const Variant& expect(bool ok) const {
    if (!ok) [[unlikely]] throw std::bad_variant_access();
    return *this;
  }
  Variant& expect(bool ok) { return const_cast<Variant&>(std::as_const(*this).expect(ok)); }

  // The owning payloads; held_ says which one.
  void copyOwned(const Variant& other);
  void moveOwned(Variant&& other) noexcept;
  void destroyOwned() noexcept;

  uint16_t derefType() const;
  // The value of a typed reference (VT_BYREF|VT_I2 ...), as a plain Variant.
  Variant typedTarget() const;
  // Writes `from`, a plain value of this typed reference's type, into its target.
  void writeTarget(const Variant& from);
  void* target() const { return data_.scalar.target; }

  uint16_t vt_ = VT_EMPTY;
  Held held_ = Held::Word;
  Payload data_;
};

// UTF-8 <-> UTF-16 at the edges of the system (files, the script host).
BStr utf16(std::string_view utf8);
std::string utf8(BStrView utf16);
void appendUtf8(std::string& out, BStrView utf16);

// Readable name of a VarType for messages and tests ("VT_ARRAY|VT_VARIANT").
std::string varTypeName(uint16_t vt);

}  // namespace svx

#include "platform/automation/safearray.h"
