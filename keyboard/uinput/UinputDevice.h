#pragma once
// The virtual keyboard the Wayland injector types on: a device of
// /dev/uinput that takes key events and reports the keyboard lights the
// compositor sets. Tests give the injector a recording device instead.
#include <cstdint>
#include <memory>
#include <string>

namespace km27 {

class IUinputDevice {
 public:
  virtual ~IUinputDevice() = default;
  // One input event (EV_KEY with value 1 down, 0 up; EV_SYN to end a report).
  virtual void Emit(uint16_t type, uint16_t code, int32_t value) = 0;
  // The Caps Lock light as the compositor last set it on this device.
  virtual bool CapsLockLight() = 0;
};

// A uinput keyboard with every key of the evdev range. Null when the device
// cannot be made; `error` then holds the path and the system's own text.
std::unique_ptr<IUinputDevice> CreateUinputKeyboard(const std::string& path, std::string& error);

}  // namespace km27
