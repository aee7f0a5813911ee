#include "device/Ports.h"

#include <cctype>
#include <charconv>
#include <climits>

#include "ui/Components.h"

namespace km27 {

namespace {
ISerialDeviceMap* gDeviceMap = nullptr;

std::vector<std::string> PresentPorts() {
  return gDeviceMap ? gDeviceMap->PortNames() : std::vector<std::string>{};
}
}  // namespace

void SetSerialDeviceMap(ISerialDeviceMap* map) { gDeviceMap = map; }
ISerialDeviceMap* SerialDeviceMap() { return gDeviceMap; }

void ListSerialPorts(ui::ComboBox& combo) {
  std::vector<std::string> items = PresentPorts();
  if (items.empty()) {
    for (int n = 1; n <= 20; ++n) items.push_back("COM" + std::to_string(n));
  }
  combo.ClearItems();
  combo.SetItems(items);
  combo.SetItemIndex(0);
}

void ListSerialPortsSelecting(ui::ComboBox& combo, int32_t port) {
  ListSerialPorts(combo);
  if (port <= 0) {
    if (!combo.Items().empty()) combo.SetItemIndex(0);
    return;
  }
  // The text first, then the item: a port that is not present stays visible
  // as text with no item selected.
  combo.SetItemIndex(-1);
  combo.SetText("COM" + std::to_string(port));
  SelectComboItem(combo, combo.Text());
}

void SelectComboItem(ui::ComboBox& combo, const std::string& text) {
  const auto& items = combo.Items();
  for (size_t i = 0; i < items.size(); ++i) {
    if (items[i] == text) {
      combo.SetItemIndex(static_cast<int>(i));
      return;
    }
  }
}

std::string SerialPortLabel(const std::string& name) { return gDeviceMap ? gDeviceMap->PortLabel(name) : std::string(); }

bool SerialPortPresent(const std::string& name) {
  for (const std::string& p : PresentPorts())
    if (p == name) return true;
  return false;
}

int32_t PortNumberOf(const std::string& text) {
  std::string s = text;
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  if (s.compare(0, 3, "COM") == 0) s.erase(0, 3);
  size_t b = s.find_first_not_of(' ');
  if (b == std::string::npos) return 0;
  size_t e = s.find_last_not_of(' ');
  s = s.substr(b, e - b + 1);
  // A decimal integer with an optional sign, nothing else.
  const char* first = s.data();
  const char* last = s.data() + s.size();
  if (*first == '+') ++first;
  int32_t v = 0;
  auto [ptr, ec] = std::from_chars(first, last, v);
  if (ec != std::errc() || ptr != last) return 0;
  return v;
}

}  // namespace km27
