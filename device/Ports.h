#pragma once
// COM port discovery: the serial ports the operating system knows, for the
// port choice lists and the connection check. The list comes from a serial
// device map (Win32: the registry's device map; POSIX: a directory of COMn
// links, or Linux's serial devices), installed by the program's entry or a
// test.
#include <cstdint>
#include <string>
#include <vector>

namespace km27::ui {
class ComboBox;
}

namespace km27 {

// The present serial ports as device names ("COM3"), in the order the
// system enumerates them. An unreadable map is an empty list.
class ISerialDeviceMap {
 public:
  virtual ~ISerialDeviceMap() = default;
  virtual std::vector<std::string> PortNames() = 0;
  // What the user knows a present port by ("FTDI FT232R USB UART (A1B2C3)"),
  // in printable ASCII; empty when the system knows no more than the name.
  virtual std::string PortLabel(const std::string& name) {
    (void)name;
    return {};
  }
  // The device the port of that name opens; empty: the serial port's own rule.
  virtual std::string DevicePath(const std::string& name) {
    (void)name;
    return {};
  }
};

// Installs the map in force (not owned); nullptr: no serial ports at all.
void SetSerialDeviceMap(ISerialDeviceMap* map);
ISerialDeviceMap* SerialDeviceMap();

// Fills the combo box with the present ports ("COM1".."COM20" when there is
// none) and selects the first.
void ListSerialPorts(ui::ComboBox& combo);

// The options dialog's listing: ListSerialPorts, then the configured port is
// selected. Port 0 or less selects the first item; otherwise the text becomes
// "COM" + port and the equal item is selected (the text stays when none is).
void ListSerialPortsSelecting(ui::ComboBox& combo, int32_t port);

// Selects the first item equal to text (exact, case-sensitive); otherwise the
// selection is left as it is.
void SelectComboItem(ui::ComboBox& combo, const std::string& text);

// The installed map's PortLabel (empty without a map).
std::string SerialPortLabel(const std::string& name);

// True when the device map lists exactly this name (case-sensitive).
bool SerialPortPresent(const std::string& name);

// Port number of a port list entry: "COM12", "com 12" and "12" give 12;
// anything that is not a number gives 0.
int32_t PortNumberOf(const std::string& text);

}  // namespace km27
