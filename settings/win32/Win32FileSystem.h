#pragma once
// The file services on Windows (ANSI API).
#include <string>

#include "settings/FileSystem.h"
#include "settings/Version.h"

namespace km27 {

class Win32FileSystem : public IFileSystem {
 public:
  // `exePath` stands in for the running executable when not empty.
  explicit Win32FileSystem(std::string exePath = {});

  std::string ExecutablePath() override;
  bool FileExists(const std::string& path) override;
  bool CopyNoOverwrite(const std::string& from, const std::string& to) override;
  ByteString ReadWholeFile(const std::string& path) override;
  void WriteFileAtomic(const std::string& path, const ByteString& content) override;
  std::vector<std::string> ListFiles(const std::string& dir, const std::string& ext) override;
  std::optional<LocalDate> LastWriteDate(const std::string& path) override;

 protected:
  // The last step of WriteFileAtomic (MoveFileExA replacing the target).
  // Tests override it to stop a save just before.
  virtual void RenameOver(const std::string& temp, const std::string& path);

 private:
  std::string exePath_;
};

// The version resource of an executable file.
class Win32VersionSource : public IVersionSource {
 public:
  // `exePath` empty: the running executable.
  explicit Win32VersionSource(std::string exePath = {});
  bool HasResource() override;
  std::optional<std::string> Query(const std::string& block, const std::string& name) override;

 private:
  void Load();
  std::string exePath_;
  bool loaded_ = false;
  std::string data_;
};

// The OS text of a Windows error code.
std::string Win32ErrorText(unsigned long code);

// Installs the Win32 file system and version source for the running program.
void InstallWin32SettingsServices();

}  // namespace km27
