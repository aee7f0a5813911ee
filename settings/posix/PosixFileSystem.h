#pragma once
// The file services on POSIX systems (native builds, tools and tests).
#include <string>

#include "settings/FileLocations.h"
#include "settings/FileSystem.h"

namespace km27 {

class PosixFileSystem : public IFileSystem {
 public:
  // `exePath` stands in for the running executable when not empty.
  explicit PosixFileSystem(std::string exePath = {});

  std::string ExecutablePath() override;
  bool FileExists(const std::string& path) override;
  bool CopyNoOverwrite(const std::string& from, const std::string& to) override;
  ByteString ReadWholeFile(const std::string& path) override;
  void WriteFileAtomic(const std::string& path, const ByteString& content) override;
  std::vector<std::string> ListFiles(const std::string& dir, const std::string& ext) override;
  std::optional<LocalDate> LastWriteDate(const std::string& path) override;
  bool FolderWritable(const std::string& dir) override;
  void CreateFolders(const std::string& dir) override;

 protected:
  // The last step of WriteFileAtomic: the finished temporary file takes the
  // target's place. Tests override it to stop a save just before.
  virtual void RenameOver(const std::string& temp, const std::string& path);

 private:
  // Writes `content` into a new temporary file beside `path`; returns its name.
  std::string WriteTemp(const std::string& path, const ByteString& content, unsigned mode);
  std::string exePath_;
};

// The user's folders from $XDG_CONFIG_HOME and $HOME (the password entry's
// home when HOME is not set) and the data folder of an installation, fixed
// when the program is built.
UserFolders PosixUserFolders();

// Installs a PosixFileSystem for the running program.
void InstallPosixSettingsServices();

}  // namespace km27
