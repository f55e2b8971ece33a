#pragma once
// Cases of tests/data/gdi: NAME.emf, a metafile whose frame spans its picture one logical unit to a
// pixel, and NAME.png, GDI's own playback of it at that size. ExpectMatchesGdi plays the metafile onto a
// surface of the picture's size and wants every pixel the same.

#include <cairo.h>
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/emf/metafile.h"
#include "platform/emf/player.h"
#include "platform/emf/surface.h"
#include "tests/support/test_support.h"

namespace velto::test {

inline std::string GdiCasePath(const std::string& file) { return SourceDirectory() + "/tests/data/gdi/" + file; }

struct Picture {
  int width = 0;
  int height = 0;
  std::vector<emf::Rgb> pixels;  // row by row
  emf::Rgb At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

inline std::optional<Picture> LoadPng(const std::string& path) {
  cairo_surface_t* png = cairo_image_surface_create_from_png(path.c_str());
  std::optional<Picture> picture;
  if (cairo_surface_status(png) == CAIRO_STATUS_SUCCESS) {
    cairo_surface_flush(png);
    Picture p;
    p.width = cairo_image_surface_get_width(png);
    p.height = cairo_image_surface_get_height(png);
    const unsigned char* data = cairo_image_surface_get_data(png);
    const int stride = cairo_image_surface_get_stride(png);
    for (int y = 0; y < p.height; ++y) {
      const auto* row = reinterpret_cast<const uint32_t*>(data + static_cast<size_t>(y) * stride);
      for (int x = 0; x < p.width; ++x) p.pixels.push_back(row[x] & 0xFFFFFF);
    }
    picture = std::move(p);
  }
  cairo_surface_destroy(png);
  return picture;
}

// Plays tests/data/gdi/NAME.emf onto a white surface of width × height, the frame onto all of it.
inline std::unique_ptr<emf::Surface> PlayGdiCase(const std::string& name, int width, int height) {
  std::ifstream in(GdiCasePath(name + ".emf"), std::ios::binary);
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  auto metafile = emf::Metafile::FromBytes(std::move(bytes));
  EXPECT_TRUE(metafile) << name;
  auto surface = emf::Surface::Create(width, height, emf::Surface::Kind::Colour);
  surface->FillRect({0, 0, width, height}, emf::kWhite);
  if (metafile) emf::PlayMetafile(*surface, *metafile, {0, 0, width, height});
  surface->Flush();
  return surface;
}

// Every pixel as GDI drew it; the failure names how many differ and where the first ones are.
inline void ExpectMatchesGdi(const std::string& name) {
  auto reference = LoadPng(GdiCasePath(name + ".png"));
  ASSERT_TRUE(reference) << "no reference picture for " << name;
  auto surface = PlayGdiCase(name, reference->width, reference->height);
  int differing = 0;
  std::string where;
  for (int y = 0; y < reference->height; ++y)
    for (int x = 0; x < reference->width; ++x) {
      if (surface->Pixel(x, y) == reference->At(x, y)) continue;
      if (++differing <= 8) where += " (" + std::to_string(x) + ", " + std::to_string(y) + ")";
    }
  EXPECT_EQ(differing, 0) << name << ": pixels unlike GDI's, first at" << where;
}

}  // namespace velto::test
