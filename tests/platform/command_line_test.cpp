#include <gtest/gtest.h>

#include "platform/shell.h"

namespace velto::platform {
namespace {

using Args = std::vector<std::string>;

TEST(SplitCommandLine, WindowsRules) {
  EXPECT_EQ(SplitCommandLine(""), Args{});
  EXPECT_EQ(SplitCommandLine("   \t "), Args{});
  EXPECT_EQ(SplitCommandLine("a  b\tc"), (Args{"a", "b", "c"}));
  EXPECT_EQ(SplitCommandLine("\"a b\" c"), (Args{"a b", "c"}));
  EXPECT_EQ(SplitCommandLine("a\"b c\"d"), (Args{"ab cd"}));
  EXPECT_EQ(SplitCommandLine("\"\" x"), (Args{"", "x"}));
  // Backslashes are literal unless they stand before a quote.
  EXPECT_EQ(SplitCommandLine("c:\\out\\a.bmp"), (Args{"c:\\out\\a.bmp"}));
  EXPECT_EQ(SplitCommandLine("a\\\\b"), (Args{"a\\\\b"}));
  EXPECT_EQ(SplitCommandLine("a\\\"b"), (Args{"a\"b"}));
  EXPECT_EQ(SplitCommandLine("\"a\\\\\" b"), (Args{"a\\", "b"}));
  EXPECT_EQ(SplitCommandLine("a\\\\\\\"b"), (Args{"a\\\"b"}));
  EXPECT_EQ(SplitCommandLine("\"a\"\"b\""), (Args{"a\"b"}));
  EXPECT_EQ(SplitCommandLine("\"unterminated x"), (Args{"unterminated x"}));
}

TEST(SplitCommandLine, QuotedPiecesWithoutBlanksStayOneArgument) {
  // The after-save parameter text puts its quoted items side by side.
  EXPECT_EQ(SplitCommandLine("\"Report\"\"2\""), (Args{"Report\"2"}));
  EXPECT_EQ(SplitCommandLine("\"Report\" \"2\""), (Args{"Report", "2"}));
  // A doubled quote inside quotes ends them: the name, page and file of three quoted items.
  EXPECT_EQ(SplitCommandLine("\"My \"Doc\"\"\"2\"\"c:\\out\\doc_002.png\""), (Args{"My Doc\"2c:\\out\\doc_002.png"}));
  EXPECT_EQ(SplitCommandLine("\"a\"\"b c\""), (Args{"a\"b", "c"}));
}

}  // namespace
}  // namespace velto::platform
