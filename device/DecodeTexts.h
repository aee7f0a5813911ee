#pragma once
// Texts of the reader's numeric codes: the read status of a track slot, the
// event information of "AE" frames, the error events of "DH" frames and the
// error responses of "NG" frames.
#include <string>

namespace km27 {

// "Read OK" / "Write OK" for "0", the reader's slot errors for "1".."7",
// "Unknown Error (XXh)" when the first character is not a digit, otherwise
// (and for an empty status) the empty text.
std::string TrackStatusText(const std::string& status, bool write);

// The code is read as a decimal number (not a number: 0); an unknown code
// gives the empty text.
std::string EventText(const std::string& code);
std::string ErrorEventText(const std::string& code);
std::string ErrorResponseText(const std::string& code);

}  // namespace km27
