#pragma once
// Frames end by silence, so two frames that follow each other closer than
// ReciveBuffTime (a card read just before the answer to "VR") reach the frame
// end as one buffer. SplitFrames takes such a buffer apart again where it
// holds nothing but well-formed frames back to back.
#include <vector>

#include "common/ByteString.h"
#include "settings/Define.h"

namespace km27 {

// The frames in `buffer`. A piece is either a whole frame (Header, a code of
// at least two bytes and a body, EndCode, a block check that matches, Footer)
// or a bare acknowledgement byte (ACK 0x06, NAK 0x15). When the buffer is not
// made of two or more such pieces, or the format has no Header, no EndCode or
// no block check to find the boundaries by, it is one frame: the result is
// the buffer alone.
std::vector<ByteString> SplitFrames(const ByteString& buffer, const TCommFormat& format);

}  // namespace km27
