#include "settings/FileSystem.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "settings/FileLocations.h"
#include "tests/settings/SettingsTestSupport.h"

namespace km27 {
namespace {

TEST(FileNames, ExtensionAndDirectory) {
  EXPECT_EQ(ChangeFileExt("C:\\Program Files\\KM27\\KM27.exe", ".ini"), "C:\\Program Files\\KM27\\KM27.ini");
  EXPECT_EQ(ChangeFileExt("C:\\a.b\\KM27", ".ni"), "C:\\a.b\\KM27.ni");
  EXPECT_EQ(ChangeFileExt("/opt/km.27/km27", ".ini"), "/opt/km.27/km27.ini");
  EXPECT_EQ(ExtractFilePath("C:\\KM27\\KM27.exe"), "C:\\KM27\\");
  EXPECT_EQ(ExtractFilePath("KM27.exe"), "");
}

TEST(PosixFileSystem, ListsLanguageFilesOnly) {
  test::TempDir dir;
  test::TestFileSystem fs(dir);
  dir.Write("English.rlf", "");
  dir.Write("UPPER.RLF", "");
  dir.Write("old.rlfx", "");
  dir.Write(".rlf", "");
  std::filesystem::create_directories(dir.Path("folder.rlf"));
  auto names = fs.ListFiles(ExtractFilePath(fs.ExecutablePath()), ".rlf");
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"English.rlf", "UPPER.RLF"}));
}

TEST(PosixFileSystem, CopyNeverOverwritesAndAtomicWriteKeepsThePermissions) {
  test::TempDir dir;
  test::TestFileSystem fs(dir);
  dir.Write("a", "new");
  dir.Write("b", "old");
  EXPECT_FALSE(fs.CopyNoOverwrite(dir.Path("a"), dir.Path("b")));
  EXPECT_EQ(dir.Read("b"), "old");
  EXPECT_TRUE(fs.CopyNoOverwrite(dir.Path("a"), dir.Path("c")));
  EXPECT_EQ(dir.Read("c"), "new");
  EXPECT_THROW(fs.CopyNoOverwrite(dir.Path("missing"), dir.Path("d")), FileError);
  EXPECT_FALSE(dir.Exists("d"));

  using std::filesystem::perms;
  std::filesystem::permissions(dir.Path("b"), perms::owner_read | perms::owner_write | perms::group_read);
  fs.WriteFileAtomic(dir.Path("b"), "replaced");
  EXPECT_EQ(dir.Read("b"), "replaced");
  EXPECT_EQ(std::filesystem::status(dir.Path("b")).permissions(),
            perms::owner_read | perms::owner_write | perms::group_read);
  EXPECT_EQ(dir.Names().size(), 3u);  // a, b, c: no temporary files left
  EXPECT_THROW(fs.ReadWholeFile(dir.Path("missing")), FileError);
}

TEST(FileLocations, BesideAWritableProgramElseInTheUsersConfigurationFolder) {
  test::TempDir dir;
  PosixFileSystem fs;
  const std::string data = dir.Path("share/km27");
  std::filesystem::create_directory(dir.Path("usr"));  // writable (to root), but no portable copy
  EXPECT_EQ(ChooseFileLocations(fs, dir.Path("usr/km27"), {dir.Path("usr/cfg"), "", data}).settingsFile,
            dir.Path("usr/cfg/km27/KM27.ini"));
  dir.Write("KM27.ni", "");
  const FileLocations beside = ChooseFileLocations(fs, dir.Path("km27"), {dir.Path("cfg"), dir.Path("home"), data});
  EXPECT_EQ(beside.settingsFile, dir.Path("KM27.ini"));
  EXPECT_EQ(beside.defaultFile, dir.Path("KM27.ni"));
  EXPECT_EQ(beside.languageFolder, dir.Path());
  EXPECT_FALSE(dir.Exists("cfg"));

  const std::string installed = dir.Path("bin/km27");  // a folder that takes no files
  const struct {
    std::string configHome, home, settingsFile;
  } rows[] = {
      {dir.Path("cfg"), dir.Path("home"), dir.Path("cfg/km27/KM27.ini")},
      {"cfg", dir.Path("home"), dir.Path("home/.config/km27/KM27.ini")},  // a relative path does not count
      {"", dir.Path("home") + "/", dir.Path("home/.config/km27/KM27.ini")},
  };
  for (const auto& r : rows) {
    const FileLocations l = ChooseFileLocations(fs, installed, {r.configHome, r.home, data});
    EXPECT_EQ(l.settingsFile, r.settingsFile);
    EXPECT_EQ(l.defaultFile, data + "/KM27.ni");
    EXPECT_EQ(l.languageFolder, data + "/");
    EXPECT_EQ(std::filesystem::status(ExtractFilePath(l.settingsFile)).permissions(),
              std::filesystem::perms::owner_all);
  }
  EXPECT_THROW(ChooseFileLocations(fs, installed, {"", "", data}), FileError);
  dir.Write("plain", "");
  EXPECT_THROW(ChooseFileLocations(fs, installed, {dir.Path("plain"), "", data}), FileError);
}

}  // namespace
}  // namespace km27
