// Shared text and number helpers.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "common/error.h"
#include "common/text.h"
#include "common/wind.h"

namespace kelvane {
namespace {

struct FieldCase {
  std::string text, sep;
  int n;
  std::string expected;
};

TEST(TextTest, GetField) {
  const FieldCase cases[] = {
      {"12 34 56", " ", 2, "34"},
      {"12 34 56", " ", 1, "12"},
      {"12 34 56", " ", 3, "56"},
      {"12 34 56", " ", 4, ""},
      {" 5/7 ", "/", 1, "5"},
      {" 5/7 ", "/", 2, "7"},
      {"1  2", " ", 2, ""},
      {"1  2", " ", 3, "2"},
      {"a::b::c", "::", 3, "c"},
      {"a::b::c", "::", 2, "b"},
      {"abc", "/", 1, "abc"},
      {"abc", "/", 2, ""},
      {"abc", "/", 0, ""},
      {"abc", "/", -1, ""},
      {"", "/", 1, ""},
      {"a/", "/", 2, ""},
      {"/a", "/", 1, ""},
      {"/a", "/", 2, "a"},
      {"abc", "", 1, ""},  // an empty separator finds nothing
      {"0830-1015", "-", 2, "1015"},
      {"12.5", ".", 2, "5"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(GetField(c.text, c.sep, c.n), c.expected)
        << "text '" << c.text << "' sep '" << c.sep << "' n " << c.n;
  }
}

TEST(TextTest, CountSeparators) {
  struct Case {
    std::string text, sep;
    int expected;
  };
  const Case cases[] = {
      {"1 2 3", " ", 2}, {"aaa", "aa", 1}, {"", " ", 0},       {"abc", "", 0},
      {"(a)(b)", "(", 2}, {"aaaa", "aa", 2}, {",,,,", ",", 4},
  };
  for (const auto& c : cases) EXPECT_EQ(CountSeparators(c.text, c.sep), c.expected) << c.text;
}

TEST(TextTest, NormalizeCoordinate) {
  struct Case {
    std::string in, out;
  };
  const Case cases[] = {
      {"39.52N", "39.52N"}, {"039.5N", "39.05N"}, {"116N", "116.00N"}, {"", ""},
      {"39.05N", "39.05N"}, {"116.28E", "116.28E"}, {"87.05E", "87.05E"}, {"x.yS", "0.00S"},
      {"39.52.7N", "39.52N"},
  };
  for (const auto& c : cases) EXPECT_EQ(NormalizeCoordinate(c.in), c.out) << c.in;
  // 39.5 and 39.05 compare equal after normalising; 39.52 and 39.5 do not.
  EXPECT_EQ(NormalizeCoordinate("39.5N"), NormalizeCoordinate("39.05N"));
  EXPECT_NE(NormalizeCoordinate("39.52N"), NormalizeCoordinate("39.5N"));
}

TEST(TextTest, RoundHalfAway) {
  struct Case {
    double x;
    int expected;
  };
  const Case cases[] = {{2.5, 3},   {-2.5, -3},   {2.49, 2},       {-0.4, 0},
                        {0.5, 1},   {-0.5, -1},   {1234.5, 1235},  {0, 0},
                        {-0.0, 0},  {1e9, 1000000000}, {2147483647.4, 2147483647}};
  for (const auto& c : cases) EXPECT_EQ(RoundHalfAway(c.x), c.expected) << c.x;
  EXPECT_THROW(RoundHalfAway(3e9), Error);
  EXPECT_THROW(RoundHalfAway(-3e9), Error);
  EXPECT_THROW(RoundHalfAway(std::nan("")), Error);
}

TEST(TextTest, LeadingNumberAndNumericText) {
  struct Case {
    std::string text;
    double value;
    bool numeric;
  };
  const Case cases[] = {
      {"123", 123, true},   {"-12.5", -12.5, true}, {" 42 ", 42, true}, {"12ab", 12, false},
      {"abc", 0, false},    {"", 0, false},         {"-", 0, false},    {"////", 0, false},
      {".5", 0.5, true},    {"5.", 5, true},        {"+7", 7, true},    {"(55.0)", 0, false},
      {"0132", 132, true},  {"1-0123", 1, false},   {"%%", 0, false},   {"1 2", 1, false},
      // Digit runs up to fifteen long and longer ones are read alike.
      {"000000000000007", 7, true},    {"999999999999999", 999999999999999, true},
      {"1234567890123456", 1234567890123456, true}, {"12345678901234567890", 12345678901234567890.0, true},
      {"7 ", 7, true},      {"7\t", 7, true},
  };
  for (const auto& c : cases) {
    EXPECT_DOUBLE_EQ(LeadingNumber(c.text), c.value) << c.text;
    EXPECT_EQ(IsNumericText(c.text), c.numeric) << c.text;
  }
}

TEST(TextTest, ParseNumberFields) {
  struct Case {
    std::string text;
    double value;
    size_t consumed;
    bool anyDigit, decimalPoint, wholeText;
  };
  const Case cases[] = {
      {"5", 5, 1, true, false, true},        {"0", 0, 1, true, false, true},
      {"042", 42, 3, true, false, true},     {"42a", 42, 2, true, false, false},
      {"42 ", 42, 2, true, false, true},     {"4.2", 4.2, 3, true, true, true},
      {"-42", -42, 3, true, false, true},    {"", 0, 0, false, false, false},
      {"123456789012345", 123456789012345, 15, true, false, true},
      {"1234567890123456", 1234567890123456, 16, true, false, true},
  };
  for (const auto& c : cases) {
    const ParsedNumber n = ParseNumber(c.text);
    EXPECT_EQ(n.value, c.value) << c.text;
    EXPECT_EQ(n.consumed, c.consumed) << c.text;
    EXPECT_EQ(n.anyDigit, c.anyDigit) << c.text;
    EXPECT_EQ(n.decimalPoint, c.decimalPoint) << c.text;
    EXPECT_EQ(n.wholeText, c.wholeText) << c.text;
  }
}

TEST(TextTest, DaysInMonth) {
  EXPECT_EQ(DaysInMonth(2008, 2), 29);
  EXPECT_EQ(DaysInMonth(2009, 2), 28);
  EXPECT_EQ(DaysInMonth(1900, 2), 28);
  EXPECT_EQ(DaysInMonth(2000, 2), 29);
  EXPECT_EQ(DaysInMonth(2009, 4), 30);
  EXPECT_EQ(DaysInMonth(2009, 12), 31);
  EXPECT_EQ(DaysInMonth(2009, 13), 0);
}

TEST(TextTest, CharCountCountsCodePoints) {
  EXPECT_EQ(CharCount("abc"), 3u);
  EXPECT_EQ(CharCount("示范一站"), 4u);
  EXPECT_EQ(CharCount(""), 0u);
  // Long texts are counted eight bytes at a time: every length and every
  // place of a multi-byte character around the word boundaries.
  const std::vector<std::string> pieces = {"a", "示", "é", "𝄞", " ", "=", "范一"};
  for (size_t len = 0; len < 40; ++len)
    for (size_t p = 0; p < pieces.size(); ++p) {
      std::string text;
      size_t chars = 0;
      for (size_t k = 0; k < len; ++k) {
        const std::string& piece = pieces[(p + k * 3) % pieces.size()];
        text += piece;
        for (unsigned char c : piece) chars += (c & 0xC0) != 0x80;
      }
      EXPECT_EQ(CharCount(text), chars) << text;
    }
}

// The blanks around a text stay in its first and last fields when asked.
TEST(TextTest, GetFieldViewKeepingBlanks) {
  const FieldCase cases[] = {
      {" 5/7 ", "/", 1, " 5"}, {" 5/7 ", "/", 2, "7 "}, {"01/ 3-5/x", "/", 2, " 3-5"},
      {"a//b", "/", 2, ""},    {"a//b", "/", 3, "b"},   {"abc", "/", 2, ""},
      {"a/", "/", 2, ""},      {"  ", "/", 1, "  "},    {"abc", "/", 0, ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(GetFieldView(c.text, c.sep, c.n, FieldBlanks::Keep), c.expected)
        << "text '" << c.text << "' n " << c.n;
  }
}

TEST(TextTest, MatchPattern) {
  struct Case {
    std::string text, pattern;
    bool matches;
  };
  const Case cases[] = {
      {"12", "##", true},          {"1a", "##", false},        {"1", "##", false},
      {"123", "##", false},        {"", "", true},             {"a", "", false},
      {"北京", "??", true},        {"北京", "?", false},       {"x北y", "x?y", true},
      {"b", "[a-c]", true},        {"d", "[a-c]", false},      {"-", "[-a]", true},
      {"-", "[a-]", true},         {"b", "[a-]", false},       {"5", "[0-9/]", true},
      {"/", "[0-9/]", true},       {"a", "[ab", false},        {"A54511", "[A-Z0-9]#####", true},
      {"01", "[0][123456789]", true}, {"00", "[0][123456789]", false},
      {"S12", "S[01]#", true},     {"S21", "S[01]#", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(MatchPattern(c.text, c.pattern), c.matches) << c.text << " ~ " << c.pattern;
}

TEST(TextTest, SmallTextHelpers) {
  struct Decimal {
    const char* text;
    bool decimal;
  };
  const Decimal decimals[] = {{"12", true},  {"-1.5", true}, {"+.5", true}, {"5.", true},
                              {".", false},  {"", false},    {" 1", false}, {"1 ", false},
                              {"1e3", false}, {"+", false},  {"1.2.3", false}};
  for (const auto& c : decimals) EXPECT_EQ(IsDecimal(c.text), c.decimal) << c.text;

  EXPECT_TRUE(IsRunOf("///", '/'));
  EXPECT_FALSE(IsRunOf("", '/'));
  EXPECT_FALSE(IsRunOf("//,", '/'));
  EXPECT_EQ(CountBlanks(" a b  "), 4);
  EXPECT_EQ(DropLastChar("ab"), "a");
  EXPECT_EQ(DropLastChar("a北"), "a");
  EXPECT_EQ(DropLastChar(""), "");
  EXPECT_EQ(Num(0), "0");
  EXPECT_EQ(Num(-1234567890123L), "-1234567890123");

  // Marks at the end only are cut off without a copy; marks inside are
  // removed into the scratch buffer.
  std::string scratch;
  const std::string tail = "0123 0456=";
  EXPECT_EQ(RemoveChars(tail, "=", scratch), "0123 0456");
  EXPECT_EQ(RemoveChars(tail, "=", scratch).data(), tail.data());
  const std::string inside = "01=2.3=.";
  EXPECT_EQ(RemoveChars(inside, "=.", scratch), "0123");
  EXPECT_EQ(RemoveChars(inside, "=.", scratch).data(), scratch.data());
  EXPECT_EQ(RemoveChars("abc", "=", scratch), "abc");
}

TEST(WindTest, DirectionToDegrees) {
  struct Case {
    std::string wd, wf, expected;
  };
  const Case cases[] = {
      {"NNE", "35", "23"}, {"NNE", "0", "C"},   {"NNE", "-", "-"},   {"NNE", "", ""},
      {"XYZ", "35", "-"},  {"270", "35", "270"}, {"C", "0", "C"},     {"045", "12", "045"},
      {"nne", "35", "-"},  {" NNE", "35", "-"},  {"N", "10", "0"},    {"ENE", "10", "68"},
      {"ESE", "10", "113"}, {"SSE", "10", "158"}, {"SSW", "10", "203"}, {"WSW", "10", "248"},
      {"WNW", "10", "293"}, {"NNW", "10", "338"}, {"C", "35", "C"},   {"XYZ", "0", "-"},
      {"270", "0", "C"},   {"NE", "0000", "C"}, {"S", "abc", "C"},   {"W", "////", "C"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(WindDirectionDegrees(c.wd, c.wf), c.expected) << c.wd << " " << c.wf;
}

}  // namespace
}  // namespace kelvane
