#pragma once
// The program's own version: the strings of the executable's version resource
// (block "040904E4") and the date the executable was last written.
#include <map>
#include <optional>
#include <string>

namespace km27 {

struct TVersionInfo {
  std::string FileDescription;
  std::string LegalCopyright;
  std::string OriginalFileName;
  std::string ProductVersion;
  std::string FileDate;  // last-write date in local time, formatted with DateFormat
};

extern TVersionInfo VersionInfo;
extern std::string DateFormat;  // "yyyy/mm/dd" once VersionInfo is filled

// Where the version strings come from: the executable's version resource on
// Windows, build-time constants elsewhere.
class IVersionSource {
 public:
  virtual ~IVersionSource() = default;
  // False when the executable has no version resource at all.
  virtual bool HasResource() = 0;
  // The value at "StringFileInfo\<block>\<name>"; nullopt when it is not there.
  virtual std::optional<std::string> Query(const std::string& block, const std::string& name) = 0;
};

// The source in force; by default the build-time constants.
IVersionSource& VersionSource();
void SetVersionSource(IVersionSource* source);  // nullptr restores the default

// Fills VersionInfo and DateFormat; FileDate comes from the file system's
// last-write date of the executable. Run once before the windows are created.
void ReadVersionInfo();

// The date written with a format of "yyyy", "mm" and "dd" (and "m", "d" for
// numbers without leading zero); other characters are copied.
std::string FormatDate(const std::string& format, int year, int month, int day);

}  // namespace km27
