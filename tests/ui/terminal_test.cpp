// The terminal pieces under the dialogs: key decoding, cell widths and the canvas.
#include <gtest/gtest.h>

#include "platform/printing/terminal.h"

namespace velto {
namespace {

namespace pf = velto::platform;

std::vector<pf::Key> Keys(const std::string& bytes, bool flush = true) {
  pf::KeyDecoder decoder;
  decoder.Feed(bytes);
  std::vector<pf::Key> keys;
  for (pf::KeyEvent k = decoder.Next(flush); k.key != pf::Key::None; k = decoder.Next(flush)) keys.push_back(k.key);
  return keys;
}

TEST(KeyDecoder, DecodesTheKeysTheDialogsUse) {
  using pf::Key;
  EXPECT_EQ(Keys("\t\x1b[Z\r\n "), (std::vector<Key>{Key::Tab, Key::BackTab, Key::Enter, Key::Enter, Key::Space}));
  EXPECT_EQ(Keys("\x1b[A\x1b[B\x1b[C\x1b[D\x1bOA"),
            (std::vector<Key>{Key::Up, Key::Down, Key::Right, Key::Left, Key::Up}));
  EXPECT_EQ(Keys("\x1b[21~\x1b "), (std::vector<Key>{Key::SystemMenu, Key::SystemMenu}));
  EXPECT_EQ(Keys("\x03"), (std::vector<Key>{Key::Escape}));
  EXPECT_EQ(Keys("\x1b"), (std::vector<Key>{Key::Escape}));
  EXPECT_TRUE(Keys("\x1b", false).empty());  // a lone Escape waits for what may follow

  pf::KeyDecoder decoder;
  decoder.Feed("\xe5\xae");  // half of 安
  EXPECT_EQ(decoder.Next(true).key, Key::None);
  decoder.Feed("\x89");
  pf::KeyEvent k = decoder.Next(true);
  EXPECT_EQ(k.key, Key::Character);
  EXPECT_EQ(k.text, "安");
}

TEST(Canvas, GivesChineseCharactersTwoCellsAndCutsAtTheEdge) {
  EXPECT_EQ(pf::TextWidth("虚拟ab"), 6);
  EXPECT_EQ(pf::TextWidth(" 恭喜你,打印机安装成功。"), 24);
  pf::ScreenCanvas canvas(2, 8);
  canvas.Put(0, 0, "打印机属性");
  EXPECT_EQ(canvas.RowText(0), "打印机属");
  canvas.Put(0, 1, "x");  // overwriting half of 打 blanks the other half
  EXPECT_EQ(canvas.RowText(0), " x印机属");
  canvas.Put(1, 6, "安装");  // the second character does not fit
  EXPECT_EQ(canvas.RowText(1), "      安");
  canvas.Put(1, 0, "abcdef", pf::kPlain, 3);
  EXPECT_EQ(canvas.RowText(1), "abc   安");
  EXPECT_NE(canvas.RenderRow(1).find("安"), std::string::npos);
  EXPECT_EQ(canvas.RenderRow(1, 7), "abc   ");  // a wide character that would cross the edge stays out
}

}  // namespace
}  // namespace velto
