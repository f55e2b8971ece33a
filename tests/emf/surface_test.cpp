// The bitmap that pages are played into.
#include <gtest/gtest.h>

#include "platform/emf/surface.h"

namespace velto::test {
namespace {

TEST(Surface, NewSurfacesAreBlackWithRowsPackedTogether) {
  auto surface = emf::Surface::Create(7, 3, emf::Surface::Kind::Colour);
  ASSERT_TRUE(surface);
  EXPECT_EQ(surface->Stride(), 28);
  EXPECT_EQ(surface->Row(1), surface->Row(0) + 7);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 7; ++x) EXPECT_EQ(surface->Pixel(x, y), emf::kBlack);
  EXPECT_FALSE(emf::Surface::Create(0, 3, emf::Surface::Kind::Colour));
  EXPECT_FALSE(emf::Surface::Create(7, -1, emf::Surface::Kind::Colour));
  EXPECT_FALSE(emf::Surface::Create(emf::kMaxSurfaceSide, emf::kMaxSurfaceSide, emf::Surface::Kind::Colour));
}

TEST(Surface, RectanglesAreCutToTheSurfaceAndMonochromeSnapsToBlackOrWhite) {
  auto surface = emf::Surface::Create(4, 4, emf::Surface::Kind::Monochrome);
  ASSERT_TRUE(surface);
  surface->FillRect({-5, -5, 2, 9}, 0x404040);  // dark: black on a monochrome surface
  surface->FillRect({2, 0, 99, 4}, 0xC0C0C0);
  EXPECT_EQ(surface->Pixel(0, 3), emf::kBlack);
  EXPECT_EQ(surface->Pixel(3, 0), emf::kWhite);
  surface->InvertRect({1, 1, 3, 3});
  EXPECT_EQ(surface->Pixel(1, 1), emf::kWhite);
  EXPECT_EQ(surface->Pixel(2, 2), emf::kBlack);
  EXPECT_EQ(surface->Pixel(0, 0), emf::kBlack);
}

}  // namespace
}  // namespace velto::test
