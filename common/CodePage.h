#pragma once
// The ANSI code page's double-byte lead bytes. Windows asks IsDBCSLeadByte;
// native builds and tests choose a table (code page 932 or a single-byte page).
namespace km27 {

class ICodePage {
 public:
  virtual ~ICodePage() = default;
  virtual bool IsLeadByte(unsigned char b) const = 0;
};

// Shift-JIS (code page 932): 0x81-0x9F and 0xE0-0xFC lead a double-byte character.
class CodePage932 : public ICodePage {
 public:
  bool IsLeadByte(unsigned char b) const override { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
};

// A single-byte code page such as 1252 has no lead bytes.
class SingleByteCodePage : public ICodePage {
 public:
  bool IsLeadByte(unsigned char) const override { return false; }
};

// The code page in force for the process; the platform layer installs its own.
const ICodePage& AnsiCodePage();
void SetAnsiCodePage(const ICodePage* cp);  // nullptr restores the default (single-byte)

}  // namespace km27
