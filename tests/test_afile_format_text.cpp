// Reading data files: decoding (UTF-8 as it is, GB18030 otherwise, bad
// bytes replaced), line splitting over all three line ends, and the
// character-position helpers the checks use.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "common/error.h"
#include "common/text_file.h"
#include "kelvane/kelvane.h"

namespace kelvane {
namespace {

TEST(AFileFormatText, Decoding) {
  struct {
    std::string bytes, utf8;
  } cases[] = {
      {"abc", "abc"},
      {"\xEF\xBB\xBF" "abc", "abc"},                  // byte-order mark dropped
      {"\xE5\x8C\x97", "\xE5\x8C\x97"},               // UTF-8 北 kept
      {"\xB1\xB1\xBE\xA9", "\xE5\x8C\x97\xE4\xBA\xAC"},  // GB18030 北京
      {"a\xFF" "b", "a\xEF\xBF\xBD" "b"},             // invalid byte
      {"\xB1", "\xEF\xBF\xBD"},                        // sequence cut by the end
      {std::string("a\0b", 3), std::string("a\0b", 3)},
      {"\xC0\xAF", "\xE8\x9C\xA1"},  // an overlong UTF-8 form is GB18030 蜡
      // Trailing bytes in the ASCII range, four-byte forms, long ASCII runs
      // around them.
      {"0123456789\x81\x40" "0123456789", "0123456789\xE4\xB8\x82" "0123456789"},
      {"\x81\x30\x81\x30\x94\x39\xFC\x36" "abcdefgh\xA2\xE3",
       "\xC2\x80\xF0\x9F\x98\x80" "abcdefgh\xE2\x82\xAC"},
      {"\xB1\nx", "\xEF\xBF\xBD\nx"},  // a lead byte before a line end
  };
  for (const auto& c : cases) EXPECT_EQ(DecodeToUtf8(c.bytes), c.utf8) << c.bytes;
}

TEST(AFileFormatText, LineEnds) {
  using V = std::vector<std::string_view>;
  EXPECT_EQ(SplitLines("a\r\nb\nc\rd"), (V{"a", "b", "c", "d"}));
  EXPECT_EQ(SplitLines("a\r\n"), (V{"a"}));
  EXPECT_EQ(SplitLines("a\n\n"), (V{"a", ""}));
  EXPECT_EQ(SplitLines("\r\r\n"), (V{"", ""}));
  EXPECT_EQ(SplitLines(""), V{});
  // Long lines are searched sixteen bytes at a time: every line end at
  // every place around those blocks, against a byte-by-byte reading.
  auto reference = [](std::string_view t) {
    V lines;
    size_t start = 0;
    while (start < t.size()) {
      size_t at = start;
      while (at < t.size() && t[at] != '\n' && t[at] != '\r') ++at;
      lines.push_back(t.substr(start, at - start));
      if (at == t.size()) break;
      start = t[at] == '\r' && at + 1 < t.size() && t[at + 1] == '\n' ? at + 2 : at + 1;
    }
    return lines;
  };
  for (const char* ends : {"\n", "\r", "\r\n", "\n\r", "\r\r"})
    for (size_t at = 0; at < 40; ++at) {
      std::string text(40, 'x');
      text.insert(at, ends);
      EXPECT_EQ(SplitLines(text), reference(text)) << at << ' ' << ends;
      text.resize(at + std::string_view(ends).size());  // the text ends with it
      EXPECT_EQ(SplitLines(text), reference(text)) << at << ' ' << ends;
    }
}

// A file's text: valid UTF-8 is checked and split in one pass, sixteen
// bytes at a time; the lines are those of decoding first and splitting
// after, for line ends and multi-byte characters at every place around the
// blocks, invalid bytes (GB18030) late in the text, and a byte-order mark.
TEST(AFileFormatText, TextLinesMatchDecodingThenSplitting) {
  const std::vector<std::string> pieces = {"\n", "\r", "\r\n", "北", "é", "𝄞", "\xB1\xB1", "\xFF"};
  std::vector<std::string> texts = {"", "a", "\xEF\xBB\xBF" "a\r\nb", "\xEF\xBB\xBF" "\xB1\xB1\n"};
  for (const std::string& piece : pieces)
    for (size_t at = 0; at < 40; ++at) {
      std::string text(40, 'x');
      text.insert(at, piece);
      texts.push_back(text);
      texts.push_back(text.substr(0, at + piece.size()));
      texts.push_back(text + "北\r\n" + piece);
    }
  for (const std::string& bytes : texts) {
    const auto t = TextFromBytes("f", bytes);
    const std::string utf8 = DecodeToUtf8(bytes);
    EXPECT_EQ(t->utf8, utf8) << bytes;
    EXPECT_EQ(t->lines, SplitLines(t->utf8)) << bytes;
  }
}

TEST(AFileFormatText, CharacterPositions) {
  const std::string s = "A北京B";
  EXPECT_EQ(CharAt(s, 2), "北");
  EXPECT_EQ(CharAt(s, 5), "");
  EXPECT_EQ(AfterFirstChar(s), "北京B");
  EXPECT_EQ(LastChars(s, 2), "京B");
  EXPECT_EQ(LastChars(s, 9), s);
  EXPECT_EQ(MidChars(s, 2, 2), "北京");
  EXPECT_EQ(MidChars(s, 4, 5), "B");
  EXPECT_EQ(MidChars(s, 0, 5), "");
}

TEST(AFileFormatText, Reader) {
  const auto path = std::filesystem::temp_directory_path() /
                    ("kelvane_text_reader_" + std::to_string(::getpid()) + ".txt");
  std::ofstream(path, std::ios::binary) << "one\r\ntwo";
  LineReader r(path.string());
  EXPECT_EQ(r.Peek(), "one");
  EXPECT_EQ(r.ReadLine(), "one");
  EXPECT_FALSE(r.Eof());
  EXPECT_EQ(r.ReadLine(), "two");
  EXPECT_TRUE(r.Eof());
  EXPECT_EQ(r.ReadLine(), "");
  std::filesystem::remove(path);
  try {
    LineReader missing(path.string());
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(e.number(), kErrFileNotFound);
    EXPECT_EQ(std::string(e.what()), "cannot open file: " + path.string());
  }
}

// A file read again soon after gives the text read before only while it is
// the same unchanged file: one written moments ago, or rewritten since with
// the same size, is read again.
TEST(AFileFormatText, RecentTextsFollowTheFile) {
  const auto dir = std::filesystem::temp_directory_path() /
                   ("kelvane_recent_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const std::string path = (dir / "A1.TXT").string();
  struct Step {
    std::string write;  // written before the read ("" keeps the file)
    bool replace;       // by a new file under the same name
    std::string line;   // the first line read
  };
  const Step steps[] = {
      {"one\r\n", false, "one"}, {"", false, "one"},       {"two\r\n", false, "two"},
      {"six\r\n", true, "six"},  {"ten\r\nx", false, "ten"}, {"", false, "ten"},
  };
  for (const Step& st : steps) {
    if (!st.write.empty()) {
      const std::string to = st.replace ? path + ".new" : path;
      std::ofstream(to, std::ios::binary | std::ios::trunc) << st.write;
      if (st.replace) std::filesystem::rename(to, path);
    }
    EXPECT_EQ(LineReader(path).ReadLine(), st.line) << st.write;
  }
  // Another spelling of the path reads under that name.
  const std::string other = (dir / "." / "A1.TXT").string();
  EXPECT_EQ(ReadText(other)->path, other);
  EXPECT_EQ(ReadText(path)->path, path);
  std::filesystem::remove_all(dir);

  // A file left alone for a while (a fixture of the checkout) is read once.
  const std::string settled = std::string(KELVANE_TEST_DATA) + "/jet4/expected/SysLib.tabStationParameter.csv";
  const auto first = ReadText(settled);
  EXPECT_EQ(ReadText(settled), first);
}

// A data file is read once and shared: readers over it start at its first
// line, copies share the text, and a file that cannot be opened is an error
// status that every step taking the DataFile reports the same way.
TEST(AFileFormatText, DataFileIsReadOnceAndShared) {
  const auto path = std::filesystem::temp_directory_path() /
                    ("kelvane_data_file_" + std::to_string(::getpid()) + ".txt");
  std::ofstream(path, std::ios::binary) << "one\r\n\xB1\xB1\xBE\xA9\ntwo";  // GB18030 北京
  DataFile f;
  ASSERT_TRUE(f.Open(path.string()).ok());
  std::filesystem::remove(path);
  const DataFile copy = f;
  EXPECT_EQ(copy.text(), f.text());
  EXPECT_EQ(f.Path(), path.string());
  ASSERT_EQ(f.LineCount(), 3u);
  EXPECT_EQ(f.Line(1), "北京");
  EXPECT_EQ(f.Line(3), "");
  LineReader a(f.text()), b(f.text());
  EXPECT_EQ(a.ReadLine(), "one");
  EXPECT_EQ(a.ReadLine(), "北京");
  EXPECT_EQ(b.ReadLine(), "one");

  DataFile missing;
  const Status st = missing.Open(path.string());
  EXPECT_EQ(st.number(), kErrFileNotFound);
  EXPECT_EQ(st.description(), "cannot open file: " + path.string());
  EXPECT_FALSE(missing.IsOpen());
  KelvaneA k;
  VariantArray para = VariantArray::Vector(1, 52);
  StringArray cls = StringArray::Vector(1, 20), list;
  EXPECT_EQ(k.AFileFormCheck("/sys/", missing, para, cls, list).number(), kErrInvalidCall);
  AFileArrays arrays;
  EXPECT_EQ(DecodeAFile(path.string(), para, arrays).number(), kErrFileNotFound);
  EXPECT_EQ(DecodeAFile(missing, para, arrays).number(), kErrInvalidCall);
}

}  // namespace
}  // namespace kelvane
