// SAFEARRAY semantics: any number of dimensions, any lower bound per
// dimension, elements of one VarType. Byte arrays keep their bytes packed.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>
#include <variant>
#include <vector>

#include "platform/automation/variant.h"

namespace svx {

struct ArrayBound {
  int32_t lower = 0;
  int32_t count = 0;  // elements in this dimension; 0 allowed (0 To -1)
  int32_t upper() const { return static_cast<int32_t>(int64_t{lower} + count - 1); }
};

class SafeArray {
 public:
  // elementType: VT_VARIANT, VT_UI1, VT_BSTR, VT_I2, VT_I4, VT_R4, VT_R8,
  // VT_BOOL, VT_DATE, VT_CY or VT_DISPATCH. Bounds are given per dimension,
  // first dimension first. A count below zero fails with error 9.
  SafeArray(VarType elementType, std::vector<ArrayBound> bounds);

  // One-dimensional helpers.
  static SafeArray vector(VarType elementType, int32_t lower, int32_t count) {
    return SafeArray(elementType, {{lower, count}});
  }
  static SafeArray variants(std::initializer_list<Variant> items, int32_t lower = 0);
  static SafeArray bytes(std::span<const uint8_t> data, int32_t lower = 0);

  VarType elementType() const { return elementType_; }
  int32_t dimensions() const { return static_cast<int32_t>(bounds_.size()); }
  // Bounds of dimension d (1-based as LBound/UBound take it); a dimension
  // that does not exist fails with error 9 (subscript out of range).
  int32_t lbound(int32_t d = 1) const;
  int32_t ubound(int32_t d = 1) const;
  const std::vector<ArrayBound>& bounds() const { return bounds_; }
  int64_t elementCount() const;

  // Element access with one index per dimension; a wrong number of indexes or
  // an index outside its bounds fails with error 9. Reading gives a Variant of
  // the element type; writing coerces to the element type.
  Variant get(std::span<const int32_t> indexes) const;
  void set(std::span<const int32_t> indexes, const Variant& v);
  Variant get(int32_t i) const { return get(std::span<const int32_t>(&i, 1)); }
  void set(int32_t i, const Variant& v) { set(std::span<const int32_t>(&i, 1), v); }
  Variant get(int32_t i, int32_t j) const {
    const int32_t idx[2] = {i, j};
    return get(idx);
  }
  void set(int32_t i, int32_t j, const Variant& v) {
    const int32_t idx[2] = {i, j};
    set(idx, v);
  }
  // The element Variant itself, for Variant arrays (VT_VARIANT); null for
  // other element types.
  Variant* variantAt(std::span<const int32_t> indexes);

  // Packed bytes of a Byte array (VT_UI1); empty span for other types.
  std::span<const uint8_t> byteData() const;

  // Linear storage in column-major order (first index fastest), as SAFEARRAY.
  int64_t linearIndex(std::span<const int32_t> indexes) const;

  friend bool operator==(const SafeArray&, const SafeArray&);

 private:
  VarType elementType_;
  std::vector<ArrayBound> bounds_;
  std::variant<std::vector<Variant>, std::vector<uint8_t>> storage_;
};

}  // namespace svx
