#include "host/pointer_map.h"

#include <gtest/gtest.h>

#include <map>
#include <random>

namespace svx::host {
namespace {

const void* address(uintptr_t n) { return reinterpret_cast<const void*>(n * 16); }

// Against std::map through inserts, overwrites and erases in random order,
// with the smallest table nearly half full (probe runs wrap around its end
// and deletions move entries back across it) and with many keys.
class PointerMapKeys : public ::testing::TestWithParam<uintptr_t> {};

TEST_P(PointerMapKeys, AgreesWithAnOrderedMapThroughInsertsAndErases) {
  const uintptr_t keys = GetParam();
  PointerMap<int> map;
  std::map<const void*, int> model;
  std::mt19937 random(7);
  for (int step = 0; step < 20000; ++step) {
    const void* key = address(1 + random() % keys);
    const int value = static_cast<int>(random() % 1000);
    if (random() % 3 == 0) {
      map.erase(key);
      model.erase(key);
    } else {
      map.insert_or_assign(key, value);
      model[key] = value;
    }
    ASSERT_EQ(map.size(), model.size()) << "step " << step;
  }
  for (uintptr_t n = 1; n <= keys; ++n) {
    const auto it = model.find(address(n));
    int* found = map.find(address(n));
    ASSERT_EQ(found != nullptr, it != model.end()) << n;
    if (found) {
      EXPECT_EQ(*found, it->second) << n;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(PointerMap, PointerMapKeys, ::testing::Values(31, 300));

TEST(PointerMap, EmptyAndNullKeys) {
  PointerMap<int> map;
  EXPECT_EQ(map.find(address(1)), nullptr);
  map.erase(address(1));  // nothing to erase: no effect
  map.insert_or_assign(nullptr, 5);
  EXPECT_EQ(map.size(), 0u);
  EXPECT_FALSE(map.contains(nullptr));
  map.insert_or_assign(address(1), 5);
  map.clear();
  EXPECT_FALSE(map.contains(address(1)));
  map.insert_or_assign(address(2), 6);
  EXPECT_EQ(*map.find(address(2)), 6);
}

}  // namespace
}  // namespace svx::host
