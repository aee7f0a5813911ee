#pragma once
// Text helpers shared by every subsystem: placeholder replacement, "\n" line
// breaks, the hex escape notation "[XX]" of the frame settings, trimming and
// number parsing with the program's rules.
#include <cstdint>
#include <optional>

#include "common/ByteString.h"

namespace km27 {

// Every occurrence of `from` replaced by `to`, searching on after each
// replacement so that a replacement is never searched again. Empty `from`
// returns the text unchanged.
ByteString ReplaceAll(const ByteString& text, const ByteString& from, const ByteString& to);

// Backslash followed by "n" becomes CR LF.
ByteString ExpandLineBreaks(const ByteString& text);

// Two hexadecimal characters to a byte: "0"-"9", "A"-"F", "a"-"f"; any other
// letter (and anything at or above "A") counts 0. A character below "A" that is
// not a digit cannot be converted: "Out of HEX Code Error !" goes to the
// message sink and the digits converted so far are used (the other counts 0).
unsigned char HexPairToByte(char high, char low);

// "[" two hex digits "]" becomes one byte; everything else, and a group cut
// short at the end, is copied.
ByteString DecodeBracketHex(const ByteString& text);

// Bytes 0x20-0x7E and 0xA1-0xDF are copied; any other byte becomes "[XX]" when
// `escape`, else is copied. With `multiByte`, a lead byte of the ANSI code page
// and its trail byte are copied whole.
ByteString EncodeBracketHex(const ByteString& text, bool escape, bool multiByte);

// Removes characters with codes 0..32 from both ends (the INI trimming rule).
ByteString TrimControl(const ByteString& text);
// Removes only spaces (0x20) from both ends.
ByteString TrimSpaces(const ByteString& text);

// ASCII upper/lower case; other bytes unchanged.
ByteString UpperCase(const ByteString& text);
ByteString LowerCase(const ByteString& text);
bool SameText(const ByteString& a, const ByteString& b);  // ASCII case-insensitive

// Decimal 32-bit integer with optional sign, no blanks; nullopt when the text
// is not one (empty, junk, overflow).
std::optional<int32_t> ParseInt(const ByteString& text);
int32_t StrToIntDef(const ByteString& text, int32_t fallback);
ByteString IntToStr(int64_t value);

// Two upper-case hexadecimal digits.
ByteString HexByte(unsigned char b);

}  // namespace km27
