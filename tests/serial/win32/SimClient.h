#pragma once
// Control channel of the reader simulator for Windows test programs under
// Wine: one command per connection to 127.0.0.1:$KM27_SIM_TCP, one reply line.
// The script that runs the program starts the simulator (tests/serial/wine-sim.sh).
#include <string>

namespace km27::test {

class SimClient {
 public:
  // From KM27_SIM_TCP / KM27_SIM_COM; Available() is false without them.
  SimClient();
  bool Available() const { return port_ > 0; }
  int ComNumber() const { return com_; }
  // The reply line ("OK ..." / "ERR ..."), or "ERR no simulator".
  std::string Command(const std::string& line);
  // The bytes the simulator received (its "received" command).
  std::string Received();

 private:
  int port_ = 0;
  int com_ = 0;
};

}  // namespace km27::test
