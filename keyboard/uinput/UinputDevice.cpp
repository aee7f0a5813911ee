#include "keyboard/uinput/UinputDevice.h"

#include <fcntl.h>
#include <linux/uinput.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace km27 {

namespace {

class UniqueFd {
 public:
  explicit UniqueFd(int fd) : fd_(fd) {}
  ~UniqueFd() {
    if (fd_ >= 0) close(fd_);
  }
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  int get() const { return fd_; }
  int release() { return std::exchange(fd_, -1); }

 private:
  int fd_;
};

class UinputKeyboard final : public IUinputDevice {
 public:
  explicit UinputKeyboard(int fd) : fd_(fd) {}
  ~UinputKeyboard() override { ioctl(fd_.get(), UI_DEV_DESTROY); }

  void Emit(uint16_t type, uint16_t code, int32_t value) override {
    input_event event{};
    event.type = type;
    event.code = code;
    event.value = value;
    // A full kernel buffer drops the event; there is nothing better to do
    // with it than what a real keyboard's driver does.
    [[maybe_unused]] const ssize_t n = write(fd_.get(), &event, sizeof event);
  }

  bool CapsLockLight() override {
    input_event event{};
    while (read(fd_.get(), &event, sizeof event) == static_cast<ssize_t>(sizeof event)) {
      if (event.type == EV_LED && event.code == LED_CAPSL) capsLock_ = event.value != 0;
    }
    return capsLock_;
  }

 private:
  UniqueFd fd_;
  bool capsLock_ = false;
};

std::string SystemError(const std::string& what, const std::string& path) {
  return what + " " + path + ": " + std::strerror(errno);
}

}  // namespace

std::unique_ptr<IUinputDevice> CreateUinputKeyboard(const std::string& path, std::string& error) {
  const int fd = open(path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    error = SystemError("Cannot open", path);
    return nullptr;
  }
  UniqueFd guard(fd);
  bool ok = ioctl(fd, UI_SET_EVBIT, EV_KEY) == 0 && ioctl(fd, UI_SET_EVBIT, EV_SYN) == 0 &&
            ioctl(fd, UI_SET_EVBIT, EV_LED) == 0 && ioctl(fd, UI_SET_LEDBIT, LED_CAPSL) == 0 &&
            ioctl(fd, UI_SET_LEDBIT, LED_NUML) == 0;
  for (int key = KEY_ESC; ok && key < KEY_MAX && key <= 0xFF - 8; ++key) ok = ioctl(fd, UI_SET_KEYBIT, key) == 0;
  uinput_setup setup{};
  setup.id.bustype = BUS_VIRTUAL;
  setup.id.vendor = 0x4b4d;  // "KM"
  setup.id.product = 0x0027;
  std::strncpy(setup.name, "KM27 card reader keyboard", UINPUT_MAX_NAME_SIZE - 1);
  ok = ok && ioctl(fd, UI_DEV_SETUP, &setup) == 0 && ioctl(fd, UI_DEV_CREATE) == 0;
  if (!ok) {
    error = SystemError("Cannot make a keyboard on", path);
    return nullptr;
  }
  return std::make_unique<UinputKeyboard>(guard.release());
}

}  // namespace km27
