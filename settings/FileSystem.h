#pragma once
// The file services the settings and language files need: where the program
// lives, existence tests, copying, whole-file reads, atomic replacement and the
// directory search for language files. The platform layer installs its own;
// tests install a temp-dir or recording one.
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/ByteString.h"

namespace km27 {

// A failed file operation; what() holds the operating system's own text.
class FileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct LocalDate {
  int year = 0, month = 0, day = 0;
};

class IFileSystem {
 public:
  virtual ~IFileSystem() = default;

  // Full path of the running executable.
  virtual std::string ExecutablePath() = 0;
  virtual bool FileExists(const std::string& path) = 0;
  // Copies `from` to `to` unless `to` already exists (then nothing happens and
  // the result is false). Throws FileError when the copy fails.
  virtual bool CopyNoOverwrite(const std::string& from, const std::string& to) = 0;
  // The whole file as bytes; throws FileError when it cannot be read.
  virtual ByteString ReadWholeFile(const std::string& path) = 0;
  // Replaces the file with `content` so that readers see either the old or the
  // new file, never a part of it: the bytes go to a temporary file beside it,
  // which is then renamed over the target. Throws FileError; the old file is
  // then left as it was.
  virtual void WriteFileAtomic(const std::string& path, const ByteString& content) = 0;
  // Names (without path) of the files in `dir` whose extension is `ext`
  // (".rlf"; compared without regard to case), in the order the directory
  // search returns them.
  virtual std::vector<std::string> ListFiles(const std::string& dir, const std::string& ext) = 0;
  // Last-write date of the file in local time; nullopt when it cannot be had.
  virtual std::optional<LocalDate> LastWriteDate(const std::string& path) = 0;
  // Whether files can be made in the folder `dir` (the caller's rights, a
  // read-only mount). A file system that cannot tell says no.
  virtual bool FolderWritable(const std::string& dir) {
    (void)dir;
    return false;
  }
  // Makes the folder `dir` and the missing folders above it, open to the user
  // only. Throws FileError.
  virtual void CreateFolders(const std::string& dir) { throw FileError("Cannot create " + dir + "."); }
};

// The file system in force. Without an installed one every operation fails
// quietly (no executable path, no files).
IFileSystem& Files();
void SetFileSystem(IFileSystem* fs);  // nullptr restores the empty default

// `path` with its extension (from the last "." after the last separator)
// replaced by `ext`; appended when there is none.
std::string ChangeFileExt(const std::string& path, const std::string& ext);
// The directory part of `path` including its trailing separator ("" when none).
std::string ExtractFilePath(const std::string& path);

}  // namespace km27
