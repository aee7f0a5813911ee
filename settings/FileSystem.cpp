#include "settings/FileSystem.h"

namespace km27 {

namespace {

class NoFileSystem final : public IFileSystem {
 public:
  std::string ExecutablePath() override { return {}; }
  bool FileExists(const std::string&) override { return false; }
  bool CopyNoOverwrite(const std::string&, const std::string&) override { throw FileError("No file system."); }
  ByteString ReadWholeFile(const std::string&) override { throw FileError("No file system."); }
  void WriteFileAtomic(const std::string&, const ByteString&) override { throw FileError("No file system."); }
  std::vector<std::string> ListFiles(const std::string&, const std::string&) override { return {}; }
  std::optional<LocalDate> LastWriteDate(const std::string&) override { return std::nullopt; }
};

NoFileSystem gNoFileSystem;
IFileSystem* gFileSystem = &gNoFileSystem;

size_t LastSeparator(const std::string& path) { return path.find_last_of("\\/:"); }

}  // namespace

IFileSystem& Files() { return *gFileSystem; }
void SetFileSystem(IFileSystem* fs) { gFileSystem = fs ? fs : &gNoFileSystem; }

std::string ChangeFileExt(const std::string& path, const std::string& ext) {
  size_t sep = LastSeparator(path);
  size_t dot = path.rfind('.');
  if (dot == std::string::npos || (sep != std::string::npos && dot < sep)) return path + ext;
  return path.substr(0, dot) + ext;
}

std::string ExtractFilePath(const std::string& path) {
  size_t sep = LastSeparator(path);
  return sep == std::string::npos ? std::string() : path.substr(0, sep + 1);
}

}  // namespace km27
