#pragma once
// From a card read to keystrokes: the key-data format applied to CardData.
#include <string>

namespace km27 {

// Types the current CardData according to KeyData (header, the blocks of each
// track, separators between the tracks in use, terminator).
void SendKeyData();
// Whether SendKeyData would type anything: a slot read without error.
bool ReadHasKeyData();

// kind 1 types KeyData.Header, 2 TrackSeparator, 3 Terminator (each only when
// not empty); any other kind does nothing.
void TypeFormatPart(int kind);

// Types the blocks of one track slot (1..4) over its data.
void TypeTrack(const std::string& data, int slot);

// Radio choice of a stored notation text: 0 None, 1 Enter, 2 Tab, 3 Other.
int ClassifyKeyText(const std::string& text);
std::string KeyTextOfChoice(int choice, const std::string& otherText);

}  // namespace km27
