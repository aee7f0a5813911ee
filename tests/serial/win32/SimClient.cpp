#include "tests/serial/win32/SimClient.h"

#include <winsock2.h>

#include <cstdlib>
#include <sstream>

namespace km27::test {

SimClient::SimClient() {
  if (const char* p = std::getenv("KM27_SIM_TCP")) port_ = std::atoi(p);
  if (const char* c = std::getenv("KM27_SIM_COM")) com_ = std::atoi(c);
  WSADATA wsa;
  WSAStartup(MAKEWORD(2, 2), &wsa);
}

std::string SimClient::Command(const std::string& line) {
  if (port_ <= 0) return "ERR no simulator";
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (s == INVALID_SOCKET) return "ERR no simulator";
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(static_cast<u_short>(port_));
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
    closesocket(s);
    return "ERR no simulator";
  }
  std::string out = line + "\n";
  send(s, out.data(), static_cast<int>(out.size()), 0);
  // Non-blocking reads polled by hand: blocking recv under Wine was seen to
  // stall with the reply already waiting in the socket.
  u_long nonBlocking = 1;
  ioctlsocket(s, FIONBIO, &nonBlocking);
  std::string reply;
  DWORD start = GetTickCount();
  for (;;) {
    char buf[4096];
    int n = recv(s, buf, sizeof buf, 0);
    if (n > 0) {
      reply.append(buf, static_cast<size_t>(n));
      size_t nl = reply.find('\n');
      if (nl != std::string::npos) {
        reply.resize(nl);
        break;
      }
      continue;
    }
    if (n == 0 || WSAGetLastError() != WSAEWOULDBLOCK || GetTickCount() - start > 30000) {
      reply = "ERR no reply from the simulator";
      break;
    }
    Sleep(1);
  }
  closesocket(s);
  return reply;
}

std::string SimClient::Received() {
  std::string reply = Command("received");
  if (reply.compare(0, 2, "OK") != 0) return {};
  std::istringstream in(reply.substr(2));
  std::string pair, bytes;
  while (in >> pair) bytes += static_cast<char>(std::strtol(pair.c_str(), nullptr, 16));
  return bytes;
}

}  // namespace km27::test
