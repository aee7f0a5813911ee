#include "settings/Version.h"

#include <cstdio>
#include <cstring>

#include "settings/FileSystem.h"
#include "settings/VersionText.h"

#ifndef KM27_VERSION_STRING
#define KM27_VERSION_STRING ""
#endif

namespace km27 {

TVersionInfo VersionInfo;
std::string DateFormat;

namespace {

// Without a version resource the build stands in for it: the strings the
// resource would carry, in its only block.
class BuildVersionSource final : public IVersionSource {
 public:
  bool HasResource() override { return true; }
  std::optional<std::string> Query(const std::string& block, const std::string& name) override {
    if (block != "040904E4") return std::nullopt;
    if (name == "FileDescription") return KM27_FILE_DESCRIPTION;
    if (name == "LegalCopyright") return KM27_LEGAL_COPYRIGHT;
    if (name == "OriginalFileName") return KM27_ORIGINAL_FILENAME;
    if (name == "ProductVersion") return KM27_VERSION_STRING;
    return std::nullopt;
  }
};

BuildVersionSource gBuildSource;
IVersionSource* gSource = &gBuildSource;

std::string Digits(int value, int width) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%0*d", width, value);
  return buf;
}

}  // namespace

IVersionSource& VersionSource() { return *gSource; }
void SetVersionSource(IVersionSource* source) { gSource = source ? source : &gBuildSource; }

std::string FormatDate(const std::string& format, int year, int month, int day) {
  std::string out;
  for (size_t i = 0; i < format.size();) {
    auto at = [&](const char* token) { return format.compare(i, std::strlen(token), token) == 0; };
    if (at("yyyy")) {
      out += Digits(year, 4);
      i += 4;
    } else if (at("mm")) {
      out += Digits(month, 2);
      i += 2;
    } else if (at("dd")) {
      out += Digits(day, 2);
      i += 2;
    } else if (format[i] == 'm') {
      out += std::to_string(month);
      ++i;
    } else if (format[i] == 'd') {
      out += std::to_string(day);
      ++i;
    } else {
      out += format[i++];
    }
  }
  return out;
}

void ReadVersionInfo() {
  VersionInfo = TVersionInfo{};
  IVersionSource& source = VersionSource();
  if (source.HasResource()) {
    const char* block = "040904E4";
    const struct {
      const char* name;
      std::string* field;
    } strings[] = {
        {"FileDescription", &VersionInfo.FileDescription},
        {"LegalCopyright", &VersionInfo.LegalCopyright},
        {"OriginalFileName", &VersionInfo.OriginalFileName},
        {"ProductVersion", &VersionInfo.ProductVersion},
    };
    for (const auto& s : strings)
      if (auto v = source.Query(block, s.name)) *s.field = *v;
  }
  DateFormat = "yyyy/mm/dd";
  if (auto date = Files().LastWriteDate(Files().ExecutablePath()))
    VersionInfo.FileDate = FormatDate(DateFormat, date->year, date->month, date->day);
}

}  // namespace km27
