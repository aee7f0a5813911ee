#pragma once
// Where the settings file, its default copy and the language files are. Beside
// the program when its folder takes new files (a portable installation, as
// on Windows); otherwise the settings file goes to the user's configuration
// folder and the default copy and language files are read from the folder
// the program was installed with. Nothing is kept anywhere else.
#include <optional>
#include <string>

#include "settings/FileSystem.h"

namespace km27 {

struct FileLocations {
  std::string settingsFile;    // read and written
  std::string defaultFile;     // read only
  std::string languageFolder;  // "*.rlf"; with its trailing separator
};

// All three beside the executable, named after it (".ini", ".ni").
FileLocations BesideProgram(const std::string& executablePath);

// The locations in force: those the program's entry set, else BesideProgram
// of the executable Files() names now.
FileLocations CurrentFileLocations();
void SetFileLocations(std::optional<FileLocations> locations);

// What the user's environment gives (empty: not set).
struct UserFolders {
  std::string configHome;     // $XDG_CONFIG_HOME; only an absolute path counts
  std::string home;           // the home folder: "<home>/.config" when configHome does not count
  std::string installedData;  // the default copy and language files of an installation (empty: the program's folder)
};

// Beside the program when its folder is writable and holds the settings file
// or its default copy (a portable copy); otherwise the settings in
// "<configHome>/km27/" (made when missing) and the rest in installedData.
// The files are KM27.ini and KM27.ni, as on Windows, whatever the program
// file is called.
// Throws FileError when that folder cannot be made or no home is known.
FileLocations ChooseFileLocations(IFileSystem& fs, const std::string& executablePath, const UserFolders& user);

}  // namespace km27
