// The files that ship beside KM27.exe.
#include <gtest/gtest.h>

#include <fstream>
#include <set>

#include "settings/Define.h"
#include "settings/IniFile.h"
#include "settings/Messages.h"
#include "settings/SetupFile.h"

namespace km27 {
namespace {

ByteString ReadData(const std::string& name) {
  std::ifstream in(std::string(KM27_DATA_DIR) + "/" + name, std::ios::binary);
  EXPECT_TRUE(in.good()) << name;
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(DataFiles, DefaultCopyHoldsEveryKeyWithItsFactoryValue) {
  const IniFile ini(ReadData("KM27.ni"));
  const std::pair<const char*, const char*> keys[] = {
      {"General", "Series"},          {"General", "Interface"},       {"General", "Protocol"},
      {"General", "LanguageFile"},    {"General", "Release"},         {"General", "AutoStart"},
      {"General", "SPSetting"},       {"General", "WizardStatus"},    {"General", "ConnectionCheck"},
      {"Connection", "Port"},         {"Connection", "BaudRate"},     {"Connection", "DataBits"},
      {"Connection", "Parity"},       {"Connection", "StopBit"},      {"Connection", "FlowControl"},
      {"Connection", "ReciveBuffTime"}, {"Format", "Header"},         {"Format", "EndCode"},
      {"Format", "Footer"},           {"Format", "Separator"},        {"Format", "BCCType"},
      {"Format", "BCCByte"},          {"Format", "BCCStart"},         {"CardData", "Tracks"},
      {"CardData", "TrackUse"},       {"CardData", "SingleTrack"},    {"KeyData", "Header"},
      {"KeyData", "TrackSeparator"},  {"KeyData", "Terminator"},      {"KeyData", "BlockNum"},
      {"TargetWindow", "CheckHWND"},  {"TargetWindow", "CheckClassName"}, {"TargetWindow", "CheckWindowTitle"},
      {"TargetWindow", "HWND"},       {"TargetWindow", "ClassName"},  {"TargetWindow", "WindowTitle"},
      {"TargetWindow", "TargetLock"}};
  for (const auto& [s, k] : keys) EXPECT_TRUE(ini.Value(s, k).has_value()) << s << "/" << k;

  ResetSettingsToBuiltIn();
  LoadSettings(ini);
  EXPECT_EQ(General.WizardStatus, "000");
  EXPECT_EQ(General.Release, "Standard");
  EXPECT_EQ(General.LanguageFile, "English.rlf");
  EXPECT_EQ(General.ConnectionCheck, "111");
  EXPECT_EQ(General.ProtocolNo, 3);
  EXPECT_EQ(Serial.Port, 1);
  EXPECT_EQ(Serial.ReciveBuffTime, 80);
  EXPECT_EQ(CommFormat.Header, "\x02");
  EXPECT_EQ(CommFormat.EndCode, "\x03");
  EXPECT_EQ(CommFormat.Separator, "\x1f");
  EXPECT_EQ(CardData.TrackUse, "1000");
  EXPECT_TRUE(CardData.SingleTrack);
}

class LanguageFileTest : public ::testing::TestWithParam<const char*> {};

TEST_P(LanguageFileTest, CarriesEveryMessageWithWordingAndTheMainTitle) {
  const IniFile ini(ReadData(GetParam()));
  for (const auto& m : MessageTexts()) {
    auto v = ini.Value("Messages", m.key);
    ASSERT_TRUE(v.has_value()) << m.key;
    EXPECT_FALSE(v->empty()) << m.key;
  }
  // A second copy finds the first by this title.
  EXPECT_EQ(ini.Value("Form.Caption", "frmMain"), "ORVANE KM-27");
  for (const char* k : {"frmOption", "frmKeyCode", "frmComm", "frmReadData", "frmWizard"})
    EXPECT_TRUE(ini.Value("Form.Caption", k).has_value()) << k;
  for (const char* k : {"actShowMonitor", "actShowMain", "actHideMain", "actShowOption", "actWizard", "actStart",
                        "actStop", "actClose"})
    EXPECT_TRUE(ini.Value("Main.Action", k).has_value()) << k;
  for (const char* k : {"btnClear", "btnClose", "chkType", "Label2"})
    EXPECT_TRUE(ini.Value("Comm.Button", k).has_value()) << k;
  for (const char* k : {"btnOK", "btnCancel", "btnClear"}) EXPECT_TRUE(ini.Value("KeyCode.Button", k).has_value()) << k;
  EXPECT_FALSE(ini.ReadString("KeyCode.Label", "lblNote", "").empty());
  EXPECT_EQ(ini.SectionLines("KeyCode.lvwKeyTable").size(), 2u);  // both columns
  for (const char* k : {"lblCardData", "lblBlockStart", "lblBlockDigit", "lblNote"})
    EXPECT_TRUE(ini.Value("ReadData.Label", k).has_value()) << k;
  EXPECT_FALSE(ini.ReadString("General", "LanguageName", "").empty());
  EXPECT_EQ(ByteString(GetParam()), ini.ReadString("General", "LanguageName", "") + ".rlf");
}

INSTANTIATE_TEST_SUITE_P(Shipped, LanguageFileTest, ::testing::Values("English.rlf", "Japanese.rlf"));

TEST(DataFiles, JapaneseIsShiftJis) {
  const ByteString text = ReadData("Japanese.rlf");
  // "開始" in code page 932.
  EXPECT_NE(text.find("\x8a\x4a\x8e\x6e"), ByteString::npos);
  const IniFile ini(text);
  EXPECT_EQ(ini.Value("General", "FontCharSet"), "128");
  EXPECT_EQ(ini.Value("Main.SpeedButton", "spbStart"), "\x8a\x4a\x8e\x6e");
}

}  // namespace
}  // namespace km27
