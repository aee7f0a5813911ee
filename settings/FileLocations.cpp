#include "settings/FileLocations.h"

namespace km27 {

namespace {

std::optional<FileLocations> gLocations;

std::string WithSeparator(std::string dir) {
  if (!dir.empty() && dir.back() != '/') dir += '/';
  return dir;
}

bool Absolute(const std::string& path) { return !path.empty() && path[0] == '/'; }

}  // namespace

FileLocations BesideProgram(const std::string& executablePath) {
  return {ChangeFileExt(executablePath, ".ini"), ChangeFileExt(executablePath, ".ni"),
          ExtractFilePath(executablePath)};
}

FileLocations CurrentFileLocations() { return gLocations ? *gLocations : BesideProgram(Files().ExecutablePath()); }

void SetFileLocations(std::optional<FileLocations> locations) { gLocations = std::move(locations); }

FileLocations ChooseFileLocations(IFileSystem& fs, const std::string& executablePath, const UserFolders& user) {
  const std::string programFolder = ExtractFilePath(executablePath);
  // The files keep the names they have on Windows whatever the program file
  // is called (km27 on Linux), so one folder serves both systems.
  const std::string name = "KM27";
  // A portable copy holds its settings or their default copy; a writable
  // folder without either is a system folder that root may write to
  // (/usr/bin), where the files are not.
  if (!programFolder.empty() && fs.FolderWritable(programFolder) &&
      (fs.FileExists(programFolder + name + ".ni") || fs.FileExists(programFolder + name + ".ini")))
    return {programFolder + name + ".ini", programFolder + name + ".ni", programFolder};

  std::string config;
  if (Absolute(user.configHome))
    config = WithSeparator(user.configHome);
  else if (Absolute(user.home))
    config = WithSeparator(user.home) + ".config/";
  else
    throw FileError("Cannot keep the settings: " + programFolder + " is not writable and there is no home folder.");
  config += "km27/";
  fs.CreateFolders(config);

  const std::string data = user.installedData.empty() ? programFolder : WithSeparator(user.installedData);
  return {config + name + ".ini", data + name + ".ni", data};
}

}  // namespace km27
