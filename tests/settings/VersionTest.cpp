#include "settings/Version.h"

#include <gtest/gtest.h>

#include "settings/FileSystem.h"

namespace km27 {
namespace {

class ScriptedVersionSource : public IVersionSource {
 public:
  ScriptedVersionSource() { SetVersionSource(this); }
  ~ScriptedVersionSource() override { SetVersionSource(nullptr); }
  bool HasResource() override { return hasResource; }
  std::optional<std::string> Query(const std::string& block, const std::string& name) override {
    queries.push_back(block + "\\" + name);
    if (block != this->block) return std::nullopt;
    auto it = strings.find(name);
    return it == strings.end() ? std::nullopt : std::optional<std::string>(it->second);
  }
  bool hasResource = true;
  std::string block = "040904E4";
  std::map<std::string, std::string> strings;
  std::vector<std::string> queries;
};

class DatedFileSystem : public IFileSystem {
 public:
  DatedFileSystem() { SetFileSystem(this); }
  ~DatedFileSystem() override { SetFileSystem(nullptr); }
  std::string ExecutablePath() override { return "C:\\Apps\\KM27.exe"; }
  bool FileExists(const std::string&) override { return true; }
  bool CopyNoOverwrite(const std::string&, const std::string&) override { return false; }
  ByteString ReadWholeFile(const std::string&) override { return {}; }
  void WriteFileAtomic(const std::string&, const ByteString&) override {}
  std::vector<std::string> ListFiles(const std::string&, const std::string&) override { return {}; }
  std::optional<LocalDate> LastWriteDate(const std::string& path) override {
    asked = path;
    return date;
  }
  std::optional<LocalDate> date = LocalDate{2017, 3, 7};
  std::string asked;
};

TEST(Version, StringsFromTheUsEnglishBlockAndTheFileDate) {
  ScriptedVersionSource source;
  DatedFileSystem fs;
  source.strings = {{"FileDescription", "Serial to Keyboard"}, {"ProductVersion", "1.1.0.0"},
                    {"LegalCopyright", "(C) ORVANE"}};
  ReadVersionInfo();
  EXPECT_EQ(VersionInfo.ProductVersion, "1.1.0.0");
  EXPECT_EQ(VersionInfo.FileDescription, "Serial to Keyboard");
  EXPECT_EQ(VersionInfo.LegalCopyright, "(C) ORVANE");
  EXPECT_EQ(VersionInfo.OriginalFileName, "");  // not in the resource
  EXPECT_EQ(DateFormat, "yyyy/mm/dd");
  EXPECT_EQ(VersionInfo.FileDate, "2017/03/07");
  EXPECT_EQ(fs.asked, "C:\\Apps\\KM27.exe");
  EXPECT_EQ(source.queries.front(), "040904E4\\FileDescription");
}

TEST(Version, OtherBlockOrNoResourceLeavesTheStringsEmpty) {
  ScriptedVersionSource source;
  DatedFileSystem fs;
  source.block = "041104B0";
  source.strings = {{"ProductVersion", "1.1.0.0"}};
  ReadVersionInfo();
  EXPECT_EQ(VersionInfo.ProductVersion, "");

  source.hasResource = false;
  source.queries.clear();
  fs.date.reset();
  ReadVersionInfo();
  EXPECT_TRUE(source.queries.empty());
  EXPECT_EQ(VersionInfo.FileDate, "");
  EXPECT_EQ(DateFormat, "yyyy/mm/dd");
}

TEST(Version, BuildConstantsStandInWithoutAResource) {
  DatedFileSystem fs;
  ReadVersionInfo();
  EXPECT_EQ(VersionInfo.ProductVersion, KM27_VERSION_STRING);
  EXPECT_EQ(VersionInfo.OriginalFileName, "KM27.exe");
  EXPECT_FALSE(VersionInfo.FileDescription.empty());
}

TEST(Version, FormatDate) {
  EXPECT_EQ(FormatDate("yyyy/mm/dd", 2017, 3, 7), "2017/03/07");
  EXPECT_EQ(FormatDate("d.m.yyyy", 2026, 12, 8), "8.12.2026");
}

}  // namespace
}  // namespace km27
