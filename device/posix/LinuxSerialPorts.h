#pragma once
// The serial ports of a Linux system: USB serial adapters (ttyUSBn), USB
// modems and boards (ttyACMn) and the on-board ports (ttySn) that have
// hardware behind them. The settings keep a port as a number, so each device
// has a fixed "COM" number: ttySn is COM(n+1) (COM1-COM99), ttyUSBn is
// COM(100+n) and ttyACMn COM(200+n). A port is labelled by its link in
// <dev>/serial/by-id (maker, model, serial number).
#include <string>

#include "device/Ports.h"
#include "settings/PortIdentity.h"

namespace km27 {

class LinuxSerialDeviceMap : public ISerialDeviceMap, public IPortIdentity {
 public:
  // The roots are parameters so that a test can give a tree of its own.
  explicit LinuxSerialDeviceMap(std::string devRoot = "/dev", std::string sysRoot = "/sys");
  // In numeric order; an unreadable device folder is no ports.
  std::vector<std::string> PortNames() override;
  std::string PortLabel(const std::string& name) override;
  // The device of a COM number of the scheme above, present or not; empty
  // for any other name.
  std::string DevicePath(const std::string& name) override;

  // A device's lasting name is its link in <dev>/serial/by-id (maker, model
  // and serial number), which stays while ttyUSBn changes with the order
  // of plugging in.
  std::string IdOfPort(int32_t port) override;
  int32_t PortOfId(const std::string& id) override;

 private:
  std::string dev_, sys_;
};

// The label of a by-id link: "usb-FTDI_FT232R_USB_UART_A1B2C3-if00-port0" is
// "FTDI FT232R USB UART (A1B2C3)". The last of three or more words is taken
// for the serial number when it holds a digit. Bytes outside printable ASCII
// show as "?", so the label reads the same in every code page.
std::string SerialLabelOfId(const std::string& idName);

}  // namespace km27
