// The banded region behind clipping.
#include <gtest/gtest.h>

#include "platform/emf/playback/region.h"

namespace velto::emf::playback {
namespace {

TEST(Region, CombineModesCoverTheRightPixels) {
  Region a = Region::FromRect(0, 0, 10, 10), b = Region::FromRect(5, 5, 15, 15);
  Region both = Region::Combine(a, b, RegionOp::And);
  EXPECT_EQ(both.Bounds(), (RectL{5, 5, 10, 10}));
  Region either = Region::Combine(a, b, RegionOp::Or);
  EXPECT_TRUE(either.Contains(0, 0));
  EXPECT_TRUE(either.Contains(14, 14));
  EXPECT_FALSE(either.Contains(14, 0));
  Region x = Region::Combine(a, b, RegionOp::Xor);
  EXPECT_FALSE(x.Contains(7, 7));
  EXPECT_TRUE(x.Contains(2, 2));
  EXPECT_TRUE(x.Contains(12, 12));
  Region d = Region::Combine(a, b, RegionOp::Diff);
  EXPECT_TRUE(d.Contains(2, 7));
  EXPECT_FALSE(d.Contains(7, 7));
  EXPECT_FALSE(d.Contains(12, 12));
}

TEST(Region, EmptyOperandsAndCoalescing) {
  Region a = Region::FromRect(0, 0, 10, 10), none;
  EXPECT_TRUE(Region::Combine(a, none, RegionOp::And).Empty());
  EXPECT_EQ(Region::Combine(none, a, RegionOp::Or), a);
  EXPECT_TRUE(Region::Combine(none, a, RegionOp::Diff).Empty());
  // Two halves of one rectangle become one band again.
  Region top = Region::FromRect(0, 0, 10, 5), bottom = Region::FromRect(0, 5, 10, 10);
  Region whole = Region::Combine(top, bottom, RegionOp::Or);
  EXPECT_EQ(whole.Bands().size(), 1u);
  EXPECT_EQ(whole, a);
  EXPECT_TRUE(Region::FromRect(5, 5, 5, 9).Empty());
  Region moved = a;
  moved.Offset(3, -2);
  EXPECT_EQ(moved.Bounds(), (RectL{3, -2, 13, 8}));
}

}  // namespace
}  // namespace velto::emf::playback
