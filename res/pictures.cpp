// Icon 128 and bitmap 139 as pixels, and their icon and BMP files. Everything is drawn here from the
// terminal pictures' words with a small pixel font of our own, so the files come out the same on every
// machine.
#include <algorithm>
#include <array>
#include <string_view>

#include "res/resources.h"
#include "res/windows_resources.h"

namespace velto::res {
namespace {

constexpr uint32_t kTransparent = 0x00000000;
constexpr uint32_t kPaper = 0xFFFFFFFF;
constexpr uint32_t kPaperEdge = 0xFF404040;
constexpr uint32_t kFold = 0xFFC8C8C8;
constexpr uint32_t kLinkBlue = 0xFF0000FF;
constexpr uint32_t kRule = 0xFFA0A0C0;
constexpr uint32_t kWhite = 0xFFFFFFFF;
constexpr uint32_t kPaleBlue = 0xFFC8DCFF;

// 5 × 7 glyphs, one string of 35 cells per character, rows top to bottom ('#' set): the letters,
// digits and marks the pictures' words use.
struct Glyph {
  char32_t c;
  std::string_view rows;
};

constexpr std::array kFont = {
    Glyph{U'A', ".###.#...##...#######...##...##...#"}, Glyph{U'B', "####.#...##...#####.#...##...#####."},
    Glyph{U'C', ".###.#...##....#....#....#...#.###."}, Glyph{U'D', "####.#...##...##...##...##...#####."},
    Glyph{U'E', "######....#....####.#....#....#####"}, Glyph{U'F', "######....#....####.#....#....#...."},
    Glyph{U'G', ".###.#...##....#.####...##...#.####"}, Glyph{U'H', "#...##...##...#######...##...##...#"},
    Glyph{U'I', ".###...#....#....#....#....#...###."}, Glyph{U'J', "..###...#....#....#....#.#..#..##.."},
    Glyph{U'K', "#...##..#.#.#..##...#.#..#..#.#...#"}, Glyph{U'L', "#....#....#....#....#....#....#####"},
    Glyph{U'M', "#...###.###.#.##.#.##...##...##...#"}, Glyph{U'N', "#...##...###..##.#.##..###...##...#"},
    Glyph{U'O', ".###.#...##...##...##...##...#.###."}, Glyph{U'P', "####.#...##...#####.#....#....#...."},
    Glyph{U'Q', ".###.#...##...##...##.#.##..#..##.#"}, Glyph{U'R', "####.#...##...#####.#.#..#..#.#...#"},
    Glyph{U'S', ".#####....#.....###.....#....#####."}, Glyph{U'T', "#####..#....#....#....#....#....#.."},
    Glyph{U'U', "#...##...##...##...##...##...#.###."}, Glyph{U'V', "#...##...##...##...##...#.#.#...#.."},
    Glyph{U'W', "#...##...##...##.#.##.#.##.#.#.#.#."}, Glyph{U'X', "#...##...#.#.#...#...#.#.#...##...#"},
    Glyph{U'Y', "#...##...#.#.#...#....#....#....#.."}, Glyph{U'Z', "#####....#...#...#...#...#....#####"},
    Glyph{U'a', "...........###.....#.#####...#.####"}, Glyph{U'e', "...........###.#...#######.....###."},
    Glyph{U'l', ".##....#....#....#....#....#...###."}, Glyph{U'o', "...........###.#...##...##...#.###."},
    Glyph{U't', ".#....#...####..#....#....#..#..##."}, Glyph{U'x', "..........#...#.#.#...#...#.#.#...#"},
    Glyph{U'0', ".###.#...##..###.#.###..##...#.###."}, Glyph{U'1', "..#...##....#....#....#....#...###."},
    Glyph{U'.', "..........................##...##.."}, Glyph{U'·', ".................#................."},
};
static_assert(std::all_of(kFont.begin(), kFont.end(), [](const Glyph& g) { return g.rows.size() == 35; }));

class Canvas {
 public:
  Canvas(int width, int height, uint32_t fill) : pixels_{width, height, std::vector<uint32_t>(static_cast<size_t>(width * height), fill)} {}

  void Set(int x, int y, uint32_t colour) {
    if (x < 0 || y < 0 || x >= pixels_.width || y >= pixels_.height) return;
    pixels_.argb[static_cast<size_t>(y) * static_cast<size_t>(pixels_.width) + static_cast<size_t>(x)] = colour;
  }
  void Fill(int x, int y, int width, int height, uint32_t colour) {
    for (int row = y; row < y + height; ++row)
      for (int column = x; column < x + width; ++column) Set(column, row, colour);
  }
  void Frame(int x, int y, int width, int height, uint32_t colour) {
    Fill(x, y, width, 1, colour);
    Fill(x, y + height - 1, width, 1, colour);
    Fill(x, y, 1, height, colour);
    Fill(x + width - 1, y, 1, height, colour);
  }
  // A sheet of paper with its top right corner folded over.
  void Sheet(int x, int y, int width, int height, int fold) {
    for (int row = 0; row < height; ++row) {
      for (int column = 0; column < width; ++column) {
        const int fromCorner = (width - 1 - column) + row;  // 0 at the top right corner
        if (row < fold && fromCorner < fold) continue;     // cut away
        const bool edge = row == 0 || column == 0 || row == height - 1 || column == width - 1 ||
                          (row < fold && fromCorner == fold);
        const bool folded = row < fold && (width - 1 - column) < fold && !edge;
        Set(x + column, y + row, edge ? kPaperEdge : folded ? kFold : kPaper);
      }
    }
  }
  // Text in the pixel font, each cell `scale` pixels; characters it lacks leave a blank cell.
  // Returns the x after the text.
  int Text(int x, int y, std::u32string_view text, uint32_t colour, int scale = 1) {
    for (char32_t c : text) {
      for (const Glyph& glyph : kFont) {
        if (glyph.c != c) continue;
        for (int row = 0; row < 7; ++row)
          for (int column = 0; column < 5; ++column)
            if (glyph.rows[static_cast<size_t>(row * 5 + column)] == '#')
              Fill(x + column * scale, y + row * scale, scale, scale, colour);
      }
      x += 6 * scale;
    }
    return x;
  }
  Pixels Take() { return std::move(pixels_); }

 private:
  Pixels pixels_;
};

// The printable words of a line of a terminal picture: frame characters and blanks at the ends dropped,
// letters spaced out ("V E L T O") closed up.
std::u32string Words(const std::string& line) {
  std::u32string text;
  for (size_t i = 0; i < line.size();) {
    const unsigned char lead = static_cast<unsigned char>(line[i]);
    const size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    char32_t c = length == 1 ? lead : lead & (0xFF >> (length + 1));
    for (size_t k = 1; k < length && i + k < line.size(); ++k) c = (c << 6) | (static_cast<unsigned char>(line[i + k]) & 0x3F);
    i += length;
    if (c >= 0x2500 && c <= 0x257F) continue;  // box drawing
    text.push_back(c);
  }
  const size_t first = text.find_first_not_of(U' '), last = text.find_last_not_of(U' ');
  if (first == std::u32string::npos) return {};
  text = text.substr(first, last - first + 1);
  // Spaced out, every second character is a blank ("V E L T O   P R I N T"): keep the others.
  bool spacedOut = text.size() >= 3;
  for (size_t k = 1; k < text.size(); k += 2) spacedOut = spacedOut && text[k] == U' ';
  if (!spacedOut) return text;
  std::u32string closed;
  for (size_t k = 0; k < text.size(); k += 2) closed.push_back(text[k]);
  return closed;
}

void PutLe(std::vector<uint8_t>& out, uint32_t value, int bytes) {
  for (int k = 0; k < bytes; ++k) out.push_back(static_cast<uint8_t>(value >> (8 * k)));
}

void PutInfoHeader(std::vector<uint8_t>& out, int width, int height, int bits, uint32_t imageSize) {
  PutLe(out, 40, 4);
  PutLe(out, static_cast<uint32_t>(width), 4);
  PutLe(out, static_cast<uint32_t>(height), 4);
  PutLe(out, 1, 2);     // planes
  PutLe(out, static_cast<uint32_t>(bits), 2);
  PutLe(out, 0, 4);     // BI_RGB
  PutLe(out, imageSize, 4);
  PutLe(out, 0, 4);
  PutLe(out, 0, 4);
  PutLe(out, 0, 4);
  PutLe(out, 0, 4);
}

// One icon image: the header (twice the height: colour and mask), the colour rows bottom-up, then the
// mask (1 where transparent), rows padded to 32 bits.
std::vector<uint8_t> IconImage(const Pixels& picture) {
  const int maskStride = ((picture.width + 31) / 32) * 4;
  const uint32_t colourBytes = static_cast<uint32_t>(picture.width * picture.height * 4);
  const uint32_t maskBytes = static_cast<uint32_t>(maskStride * picture.height);
  std::vector<uint8_t> out;
  PutInfoHeader(out, picture.width, picture.height * 2, 32, colourBytes + maskBytes);
  for (int y = picture.height - 1; y >= 0; --y)
    for (int x = 0; x < picture.width; ++x) PutLe(out, picture.At(x, y), 4);  // B, G, R, A
  for (int y = picture.height - 1; y >= 0; --y) {
    std::vector<uint8_t> row(static_cast<size_t>(maskStride), 0);
    for (int x = 0; x < picture.width; ++x)
      if ((picture.At(x, y) >> 24) == 0) row[static_cast<size_t>(x / 8)] |= static_cast<uint8_t>(0x80 >> (x % 8));
    out.insert(out.end(), row.begin(), row.end());
  }
  return out;
}

}  // namespace

Pixels DrawIcon(int size) {
  Canvas canvas(size, size, kTransparent);
  const std::u32string letters = Words(IconPicture().front());  // "VF"
  if (size >= 32) {
    canvas.Sheet(3, 1, 26, 30, 7);
    canvas.Text(5, 9, letters, kLinkBlue, 2);
    for (int rule = 0; rule < 2; ++rule) canvas.Fill(8, 25 + rule * 3, 16, 1, kRule);
  } else {
    canvas.Sheet(1, 0, 14, 16, 4);
    canvas.Text(3, 5, letters, kLinkBlue, 1);
  }
  return canvas.Take();
}

Pixels DrawBanner() {
  constexpr int kWidth = 290, kHeight = 64;
  Canvas canvas(kWidth, kHeight, 0);
  for (int x = 0; x < kWidth; ++x) {
    // A blue that lightens to the right.
    const uint32_t green = static_cast<uint32_t>(0x30 + x * 0x50 / kWidth);
    const uint32_t blue = static_cast<uint32_t>(0x90 + x * 0x50 / kWidth);
    canvas.Fill(x, 0, 1, kHeight, 0xFF000000 | (0x18u << 16) | (green << 8) | blue);
  }
  canvas.Frame(0, 0, kWidth, kHeight, kWhite);
  const auto& picture = BannerPicture();
  canvas.Text(10, 8, Words(picture[1]), kWhite, 3);                  // VELTO PRINT
  canvas.Text(10, 36, U"FAX TIFF · PDF · IMAGE · TEXT", kPaleBlue);  // what the printer makes
  canvas.Text(10, 50, Words(picture[4]), kWhite);                     // VeltoFaxTool 1.0
  canvas.Sheet(240, 8, 38, 48, 10);
  for (int rule = 0; rule < 5; ++rule) canvas.Fill(246, 24 + rule * 6, 26, 1, kRule);
  canvas.Text(247, 12, U"VF", kLinkBlue, 1);
  return canvas.Take();
}

std::vector<uint8_t> IconFile() {
  const std::array<Pixels, 2> pictures = {DrawIcon(32), DrawIcon(16)};
  std::vector<std::vector<uint8_t>> images;
  for (const Pixels& picture : pictures) images.push_back(IconImage(picture));
  std::vector<uint8_t> out;
  PutLe(out, 0, 2);
  PutLe(out, 1, 2);  // an icon
  PutLe(out, static_cast<uint32_t>(images.size()), 2);
  uint32_t offset = static_cast<uint32_t>(6 + 16 * images.size());
  for (size_t k = 0; k < images.size(); ++k) {
    out.push_back(static_cast<uint8_t>(pictures[k].width));
    out.push_back(static_cast<uint8_t>(pictures[k].height));
    out.push_back(0);  // no palette
    out.push_back(0);
    PutLe(out, 1, 2);   // planes
    PutLe(out, 32, 2);  // bits
    PutLe(out, static_cast<uint32_t>(images[k].size()), 4);
    PutLe(out, offset, 4);
    offset += static_cast<uint32_t>(images[k].size());
  }
  for (const auto& image : images) out.insert(out.end(), image.begin(), image.end());
  return out;
}

std::vector<uint8_t> BannerBitmapFile() {
  const Pixels picture = DrawBanner();
  const int stride = (picture.width * 3 + 3) / 4 * 4;
  const uint32_t imageBytes = static_cast<uint32_t>(stride * picture.height);
  std::vector<uint8_t> out;
  out.push_back('B');
  out.push_back('M');
  PutLe(out, 14 + 40 + imageBytes, 4);
  PutLe(out, 0, 4);
  PutLe(out, 14 + 40, 4);
  PutInfoHeader(out, picture.width, picture.height, 24, imageBytes);
  for (int y = picture.height - 1; y >= 0; --y) {
    for (int x = 0; x < picture.width; ++x) PutLe(out, picture.At(x, y) & 0xFFFFFF, 3);
    for (int pad = picture.width * 3; pad < stride; ++pad) out.push_back(0);
  }
  return out;
}

}  // namespace velto::res
