#pragma once
// A sample read as the setup wizard lists it: which slots the reader
// delivered, a list row per slot (its length and data, or its error), and the
// track selection and blocks taken back from the rows the user left checked.
// All work on the read fields of CardData as the decoder left them.
#include <string>

#include "common/ByteString.h"
#include "ui/Components.h"

namespace km27 {

// CardData.Tracks: "1" for every slot that delivered data or a status;
// CardData.SingleTrack: true unless more (or fewer) than one slot did and
// the frame had separators.
void DetectTracks();

// Clears `list` and adds a row per slot that delivered data or a status (with
// allSlots false only the slots of CardData.TrackUse), checked, captioned with
// the slot number: columns "Digit" (the data length) and "Read Data"; a slot
// without data but with an error shows " " and the error's text and is
// unchecked. Check boxes are shown when `checkable` and the read is not a
// single track.
void FillReadList(ui::ListView& list, bool allSlots, bool checkable);

// With at most four rows: CardData.TrackUse gets "1" exactly for the slots of
// the checked rows.
void TrackUseFromList(const ui::ListView& list);

// KeyData's blocks become one block per checked row, in list order: that
// row's track, all data (`allData`) or the row's "Digit" from position 1.
void BlocksFromList(const ui::ListView& list, bool allData);

// Track data for display: the characters between SO (0x0E) and SI (0x0F) are
// 7-bit kana and are shown with 0x80 added (half-width katakana of the ANSI
// code page); SO and SI stay. A shift-out without its SI lasts to the end.
ByteString KanaForDisplay(const ByteString& data);

}  // namespace km27
