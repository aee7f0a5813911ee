// Texts of the language file's code page to and from UTF-8, and the font
// families asked for. Bytes of both sides are written out by hand.
#include <gtest/gtest.h>

#include "common/posix/IconvTextCodec.h"
#include "ui/FontFamilies.h"

namespace km27 {
namespace {

const std::string kMark = "\xEF\xBF\xBD";

TEST(IconvTextCodec, CodePageTextShowsInUtf8AndUndefinedBytesAsTheMark) {
  const struct {
    int codePage;
    ByteString bytes;
    std::string utf8;
  } rows[] = {
      {932, "\x93\xFA\x96\x7B\x8C\xEA", "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E"},  // 日本語
      {932, "A\xB1" "b", "A\xEF\xBD\xB1" "b"},                                   // half-width ｱ
      {932, "a\x85\x40z", "a" + kMark + "z"},     // an unassigned pair is one mark, not a mark and "@"
      {932, "a\x81 z", "a" + kMark + " z"},       // a lead byte without its trail byte
      {932, "ab\x81", "ab" + kMark},              // cut off at the end
      {932, "\xFF\xA0", kMark + kMark},
      {1252, "\x80\xE9", "\xE2\x82\xAC\xC3\xA9"},  // €é
      {1252, "x\x81y", "x" + kMark + "y"},
      {1252, std::string("a\0b", 3), std::string("a\0b", 3)},
      {99999, "a\xE9", "a" + kMark},               // a code page iconv does not have
  };
  IconvTextCodec codec;
  for (const auto& r : rows) EXPECT_EQ(codec.ToUtf8(r.bytes, r.codePage), r.utf8) << r.codePage << " " << r.bytes;
}

TEST(IconvTextCodec, InputTheCodePageCannotHoldIsCountedNotLost) {
  const struct {
    int codePage;
    std::string utf8;
    ByteString bytes;
    size_t refused, first;
  } rows[] = {
      {932, "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E", "\x93\xFA\x96\x7B\x8C\xEA", 0, std::string::npos},
      {932, "1\xE2\x82\xAC" "2", "12", 1, 1},                       // € has no place in 932
      {1252, "\xE2\x82\xAC\xC3\xA9", "\x80\xE9", 0, std::string::npos},
      {1252, "ab\xED\x95\x9C\xE6\x97\xA5", "ab", 2, 2},             // Hangul and a kanji
      {1252, "a\xFF" "b\xC3", "ab", 2, 1},                           // not UTF-8
      {99999, "a\xC3\xA9", "a", 1, 1},
  };
  IconvTextCodec codec;
  for (const auto& r : rows) {
    const CodePageText t = codec.FromUtf8(r.utf8, r.codePage);
    EXPECT_EQ(t.text, r.bytes) << r.utf8;
    EXPECT_EQ(t.refused, r.refused) << r.utf8;
    EXPECT_EQ(t.firstRefused, r.first) << r.utf8;
    EXPECT_EQ(t.Complete(), r.refused == 0);
    if (t.Complete()) {
      EXPECT_EQ(codec.ToUtf8(t.text, r.codePage), r.utf8);
    }
  }
}

TEST(IconvTextCodec, LanguageFileCharSetsAndTheirFonts) {
  EXPECT_EQ(CodePageOfCharSet(128), 932);
  EXPECT_EQ(CodePageOfCharSet(1), 1252);
  EXPECT_EQ(CodePageOfCharSet(0), 1252);
  EXPECT_EQ(CodePageOfCharSet(204), 1251);

  IconvTextCodec codec;
  SetTextCodec(&codec);
  // ＭＳ Ｐゴシック as the Japanese language file holds it.
  const ByteString msPGothic = "\x82\x6C\x82\x72\x20\x82\x6F\x83\x53\x83\x56\x83\x62\x83\x4E";
  const auto ja = ui::FontFamilies(msPGothic, 932);
  EXPECT_EQ(ja.front(), "\xEF\xBC\xAD\xEF\xBC\xB3 \xEF\xBC\xB0\xE3\x82\xB4\xE3\x82\xB7\xE3\x83\x83\xE3\x82\xAF");
  EXPECT_EQ(ja.back(), "Sans");
  EXPECT_EQ(ui::ChooseFontFamily(ja, {"DejaVu Sans", "Noto Sans CJK JP", "IPAGothic"}), "IPAGothic");
  EXPECT_EQ(ui::ChooseFontFamily(ja, {"Noto Sans CJK JP"}), "Noto Sans CJK JP");
  EXPECT_EQ(ui::ChooseFontFamily(ui::FontFamilies("Tahoma", 1252), {"dejavu sans"}), "dejavu sans");
  EXPECT_EQ(ui::ChooseFontFamily(ui::FontFamilies("Tahoma", 1252), {"Tahoma", "DejaVu Sans"}), "Tahoma");
  EXPECT_EQ(ui::ChooseFontFamily(ui::FontFamilies("\x81", 932), {}), "Sans");
  const auto bad = ui::FontFamilies("\x81", 932);
  for (const auto& f : bad) EXPECT_EQ(f.find(kMark), std::string::npos);
  SetTextCodec(nullptr);
}

}  // namespace
}  // namespace km27
