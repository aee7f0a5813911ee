#include "settings/SetupFile.h"

#include <gtest/gtest.h>

#include "settings/Define.h"
#include "settings/FileLocations.h"
#include "settings/Messages.h"
#include "tests/settings/SettingsTestSupport.h"

namespace km27 {
namespace {

using test::BoxRecorder;
using test::TempDir;
using test::TestFileSystem;

class SetupFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetSettingsToBuiltIn();
    ResetMessageTexts();
  }
  void Load(const ByteString& text) { LoadSettings(IniFile(text)); }
};

TEST_F(SetupFileTest, MissingSectionsGiveTheMissingDefaults) {
  Load("[Connection]\nPort=4\n");
  EXPECT_EQ(General.LanguageFile, "English.rlf");
  EXPECT_EQ(General.WizardStatus, "000");
  EXPECT_EQ(General.ConnectionCheck, "111");
  EXPECT_EQ(General.Interface, "SERIAL");
  EXPECT_EQ(General.Release, "Standard");
  EXPECT_EQ(General.SPSetting, "SP0FF");
  EXPECT_FALSE(General.AutoStart);
  EXPECT_EQ(General.ProtocolNo, 3);
  EXPECT_EQ(Serial.Port, 4);
  EXPECT_EQ(Serial.DataBits, 8);
  EXPECT_EQ(CommFormat.Header, "\x02");
  EXPECT_EQ(CommFormat.Separator, "\x1f");
  EXPECT_TRUE(CommFormat.BCCUse);
  EXPECT_EQ(CardData.Tracks, "1000");
  EXPECT_TRUE(CardData.SingleTrack);
  EXPECT_EQ(KeyData.BlockNum, 0);
  EXPECT_TRUE(KeyData.Blocks.empty());
}

TEST_F(SetupFileTest, ProtocolOnlyFromFiveCharacterValues) {
  struct Case {
    const char* value;
    int protocol;
    int dataBits;  // DataBits missing
  } cases[] = {{"RDLS1", 1, 7}, {"RDLS0", 0, 7}, {"RDLS3", 3, 8}, {"RDLS2", 3, 8},
               {"RDLSx", 3, 8}, {"RDL1", 3, 8},  {"RDLS01", 3, 8}, {"", 3, 8}};
  for (const auto& c : cases) {
    ResetSettingsToBuiltIn();
    Load(std::string("[General]\nProtocol=") + c.value + "\n");
    EXPECT_EQ(General.ProtocolNo, c.protocol) << c.value;
    EXPECT_EQ(Serial.DataBits, c.dataBits) << c.value;
  }
  ResetSettingsToBuiltIn();
  Load("[General]\nProtocol=RDLS1\n[Connection]\nDataBits=x\n");
  EXPECT_EQ(Serial.DataBits, 8);  // unparsable, whatever the protocol
}

TEST_F(SetupFileTest, ConnectionCheckIsAlwaysThreeCharacters) {
  const std::pair<const char*, const char*> cases[] = {
      {"0", "011"}, {"", "111"}, {"2", "211"}, {"1234", "123"}, {"010", "010"}, {"ab", "ab1"}};
  for (const auto& [value, expected] : cases) {
    Load(std::string("[General]\nConnectionCheck=") + value + "\n");
    EXPECT_EQ(General.ConnectionCheck, expected) << value;
  }
}

TEST_F(SetupFileTest, FlagsAreTrueOnlyForTheTextOne) {
  for (const char* v : {"true", "01", "yes", " ", "2"}) {
    Load(std::string("[General]\nAutoStart=") + v + "\n[TargetWindow]\nTargetLock=" + v + "\n");
    EXPECT_FALSE(General.AutoStart) << v;
    EXPECT_FALSE(gTargetLocked) << v;
  }
  Load("[General]\nAutoStart=1\n[TargetWindow]\nTargetLock=1\n");
  EXPECT_TRUE(General.AutoStart);
  EXPECT_TRUE(TargetWindow.TargetLock);
  EXPECT_TRUE(gTargetLocked);
}

TEST_F(SetupFileTest, TcpIpSkipsTheSerialKeysAndTheFormat) {
  Load("[General]\nInterface=TCP/IP\n[Connection]\nPort=5\nBaudRate=19200\nIPAddress=1.2.3.4\n"
       "[Format]\nHeader=[01]\nBCCByte=0\n");
  EXPECT_EQ(Serial.Port, 1);
  EXPECT_EQ(Serial.BaudRate, 9600);
  EXPECT_EQ(CommFormat.Header, "\x02");
  EXPECT_TRUE(CommFormat.BCCUse);
  IniFile out("");
  SaveSettings(out);
  EXPECT_EQ(out.Value("Connection", "Port"), "1");

  ResetSettingsToBuiltIn();
  Load("[General]\nInterface=tcp/ip\n[Connection]\nPort=5\n[Format]\nBCCByte=0\n");  // case counts
  EXPECT_EQ(Serial.Port, 5);
  EXPECT_FALSE(CommFormat.BCCUse);
}

TEST_F(SetupFileTest, FormatBytesDecodeWhileKeyNotationStaysLiteral) {
  Load("[Format]\nHeader=[02]A[0\nFooter=[0D][0A]\n[KeyData]\nHeader=[02]\nTerminator=[ENTER]\n");
  EXPECT_EQ(CommFormat.Header, "\x02" "A[0");
  EXPECT_EQ(CommFormat.Footer, "\r\n");
  EXPECT_EQ(KeyData.Header, "[02]");
  EXPECT_EQ(KeyData.Terminator, "[ENTER]");
}

TEST_F(SetupFileTest, BlocksUpToBlockNumWithDefaultsForMissingSections) {
  Load("[KeyData]\nBlockNum=2\n[BlockData:1]\nTrack=2\nAllData=0\nStart=3\nDigit=4\nBlockHeader=(\n"
       "[BlockData:3]\nTrack=3\n");
  ASSERT_EQ(KeyData.Blocks.size(), 2u);
  EXPECT_EQ(KeyData.Blocks[0].Track, 2);
  EXPECT_FALSE(KeyData.Blocks[0].AllData);
  EXPECT_EQ(KeyData.Blocks[0].Start, 3);
  EXPECT_EQ(KeyData.Blocks[0].Digit, 4);
  EXPECT_EQ(KeyData.Blocks[0].BlockHeader, "(");
  const TBlockData& b = KeyData.Blocks[1];
  EXPECT_EQ(b.Track, 1);
  EXPECT_EQ(b.Start, 0);
  EXPECT_EQ(b.Digit, 0);
  EXPECT_TRUE(b.AllData);
  EXPECT_EQ(b.BlockHeader, "");
  EXPECT_EQ(b.BlockFooter, "");

  for (const char* n : {"-3", "0", "junk"}) {
    Load(std::string("[KeyData]\nBlockNum=") + n + "\n[BlockData:1]\nTrack=2\n");
    EXPECT_TRUE(KeyData.Blocks.empty()) << n;
    EXPECT_EQ(KeyData.BlockNum, 0) << n;
  }
  Load("[KeyData]\nBlockNum=2147483647\n");  // a damaged count must not exhaust memory
  EXPECT_EQ(KeyData.Blocks.size(), static_cast<size_t>(KeyData.BlockNum));
  EXPECT_LE(KeyData.BlockNum, 999);
}

TEST_F(SetupFileTest, PresentButEmptyIsNotMissingAndBadIntegersTakeTheirOwnFallback) {
  // "=" with nothing after it: the empty text for text keys, the fallback for integers.
  Load("[General]\nLanguageFile=\nWizardStatus=\nSPSetting=\nRelease=\nInterface=\n"
       "[Connection]\nPort=\nBaudRate=\nDataBits=\nParity=\nStopBit=\nFlowControl=\nReciveBuffTime=\n"
       "[Format]\nHeader=\nEndCode=\nSeparator=\nBCCType=\nBCCByte=\nBCCStart=\n"
       "[CardData]\nTracks=\nTrackUse=\nSingleTrack=\n"
       "[KeyData]\nBlockNum=1\n[BlockData:1]\nTrack=\nStart=\nDigit=\nAllData=\n");
  EXPECT_EQ(General.LanguageFile, "");
  EXPECT_EQ(General.WizardStatus, "");
  EXPECT_EQ(General.SPSetting, "");
  EXPECT_EQ(General.Release, "");
  EXPECT_EQ(General.Interface, "");
  EXPECT_EQ(CommFormat.Header, "");
  EXPECT_EQ(CommFormat.EndCode, "");
  EXPECT_EQ(CommFormat.Separator, "");
  EXPECT_EQ(CardData.Tracks, "");
  EXPECT_EQ(CardData.TrackUse, "");
  EXPECT_FALSE(CardData.SingleTrack);
  const auto expectFallbacks = [] {
    EXPECT_EQ(Serial.Port, 1);
    EXPECT_EQ(Serial.BaudRate, 9600);
    EXPECT_EQ(Serial.DataBits, 8);
    EXPECT_EQ(Serial.Parity, 1);
    EXPECT_EQ(Serial.StopBit, 1);
    EXPECT_EQ(Serial.FlowControl, 0);
    EXPECT_EQ(Serial.ReciveBuffTime, 80);
    EXPECT_EQ(CommFormat.BCCType, 1);
    EXPECT_EQ(CommFormat.BCCByte, 1);
    EXPECT_EQ(CommFormat.BCCStart, 2);
    EXPECT_TRUE(CommFormat.BCCUse);
    ASSERT_EQ(KeyData.Blocks.size(), 1u);
    EXPECT_EQ(KeyData.Blocks[0].Track, 1);
    EXPECT_EQ(KeyData.Blocks[0].Start, 0);
    EXPECT_EQ(KeyData.Blocks[0].Digit, 0);
  };
  expectFallbacks();
  EXPECT_FALSE(KeyData.Blocks[0].AllData);

  // Set every integer away from its fallback first, so that a kept value cannot pass for it.
  Load("[General]\nProtocol=RDLS1\n[Connection]\nPort=9\nBaudRate=1200\nDataBits=5\nParity=0\nStopBit=2\n"
       "FlowControl=1\nReciveBuffTime=5\n[Format]\nBCCType=2\nBCCByte=0\nBCCStart=1\n"
       "[KeyData]\nBlockNum=1\n[BlockData:1]\nTrack=3\nStart=4\nDigit=5\n");
  Load("[General]\nProtocol=RDLS1\n[Connection]\nPort=COM2\nBaudRate=9600bps\nDataBits=seven\nParity=even\n"
       "StopBit=1.5\nFlowControl=on\nReciveBuffTime=0x50\n[Format]\nBCCType=xor\nBCCByte=one\nBCCStart=+\n"
       "[KeyData]\nBlockNum=1\n[BlockData:1]\nTrack=T1\nStart=-\nDigit=99999999999\n");
  expectFallbacks();
}

TEST_F(SetupFileTest, SeriesExpandsLineBreaks) {
  Load("[General]\nSeries=KM-27\\nreader\n");
  EXPECT_EQ(General.Series, "KM-27\r\nreader");
}

TEST_F(SetupFileTest, SaveWritesOnlyTheSavedKeysInOrder) {
  General.LanguageFile = "Japanese.rlf";
  General.AutoStart = true;
  General.SPSetting = "SP0AB";
  General.WizardStatus = "111";
  General.Release = "ProbeMode";  // never saved
  Serial.Port = 7;
  Serial.BaudRate = 19200;  // never saved
  CardData.Tracks = "1100";
  CardData.TrackUse = "0100";
  CardData.SingleTrack = false;
  KeyData.Header = "[02]";
  KeyData.Terminator = "[ENTER]";
  KeyData.BlockNum = 1;
  KeyData.Blocks = {TBlockData{2, false, 3, 4, "<", ">"}};
  TargetWindow.CheckClassName = true;
  TargetWindow.ClassName = "Notepad";
  TargetWindow.TargetLock = true;
  IniFile ini("");
  SaveSettings(ini);
  EXPECT_EQ(ini.Text(),
            "[General]\r\nLanguageFile=Japanese.rlf\r\nAutoStart=1\r\nSPSetting=SP0AB\r\nWizardStatus=111\r\n\r\n"
            "[Connection]\r\nPort=7\r\n\r\n"
            "[CardData]\r\nTracks=1100\r\nTrackUse=0100\r\nSingleTrack=0\r\n\r\n"
            "[KeyData]\r\nHeader=[02]\r\nTrackSeparator=\r\nTerminator=[ENTER]\r\nBlockNum=1\r\n\r\n"
            "[BlockData:1]\r\nBlockHeader=<\r\nBlockFooter=>\r\nTrack=2\r\nStart=3\r\nDigit=4\r\nAllData=0\r\n\r\n"
            "[TargetWindow]\r\nCheckHWND=0\r\nCheckClassName=1\r\nCheckWindowTitle=0\r\nTargetLock=1\r\nHWND=\r\n"
            "ClassName=Notepad\r\nWindowTitle=\r\n");
}

// ---- files ----

class SetupFileOnDisk : public SetupFileTest {
 protected:
  TempDir dir;
  TestFileSystem fs{dir};
  BoxRecorder boxes;
};

TEST_F(SetupFileOnDisk, FileNamesFollowTheExecutable) {
  EXPECT_EQ(SetupFileName(), dir.Path("KM27.ini"));
  EXPECT_EQ(DefaultFileName(), dir.Path("KM27.ni"));
}

TEST_F(SetupFileOnDisk, SettingsKeptApartFromAnInstallationAreMadeFromItsDefaultCopy) {
  std::filesystem::create_directories(dir.Path("share"));
  std::filesystem::create_directories(dir.Path("config"));
  dir.Write("share/KM27.ni", "[General]\r\nAutoStart=1\r\n");
  SetFileLocations(FileLocations{dir.Path("config/KM27.ini"), dir.Path("share/KM27.ni"), dir.Path("share/")});
  EnsureSetupFile();
  SetFileLocations(std::nullopt);
  EXPECT_EQ(dir.Read("config/KM27.ini"), "[General]\r\nAutoStart=1\r\n");
  EXPECT_FALSE(dir.Exists("KM27.ini"));
}

TEST_F(SetupFileOnDisk, EnsureCopiesTheDefaultOnlyWhenTheSettingsFileIsMissing) {
  dir.Write("KM27.ni", "[General]\r\nAutoStart=1\r\n");
  EnsureSetupFile();
  EXPECT_EQ(dir.Read("KM27.ini"), "[General]\r\nAutoStart=1\r\n");
  dir.Write("KM27.ini", "[General]\r\nAutoStart=0\r\n");
  EnsureSetupFile();
  EXPECT_EQ(dir.Read("KM27.ini"), "[General]\r\nAutoStart=0\r\n");
  EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(SetupFileOnDisk, MissingDefaultCopyOrSettingsFileIsReported) {
  dir.Write("KM27.ini", "[General]\r\nAutoStart=1\r\n");
  EnsureSetupFile();  // reported even though the settings file exists
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].text, "Setup file is not found.");
  EXPECT_EQ(boxes.boxes[0].icon, ui::MsgIcon::Confirmation);

  std::filesystem::remove(dir.Path("KM27.ini"));
  boxes.boxes.clear();
  LoadSetupFile();
  SaveSetupFile();
  ASSERT_EQ(boxes.boxes.size(), 2u);
  EXPECT_EQ(boxes.boxes[0].text, "Setup file is not found.");
  EXPECT_EQ(boxes.boxes[1].text, "Setup file is not found.");
  EXPECT_FALSE(dir.Exists("KM27.ini"));  // saving never creates it
  EXPECT_EQ(General.WizardStatus, "000");
}

// A file system whose copy fails the way a full or read-only disk does.
class FailingCopy : public TestFileSystem {
 public:
  using TestFileSystem::TestFileSystem;
  bool CopyNoOverwrite(const std::string&, const std::string& to) override {
    throw FileError("Cannot create " + to + ": No space left on device");
  }
};

TEST_F(SetupFileTest, FailedCopyIsReportedWithTheSystemText) {
  TempDir dir;
  FailingCopy fs(dir);
  BoxRecorder boxes;
  dir.Write("KM27.ni", "[General]\r\n");
  EnsureSetupFile();
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].icon, ui::MsgIcon::Warning);
  EXPECT_EQ(boxes.boxes[0].text, "Cannot create " + dir.Path("KM27.ini") + ": No space left on device");

  gstrLoadErrorIniFile = "The setup file could not be created.";
  EnsureSetupFile();
  EXPECT_EQ(boxes.boxes[1].text.find("The setup file could not be created.\r\nCannot create"), 0u);
  EXPECT_FALSE(dir.Exists("KM27.ini"));
}

TEST_F(SetupFileOnDisk, SaveAndLoadKeepCommentsUnknownKeysAndSections) {
  const std::string original =
      "; KM-27 settings\r\n"
      "[General]\r\n"
      "Title=KM-27\r\n"
      "LanguageFile=English.rlf\r\n"
      "AutoStart=0\r\n"
      "MainFormHide=1\r\n"
      "\r\n"
      "; the reader\r\n"
      "[Connection]\r\n"
      "C/S=C\r\n"
      "Port=2\r\n"
      "[Protocol RDLS3]\r\n"
      "Count=2\r\n"
      "event1=x\r\n"
      "[KeyData]\r\n"
      "BlockNum=3\r\n"
      "[BlockData:1]\r\nTrack=1\r\n"
      "[BlockData:2]\r\nTrack=2\r\n"
      "[BlockData:3]\r\nTrack=3\r\n";
  dir.Write("KM27.ini", original);
  LoadSetupFile();
  ASSERT_EQ(KeyData.Blocks.size(), 3u);
  EXPECT_EQ(Serial.Port, 2);

  General.AutoStart = true;
  KeyData.BlockNum = 1;
  KeyData.Blocks.resize(1);
  SaveSetupFile();
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].text, "Save setup data");
  EXPECT_EQ(boxes.boxes[0].icon, ui::MsgIcon::Confirmation);

  const std::string saved = dir.Read("KM27.ini");
  for (const char* kept : {"; KM-27 settings\r\n[General]\r\nTitle=KM-27\r\n", "MainFormHide=1\r\n",
                           "\r\n; the reader\r\n[Connection]\r\nC/S=C\r\nPort=2\r\n[Protocol RDLS3]\r\nCount=2\r\nevent1=x\r\n",
                           "[BlockData:2]\r\nTrack=2\r\n[BlockData:3]\r\nTrack=3\r\n"})
    EXPECT_NE(saved.find(kept), std::string::npos) << kept;
  EXPECT_NE(saved.find("AutoStart=1\r\n"), std::string::npos);
  EXPECT_NE(saved.find("BlockNum=1\r\n"), std::string::npos);

  ResetSettingsToBuiltIn();
  LoadSetupFile();
  EXPECT_TRUE(General.AutoStart);
  EXPECT_EQ(KeyData.Blocks.size(), 1u);  // blocks 2 and 3 stay in the file, unread

  // Saving unchanged settings again changes nothing.
  SaveSetupFile();
  EXPECT_EQ(dir.Read("KM27.ini"), saved);
}

TEST_F(SetupFileOnDisk, Utf8FileIsReadWholeAndUtf16FileIsNamedAndNeverWrittenInto) {
  const std::string utf8 = "\xEF\xBB\xBF[General]\r\nWizardStatus=111\r\n";
  dir.Write("KM27.ini", utf8);
  LoadSetupFile();
  SaveSetupFile();
  EXPECT_EQ(General.WizardStatus, "111");
  EXPECT_EQ(dir.Read("KM27.ini").find(utf8), 0u);
  EXPECT_EQ(dir.Read("KM27.ini").rfind("[General]"), 3u);  // no second one
  for (const std::string& utf16 : {std::string("\xFF\xFE[\0G\0]\0", 8), std::string("\xFE\xFF\0[\0G\0]", 8)}) {
    dir.Write("KM27.ini", utf16);
    boxes.boxes.clear();
    LoadSetupFile();
    SaveSetupFile();
    EXPECT_EQ(dir.Read("KM27.ini"), utf16);
    ASSERT_EQ(boxes.boxes.size(), 2u);  // no "Save setup data"
    EXPECT_NE(boxes.boxes[1].text.find(dir.Path("KM27.ini")), std::string::npos);
    EXPECT_NE(boxes.boxes[1].text.find("ANSI or UTF-8"), std::string::npos);
  }
}

TEST_F(SetupFileOnDisk, SaveInterruptedBeforeTheRenameLeavesTheOldFile) {
  const std::string original = "[General]\r\nAutoStart=0\r\n; note\r\n";
  dir.Write("KM27.ini", original);
  General.AutoStart = true;
  fs.interruptBeforeRename = true;
  SaveSetupFile();
  EXPECT_EQ(dir.Read("KM27.ini"), original);
  EXPECT_EQ(dir.Names().size(), 1u);  // no temporary file left behind
  ASSERT_EQ(boxes.boxes.size(), 1u);  // the failure, and no "Save setup data"
  EXPECT_EQ(boxes.boxes[0].icon, ui::MsgIcon::Warning);
  EXPECT_NE(boxes.boxes[0].text.find("Interrupted"), std::string::npos);
}

TEST_F(SetupFileOnDisk, BadFilesLoadWithTheirFallbacks) {
  std::string garbage;
  for (int i = 0; i < 70000; ++i) garbage += static_cast<char>((i * 7919) >> 3);
  static const char withNul[] = "[General]\0\nAutoStart=1\0\n[KeyData]\nBlockNum=1";
  const std::string cases[] = {
      garbage,
      std::string(withNul, sizeof withNul - 1),
      "[General]\nLanguageFile=" + std::string(1 << 20, 'L') + "\nAutoStart=1",
      "[General]\nAutoStart=1\n[General]\nAutoStart=0\nWizardStatus=111",
  };
  for (const auto& c : cases) {
    dir.Write("KM27.ini", c);
    ResetSettingsToBuiltIn();
    LoadSetupFile();
    SaveSetupFile();
    EXPECT_EQ(General.ConnectionCheck.size(), 3u);
    EXPECT_EQ(KeyData.Blocks.size(), static_cast<size_t>(KeyData.BlockNum));
  }
  EXPECT_FALSE(General.AutoStart);  // the later duplicate wins
  EXPECT_EQ(General.WizardStatus, "111");
  EXPECT_EQ(boxes.boxes.size(), 4u);  // one "Save setup data" each
}

}  // namespace
}  // namespace km27
