#pragma once
// The reader simulator (tools/sim, km27sim) as a child process of a native
// test: it links its pseudo-terminal as <directory>/COM<n> and takes control
// commands over its TCP port.
#include <sys/types.h>

#include <string>
#include <vector>

namespace km27::test {

class SimProcess {
 public:
  // extraArgs: further km27sim options, e.g. {"--sp", "SP1FF"}.
  SimProcess(const std::string& directory, int portNo, std::vector<std::string> extraArgs = {});
  ~SimProcess();
  SimProcess(const SimProcess&) = delete;
  SimProcess& operator=(const SimProcess&) = delete;

  bool Ready() const { return tcpPort_ > 0; }
  // One control command; the reply line ("OK ..." / "ERR ..."), or
  // "ERR no simulator" when it is not running.
  std::string Command(const std::string& line);
  // The bytes the simulator received so far (its "received" command).
  std::string Received();
  const std::string& LinkPath() const { return link_; }
  const std::string& LogPath() const { return log_; }

  // Where km27sim is (the build's tools/sim, or $KM27SIM).
  static std::string Program();

 private:
  pid_t pid_ = -1;
  int tcpPort_ = -1;
  std::string link_, ready_, log_;
};

// "02 56 52" -> bytes; "" on anything else.
std::string FromHex(const std::string& hex);

}  // namespace km27::test
