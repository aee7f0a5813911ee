#pragma once
// The reader's end of the line: a pseudo-terminal master in raw mode whose
// slave is linked where the host looks for its serial port.
#include <string>

namespace km27sim {

class Pty {
 public:
  Pty() = default;
  ~Pty() { Close(); }
  Pty(const Pty&) = delete;
  Pty& operator=(const Pty&) = delete;

  // Opens a new pseudo-terminal and points link (if not empty) at its slave.
  // False with the reason in error.
  bool Open(const std::string& link, std::string& error);
  // Removes the link (if it still points at this slave) and closes both ends.
  void Close();

  int Master() const { return master_; }
  // Bytes written to the line that the host has not read yet.
  size_t Unread() const;
  const std::string& SlavePath() const { return slavePath_; }
  bool IsOpen() const { return master_ >= 0; }

 private:
  int master_ = -1;
  // Kept open so that the master never sees a hang-up while the host has
  // the port closed; the simulator never reads from it.
  int slaveHold_ = -1;
  std::string slavePath_;
  std::string link_;
};

}  // namespace km27sim
