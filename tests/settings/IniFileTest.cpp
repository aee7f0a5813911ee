#include "settings/IniFile.h"
#include "common/TextHelpers.h"

#include <gtest/gtest.h>

namespace km27 {
namespace {

TEST(IniFileRead, TrimmingCommentsSectionsAndTheFirstEquals) {
  IniFile ini(
      "lost=before any section\r\n"
      "\t[ Main ]  \r\n"
      "  ; comment=1\r\n"
      "\x01 Key = a = b \x1f\r\n"
      "Empty=\r\n"
      "NoEquals line\r\n"
      "[Other]\r\n"
      "Key=other\r\n");
  EXPECT_EQ(ini.Value("main", "KEY"), "a = b");
  EXPECT_EQ(ini.Value("Main", "Empty"), "");
  EXPECT_EQ(ini.Value("Main", "lost"), std::nullopt);
  EXPECT_EQ(ini.Value("Main", "; comment"), std::nullopt);
  EXPECT_EQ(ini.Value("Other", "Key"), "other");
  EXPECT_EQ(ini.Value("Missing", "Key"), std::nullopt);
  EXPECT_EQ(ini.SectionLines("MAIN"), (std::vector<ByteString>{"Key = a = b", "Empty=", "NoEquals line"}));
}

TEST(IniFileRead, LaterDuplicateWinsAndRepeatedSectionsMerge) {
  IniFile ini("[A]\nk=1\nx=first\n[B]\nk=b\n[a]\nK=2\n");
  EXPECT_EQ(ini.Value("A", "k"), "2");
  EXPECT_EQ(ini.Value("A", "x"), "first");
  EXPECT_EQ(ini.SectionLines("A"), (std::vector<ByteString>{"k=1", "x=first", "K=2"}));
}

TEST(IniFileRead, IntegersAndFlags) {
  IniFile ini("[S]\nn=42\nneg=-7\nbad=4x\nempty=\nspace= 12 \nflag1=1\nflagTrue=true\nflag01=01\n");
  EXPECT_EQ(ini.ReadInteger("S", "n", "5", 9), 42);
  EXPECT_EQ(ini.ReadInteger("S", "neg", "5", 9), -7);
  EXPECT_EQ(ini.ReadInteger("S", "bad", "5", 9), 9);
  EXPECT_EQ(ini.ReadInteger("S", "empty", "5", 9), 9);  // present but empty: not the Missing default
  EXPECT_EQ(ini.ReadInteger("S", "space", "5", 9), 12);
  EXPECT_EQ(ini.ReadInteger("S", "absent", "5", 9), 5);
  EXPECT_TRUE(ini.ReadFlag("S", "flag1", "0"));
  EXPECT_FALSE(ini.ReadFlag("S", "flagTrue", "1"));
  EXPECT_FALSE(ini.ReadFlag("S", "flag01", "1"));
  EXPECT_TRUE(ini.ReadFlag("S", "absent", "1"));
  EXPECT_EQ(ini.ReadString("S", "empty", "default"), "");
}

TEST(IniFileWrite, ReplacesInPlaceAppendsToSectionAndAddsSectionsKeepingEverythingElse) {
  const ByteString original =
      "; header comment\r\n"
      "[General]\r\n"
      "  AutoStart = 0   ; stays a value\r\n"
      "Unknown=keep me\r\n"
      "\r\n"
      "; about the next section\r\n"
      "[Connection]\r\n"
      "Port=3\r\n";
  IniFile ini(original);
  ini.WriteString("general", "AUTOSTART", "1");
  ini.WriteString("General", "WizardStatus", "111");
  ini.WriteInteger("TargetWindow", "HWND", 1234);
  EXPECT_EQ(ini.Text(),
            "; header comment\r\n"
            "[General]\r\n"
            "AUTOSTART=1\r\n"
            "Unknown=keep me\r\n"
            "WizardStatus=111\r\n"
            "\r\n"
            "; about the next section\r\n"
            "[Connection]\r\n"
            "Port=3\r\n"
            "\r\n"
            "[TargetWindow]\r\n"
            "HWND=1234\r\n");
}

TEST(IniFileWrite, KeysAddedAtTheEndAndInTheMiddleStayFindable) {
  IniFile ini("[A]\nk=1\n");
  for (int n = 1; n <= 3; ++n) {
    ini.WriteString("Block:" + IntToStr(n), "Head", "h" + IntToStr(n));
    ini.WriteString("Block:" + IntToStr(n), "Foot", "f" + IntToStr(n));
  }
  ini.WriteString("A", "m", "2");         // moves every block section down a line
  ini.WriteString("Block:2", "Head", "H");  // replaced where it is, not added again
  ini.WriteString("Block:3", "Tail", "t");
  EXPECT_EQ(ini.Text(),
            "[A]\nk=1\nm=2\n\n[Block:1]\nHead=h1\nFoot=f1\n\n[Block:2]\nHead=H\nFoot=f2\n"
            "\n[Block:3]\nHead=h3\nFoot=f3\nTail=t\n");
  EXPECT_EQ(IniFile(ini.Text()).SectionLines("Block:2"), ini.SectionLines("Block:2"));
}

TEST(IniFileWrite, KeepsTheFileOwnLineEndings) {
  IniFile lf("[A]\nk=1\n[B]\nz=2");  // LF, no newline at the end
  lf.WriteString("A", "n", "x");
  lf.WriteString("B", "y", "3");
  EXPECT_EQ(lf.Text(), "[A]\nk=1\nn=x\n[B]\nz=2\ny=3\n");

  IniFile mixed("[A]\r\nk=1\nj=2\r\n");
  mixed.WriteString("A", "j", "9");
  EXPECT_EQ(mixed.Text(), "[A]\r\nk=1\nj=9\r\n");

  IniFile empty("");
  empty.WriteFlag("New", "f", true);
  EXPECT_EQ(empty.Text(), "[New]\r\nf=1\r\n");
}

TEST(IniFileWrite, WritesTheEffectiveOccurrenceAndNeverSplitsALine) {
  IniFile ini("[A]\nk=1\n[A]\nk=2\n");
  ini.WriteString("A", "k", "3");
  EXPECT_EQ(ini.Text(), "[A]\nk=1\n[A]\nk=3\n");
  ini.WriteString("A", "title", "two\r\nlines");
  EXPECT_EQ(ini.Value("A", "title"), "two  lines");
  EXPECT_EQ(ini.Value("A", "k"), "3");
}

TEST(IniFileBadInput, GarbageNulBytesHugeLinesAndNoFinalNewline) {
  ByteString garbage;
  for (int i = 0; i < 4096; ++i) garbage += static_cast<char>((i * 131 + 7) & 0xFF);
  IniFile g(garbage);
  g.WriteString("S", "k", "v");
  EXPECT_EQ(g.Value("S", "k"), "v");

  IniFile nul(ByteString("[S]\0\nk=a\0b\n", 11));
  EXPECT_EQ(nul.Value("S", "k"), ByteString("a\0b", 3));

  const ByteString big(1 << 20, 'x');
  IniFile huge("[S]\n" + big + "\nk=" + big + "\nend=1");
  EXPECT_EQ(huge.Value("S", "k")->size(), big.size());
  EXPECT_EQ(huge.Value("S", "end"), "1");

  IniFile cr("[S]\rk=1\rj=2");  // old Mac line ends
  EXPECT_EQ(cr.Value("S", "j"), "2");
  cr.WriteString("S", "k", "0");
  EXPECT_EQ(cr.Text(), "[S]\rk=0\rj=2");
}

}  // namespace
}  // namespace km27
