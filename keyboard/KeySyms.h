#pragma once
// Keysyms, the key names of X11 and of xkbcommon (the numbers are the same
// in both): which keysym a named key of the key notation and a character
// stand for, so that the X11 and the uinput injector find them in the
// user's layout.
#include <cstdint>
#include <string>

#include "keyboard/KeyInjector.h"

namespace km27 {

// The keysym of a named key; 0 for a value outside the key name table.
// Where a keyboard may lack the key the first choice names (a right Alt that
// is AltGr, the kana keys of a Japanese keyboard), `alternative` gives the
// next one to try, or 0.
uint32_t KeySymOfNamedKey(NamedKey key, uint32_t* alternative = nullptr);

// The keysym that stands for a Unicode character: Latin-1 as itself, the
// rest as 0x01000000 + code point; 0 for a control character or a
// surrogate.
uint32_t KeySymOfUnicode(char32_t ch);

// The one character a UTF-8 text holds; 0 when it holds none, more than one
// or bad bytes (U+FFFD counts as none: the code page did not define the byte).
char32_t SingleCharOfUtf8(const std::string& utf8);

}  // namespace km27
