#pragma once
// The INI text of the settings file and the language files, held in memory.
//
// Reading: lines are trimmed of codes 0-32; empty lines and ";" comments are
// ignored; "[name]" opens a section (name trimmed); other lines before the
// first section are ignored; a line splits at its first "=" into a trimmed
// name and value; a line without "=" counts only for whole-section reads.
// Section and key names are compared without regard to case and the later of
// two equal keys counts. A section that appears twice is read as one section
// made of both parts in file order.
//
// Writing changes only the line of the key (or adds one line, or a section at
// the end); every other line keeps its bytes and its own line ending, and new
// lines take the line ending the file already uses.
//
// A UTF-8 byte-order mark (what Notepad puts at the start of a file saved as
// UTF-8) is not part of the first line, so the first section is found; it is
// written back as it was. A UTF-16 file is refused (ReadIniFile): its bytes
// are no 8-bit text, and 8-bit lines written into it would destroy it.
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "common/ByteString.h"
#include "settings/FileSystem.h"

namespace km27 {

// A settings or language file saved in an encoding the 8-bit reader cannot
// take; what() names the file and the encoding to save it in.
class FileEncodingError : public FileError {
 public:
  using FileError::FileError;
};

class IniFile {
 public:
  IniFile() { Index(); }
  explicit IniFile(const ByteString& content);

  // The value of the key, or nullopt when the key (or its section) is absent.
  std::optional<ByteString> Value(const std::string& section, const std::string& key) const;
  // Missing key: `missing`. Present with nothing after "=": the empty text.
  ByteString ReadString(const std::string& section, const std::string& key, const ByteString& missing) const;
  // Missing key: `missing` parsed; present but not a decimal integer: `unparsable`.
  int32_t ReadInteger(const std::string& section, const std::string& key, const ByteString& missing,
                      int32_t unparsable) const;
  // True exactly when the value (or `missing`) is the text "1".
  bool ReadFlag(const std::string& section, const std::string& key, const ByteString& missing) const;
  bool HasSection(const std::string& section) const;
  // Every line of the section that is not empty or a comment, trimmed, in file order.
  std::vector<ByteString> SectionLines(const std::string& section) const;

  // Replaces the key's value where it stands, or adds "key=value" after the
  // last entry of its section, or adds the section at the end of the file.
  // CR and LF inside the value become blanks: they would end the line.
  void WriteString(const std::string& section, const std::string& key, const ByteString& value);
  void WriteInteger(const std::string& section, const std::string& key, int64_t value);
  void WriteFlag(const std::string& section, const std::string& key, bool value);

  // The whole file as it is to be stored.
  ByteString Text() const;

 private:
  struct RawLine {
    ByteString text;  // without its line ending
    ByteString eol;   // "\r\n", "\n", "\r" or "" (last line without one)
  };
  struct Entry {
    ByteString name, value;
    size_t line;
  };
  struct Section {
    ByteString name;
    std::vector<size_t> members;  // lines that are not empty or comments
    std::vector<Entry> entries;   // lines with "="
    size_t lastLine;              // header or last member: where a new key goes after
  };

  void Index();
  const Section* FindSection(const std::string& name) const;
  const Entry* FindEntry(const Section& s, const std::string& key) const;
  void InsertLine(size_t at, const ByteString& text);

  ByteString bom_;  // a UTF-8 byte-order mark before the first line, kept for writing
  std::vector<RawLine> lines_;
  ByteString newline_ = "\r\n";
  std::vector<Section> sections_;
  std::unordered_map<ByteString, size_t> byName_;  // upper-case name -> sections_ index
};

// The file at `path` as an IniFile. Throws FileError when it cannot be read,
// FileEncodingError when it is saved in UTF-16 (either byte order).
IniFile ReadIniFile(const std::string& path);

}  // namespace km27
