#include "tests/serial/SimProcess.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

namespace km27::test {

std::string SimProcess::Program() {
  if (const char* env = std::getenv("KM27SIM")) return env;
#ifdef KM27SIM_PATH
  return KM27SIM_PATH;
#else
  return "km27sim";
#endif
}

SimProcess::SimProcess(const std::string& directory, int portNo, std::vector<std::string> extraArgs) {
  link_ = directory + "/COM" + std::to_string(portNo);
  ready_ = directory + "/sim" + std::to_string(portNo) + ".ready";
  log_ = directory + "/sim" + std::to_string(portNo) + ".log";
  ::unlink(ready_.c_str());
  std::vector<std::string> args = {Program(), "--link", link_, "--ready-file", ready_, "--log", log_,
                                   "--control-tcp", "0", "--no-stdin"};
  args.insert(args.end(), extraArgs.begin(), extraArgs.end());
  pid_ = fork();
  if (pid_ == 0) {
    prctl(PR_SET_PDEATHSIG, SIGTERM);  // never outlive a test that crashed
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  }
  for (int i = 0; i < 500 && pid_ > 0; ++i) {
    std::ifstream f(ready_);
    std::string line;
    while (std::getline(f, line)) {
      if (line.compare(0, 4, "tcp ") == 0) tcpPort_ = std::atoi(line.c_str() + 4);
    }
    if (tcpPort_ > 0) break;
    int status;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = -1;
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

SimProcess::~SimProcess() {
  if (pid_ <= 0) return;
  Command("quit");
  for (int i = 0; i < 200; ++i) {
    int status;
    if (waitpid(pid_, &status, WNOHANG) == pid_) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  kill(pid_, SIGKILL);
  waitpid(pid_, nullptr, 0);
}

std::string SimProcess::Command(const std::string& line) {
  if (tcpPort_ <= 0) return "ERR no simulator";
  int s = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(static_cast<uint16_t>(tcpPort_));
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (s < 0 || connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
    if (s >= 0) ::close(s);
    return "ERR no simulator";
  }
  std::string out = line + "\n";
  if (::write(s, out.data(), out.size()) != static_cast<ssize_t>(out.size())) {
    ::close(s);
    return "ERR no simulator";
  }
  std::string reply;
  char c;
  while (::read(s, &c, 1) == 1 && c != '\n') reply += c;
  ::close(s);
  return reply;
}

std::string SimProcess::Received() {
  std::string reply = Command("received");
  if (reply.compare(0, 2, "OK") != 0) return {};
  return FromHex(reply.size() > 3 ? reply.substr(3) : "");
}

std::string FromHex(const std::string& hex) {
  std::istringstream in(hex);
  std::string pair, out;
  while (in >> pair) {
    if (pair.size() != 2) return {};
    out += static_cast<char>(std::stoi(pair, nullptr, 16));
  }
  return out;
}

}  // namespace km27::test
