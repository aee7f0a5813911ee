// The Win32 file services, the version resource and the settings file beside
// a copy of this program, under Wine.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "settings/Define.h"
#include "settings/Language.h"
#include "settings/Messages.h"
#include "settings/SetupFile.h"
#include "settings/Version.h"
#include "settings/VersionText.h"
#include "settings/win32/Win32FileSystem.h"
#include "tests/settings/SettingsTestSupport.h"

namespace km27 {
namespace {

#define STR2(x) #x
#define STR(x) STR2(x)
const char* kVersion = STR(KM27_VER_MAJOR) "." STR(KM27_VER_MINOR) "." STR(KM27_VER_PATCH) "." STR(KM27_VER_TWEAK);

std::string DataFile(const std::string& name) {
  std::string path = std::string("Z:") + KM27_DATA_DIR + "/" + name;
  for (auto& c : path)
    if (c == '/') c = '\\';
  return path;
}

std::string SelfPath() {
  char buf[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, buf, MAX_PATH);
  return std::string(buf, n);
}

std::string ReadAll(const std::string& path) {
  Win32FileSystem fs;
  return fs.ReadWholeFile(path);
}

// A fresh directory with a copy of this program as KM27.exe.
class ProgramDir {
 public:
  ProgramDir() {
    char tmp[MAX_PATH];
    GetTempPathA(MAX_PATH, tmp);
    dir_ = std::string(tmp) + "km27set" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(counter_++) + "\\";
    CreateDirectoryA(dir_.c_str(), nullptr);
    EXPECT_TRUE(CopyFileA(SelfPath().c_str(), Path("KM27.exe").c_str(), FALSE));
  }
  ~ProgramDir() {
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((dir_ + "*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
      do {
        DeleteFileA((dir_ + fd.cFileName).c_str());
      } while (FindNextFileA(h, &fd));
      FindClose(h);
    }
    RemoveDirectoryA(dir_.c_str());
  }
  std::string Path(const std::string& name) const { return dir_ + name; }
  void Put(const std::string& name, const std::string& bytes) const {
    FILE* f = std::fopen(Path(name).c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
  }
  bool Exists(const std::string& name) const { return GetFileAttributesA(Path(name).c_str()) != INVALID_FILE_ATTRIBUTES; }

 private:
  static inline int counter_ = 0;
  std::string dir_;
};

class StoppableFileSystem : public Win32FileSystem {
 public:
  using Win32FileSystem::Win32FileSystem;
  bool interruptBeforeRename = false;

 protected:
  void RenameOver(const std::string& temp, const std::string& path) override {
    if (interruptBeforeRename) throw FileError("Interrupted before replacing " + path);
    Win32FileSystem::RenameOver(temp, path);
  }
};

TEST(Win32Version, ReadsItsOwnResourceAndFileDate) {
  InstallWin32SettingsServices();
  ReadVersionInfo();
  EXPECT_EQ(VersionInfo.ProductVersion, kVersion);
  EXPECT_EQ(VersionInfo.FileDescription, KM27_FILE_DESCRIPTION);
  EXPECT_EQ(VersionInfo.LegalCopyright, KM27_LEGAL_COPYRIGHT);
  EXPECT_EQ(VersionInfo.OriginalFileName, KM27_ORIGINAL_FILENAME);

  WIN32_FILE_ATTRIBUTE_DATA data;
  ASSERT_TRUE(GetFileAttributesExA(SelfPath().c_str(), GetFileExInfoStandard, &data));
  FILETIME local;
  SYSTEMTIME st;
  FileTimeToLocalFileTime(&data.ftLastWriteTime, &local);
  FileTimeToSystemTime(&local, &st);
  char expected[16];
  std::snprintf(expected, sizeof expected, "%04u/%02u/%02u", st.wYear, st.wMonth, st.wDay);
  EXPECT_EQ(VersionInfo.FileDate, expected);
  SetFileSystem(nullptr);
  SetVersionSource(nullptr);
}

TEST(Win32Version, FileDateIsTheLocalLastWriteDate) {
  ProgramDir dir;
  {
    HANDLE h = CreateFileA(dir.Path("KM27.exe").c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    SYSTEMTIME st{};
    st.wYear = 2017;
    st.wMonth = 3;
    st.wDay = 7;
    st.wHour = 12;
    FILETIME local, utc;
    SystemTimeToFileTime(&st, &local);
    LocalFileTimeToFileTime(&local, &utc);
    EXPECT_TRUE(SetFileTime(h, nullptr, nullptr, &utc));
    CloseHandle(h);
  }
  Win32FileSystem fs(dir.Path("KM27.exe"));
  Win32VersionSource version(dir.Path("KM27.exe"));
  SetFileSystem(&fs);
  SetVersionSource(&version);
  ReadVersionInfo();
  EXPECT_EQ(VersionInfo.FileDate, "2017/03/07");
  EXPECT_EQ(VersionInfo.ProductVersion, kVersion);
  SetFileSystem(nullptr);
  SetVersionSource(nullptr);
}

class Win32SetupFile : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetSettingsToBuiltIn();
    ResetMessageTexts();
    ASSERT_TRUE(CopyFileA(DataFile("KM27.ni").c_str(), dir.Path("KM27.ni").c_str(), FALSE));
    SetFileSystem(&fs);
  }
  void TearDown() override { SetFileSystem(nullptr); }
  ProgramDir dir;
  StoppableFileSystem fs{dir.Path("KM27.exe")};
  test::BoxRecorder boxes;
};

TEST_F(Win32SetupFile, CreatedFromTheDefaultCopyOnFirstStartAndSurvivesASave) {
  ASSERT_FALSE(dir.Exists("KM27.ini"));
  EnsureSetupFile();
  const std::string factory = ReadAll(dir.Path("KM27.ni"));
  EXPECT_EQ(ReadAll(dir.Path("KM27.ini")), factory);
  LoadSetupFile();
  EXPECT_EQ(General.WizardStatus, "000");
  EXPECT_EQ(General.LanguageFile, "English.rlf");

  General.WizardStatus = "111";
  General.AutoStart = true;
  Serial.Port = 4;
  KeyData.BlockNum = 1;
  KeyData.Blocks = {TBlockData{}};
  SaveSetupFile();
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].text, "Save setup data");

  const std::string saved = ReadAll(dir.Path("KM27.ini"));
  EXPECT_EQ(saved.substr(0, saved.find("[General]")), factory.substr(0, factory.find("[General]")));  // comments
  EXPECT_NE(saved.find("\r\nWizardStatus=111\r\n"), std::string::npos);
  EXPECT_FALSE(dir.Exists("KM27.ini.new"));
  EXPECT_EQ(ReadAll(dir.Path("KM27.ni")), factory);  // the default copy is never written

  ResetSettingsToBuiltIn();
  EnsureSetupFile();  // an existing settings file is not replaced
  LoadSetupFile();
  EXPECT_EQ(General.WizardStatus, "111");
  EXPECT_TRUE(General.AutoStart);
  EXPECT_EQ(Serial.Port, 4);
  EXPECT_EQ(KeyData.Blocks.size(), 1u);
}

TEST_F(Win32SetupFile, InterruptedSaveLeavesTheOldFile) {
  EnsureSetupFile();
  const std::string before = ReadAll(dir.Path("KM27.ini"));
  General.AutoStart = true;
  fs.interruptBeforeRename = true;
  SaveSetupFile();
  EXPECT_EQ(ReadAll(dir.Path("KM27.ini")), before);
  EXPECT_FALSE(dir.Exists("KM27.ini.new"));
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].icon, ui::MsgIcon::Warning);
}

TEST_F(Win32SetupFile, MissingDefaultCopyIsReported) {
  DeleteFileA(dir.Path("KM27.ni").c_str());
  EnsureSetupFile();
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].text, "Setup file is not found.");
  EXPECT_FALSE(dir.Exists("KM27.ini"));
}

TEST_F(Win32SetupFile, LanguageFilesBesideTheProgram) {
  ASSERT_TRUE(CopyFileA(DataFile("English.rlf").c_str(), dir.Path("English.rlf").c_str(), FALSE));
  ASSERT_TRUE(CopyFileA(DataFile("Japanese.rlf").c_str(), dir.Path("Japanese.rlf").c_str(), FALSE));
  dir.Put("Old.rlfx", "[General]\r\nLanguageName=Old\r\n");
  General.LanguageFile = "English.rlf";
  BuildLanguageList();
  EXPECT_EQ(LanguageFiles.size(), 2u);
  EXPECT_EQ(gstrStop, "Serial to Key Converter was stopped.");  // English.rlf's wording
  LanguageFiles.clear();
}

}  // namespace
}  // namespace km27
