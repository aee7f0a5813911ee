#include "device/DecodeTexts.h"

#include <cstdint>

#include "common/TextHelpers.h"

namespace km27 {

namespace {

struct CodeText {
  int32_t code;
  const char* text;
};

std::string Lookup(const CodeText* table, size_t count, int32_t code) {
  for (size_t i = 0; i < count; ++i) {
    if (table[i].code == code) return table[i].text;
  }
  return {};
}

const CodeText kEvents[] = {
    {1, "Finished read operation of a card."},
    {2, "Finished write operation of a card."},
    {3, "Finished pass operation of a card."},
    {4, "The card was inserted."},
    {5, "Finished pull in operation of a card."},
    {6, "Finished eject operation of a card."},
    {7, "Shutter operation (opened/closed)"},
    {8, "Closed a shutter."},
    {9, "The card was inserted in shutter."},
    {10, "The card was connected to IC connector."},
    {13, "The power supply of product was turned off."},
    {14, "The card was pull out."},
    {20, "Card dispense complete event."},
    {21, "Card selector ejection complete event."},
    {22, "Card thickness set complete event."},
    {23, "Pressure transporting mechanism reset complete event."},
    {24, "Cartridge set event."},
    {25, "Cartridge not set event."},
    {26, "100 cards remain in the cartridge."},
    {27, "Card dispense alert event."},
    {28, "Card ejection from card selector alert event."},
};

const CodeText kErrorEvents[] = {
    {1, "The unit is holding a card internally."},
    {2, "Shutter movement error."},
    {3, "Card transportation error."},
    {4, "Card insertion error."},
    {5, "There is no card to move inside the unit."},
    {6, "Dispenser card transportation error."},
    {7, "Card selector unusual operation error."},
    {8, "Card thickness changer unusual operation error."},
    {9, "Pressure transporting mechanism position error."},
};

const CodeText kErrorResponses[] = {
    {1, "Command error!"},
    {2, "Command parameter error!"},
    {4, "No read data"},
    {5, "There is no card to move inside the unit."},
    {6, "The unit is holding a card internally."},
    {7, "No cartridge card error."},
    {8, "Dispenser pressure transporting mechanism position error."},
    {9, "There is a card in a cartridge."},
    {201, "Dispenser alert count is not cleared."},
    {202, "Card selector ejection alert count is not cleared."},
};

const char* const kTrackStatus[] = {
    nullptr,  // 0: read or write OK
    "STX Error", "ETX Error", "Parity Error", "LRC Error", "Data Format Error", "Not Defined Error", "Write Error",
};

template <size_t N>
std::string Lookup(const CodeText (&table)[N], const std::string& code) {
  return Lookup(table, N, StrToIntDef(code, 0));
}

}  // namespace

std::string TrackStatusText(const std::string& status, bool write) {
  if (status.empty()) return {};
  unsigned char first = ByteAt(status, 0);
  if (first < '0' || first > '9') return "Unknown Error (" + HexByte(first) + "h)";
  // The status is one character; longer ones count by their leading digits
  // and only 0..7 have a text.
  int32_t value = 0;
  for (size_t i = 0; i < status.size() && status[i] >= '0' && status[i] <= '9' && value < 10; ++i) {
    value = value * 10 + (status[i] - '0');
  }
  if (value == 0) return write ? "Write OK" : "Read OK";
  if (value < 8) return kTrackStatus[value];
  return {};
}

std::string EventText(const std::string& code) { return Lookup(kEvents, code); }

std::string ErrorEventText(const std::string& code) { return Lookup(kErrorEvents, code); }

std::string ErrorResponseText(const std::string& code) {
  int32_t n = StrToIntDef(code, 0);
  if (n >= 10 && n <= 39) return "IC card access error.";
  if (n >= 90 && n <= 109) return "IC card control error.";
  return Lookup(kErrorResponses, std::size(kErrorResponses), n);
}

}  // namespace km27
