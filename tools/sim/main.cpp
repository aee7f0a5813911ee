// km27sim: plays the card reader on a pseudo-terminal for tests and for
// running KM27 without hardware. See Usage() or km27sim --help.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "Pty.h"
#include "SimFormat.h"
#include "SimReader.h"

using namespace km27sim;

namespace {

volatile sig_atomic_t gStop = 0;
void OnSignal(int) { gStop = 1; }

constexpr size_t kMaxLine = 1 << 16;
constexpr size_t kMaxPendingOut = 1 << 16;  // flood pauses while the host does not read

const char* Usage() {
  return R"(Usage: km27sim [options]
       km27sim --send-tcp PORT <command...>   send one control command, print the reply
                                              (exit status 0 for OK, 1 for ERR)

Plays the card reader on a pseudo-terminal. It answers "VR" with a version frame
("VR", 10 characters of firmware, 6 of date), "SP" with its power-on setting,
"SP" + 3 characters (which it keeps) and "PR" with ACK (06), a frame with a
wrong block check with NAK (15) and any other command with "NG001". ACK, NAK
and other loose bytes from the host are logged and otherwise ignored.

Options:
  --link PATH          symbolic link to the pseudo-terminal (replaced if it is a
                       link; e.g. $WINEPREFIX/dosdevices/com11 or <dir>/COM11)
  --ready-file PATH    written once the port is ready: lines "pty <slave>",
                       "link <path>", "tcp <port>", "pid <pid>"
  --log PATH           every byte received ("rx") and sent ("tx"), in hex, with ms
  --control PATH       a FIFO (created if missing) read for control commands;
                       replies go to standard output
  --control-tcp PORT   control commands on 127.0.0.1:PORT (0: any free port, see
                       the ready file); replies go back on the connection
  --no-stdin           do not read control commands from standard input
  --do COMMAND         run a control command once the port is ready (repeatable)
  --sp SETTING         power-on setting (default SP0FF)
  --firmware TEXT      firmware answered to VR (10 characters, default "KM27 V1.10")
  --date TEXT          date answered to VR (6 characters, default 261201)
  --no-answer          never answer the host (same as the command "silent on")
  --reply-delay MS     wait before every answer (default 0)
  --header TEXT        frame header (default [02])
  --end TEXT           end code (default [03])
  --footer TEXT        footer after the block check (default empty)
  --separator TEXT     track separator in card reads (default [1F])
  --bcc-type N         1 exclusive-or (default), 2 sum modulo 256, other: 0
  --bcc-bytes N        1 raw byte (default), 2 two hex characters, 0 unchecked
  --bcc-start N        first byte covered, counted from 1 (default 2)
  --help               this text
TEXT values use "[hh]" for the byte with hex value hh.

)";
}

int64_t NowMs() {
  using namespace std::chrono;
  static const auto start = steady_clock::now();
  return duration_cast<milliseconds>(steady_clock::now() - start).count();
}

bool ParseInt(const char* text, int lo, int hi, int& out) {
  char* end = nullptr;
  errno = 0;
  long v = std::strtol(text, &end, 10);
  if (errno || !*text || *end || v < lo || v > hi) return false;
  out = static_cast<int>(v);
  return true;
}

void WriteAll(int fd, const std::string& data) {
  size_t done = 0;
  while (done < data.size()) {
    ssize_t n = ::write(fd, data.data() + done, data.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno == EAGAIN) {
      pollfd p{fd, POLLOUT, 0};
      poll(&p, 1, 1000);
      continue;
    }
    if (n <= 0) return;
    done += static_cast<size_t>(n);
  }
}

int SendTcp(int port, const std::string& command) {
  int s = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(static_cast<uint16_t>(port));
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (s < 0 || connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
    std::fprintf(stderr, "km27sim: cannot connect to 127.0.0.1:%d: %s\n", port, std::strerror(errno));
    return 2;
  }
  WriteAll(s, command + "\n");
  std::string reply;
  char c;
  while (::read(s, &c, 1) == 1 && c != '\n') reply += c;
  ::close(s);
  std::printf("%s\n", reply.c_str());
  return reply.compare(0, 2, "OK") == 0 ? 0 : 1;
}

struct Channel {
  int fdIn;
  int fdOut;  // -1: replies go to standard output
  std::string buffer;
  bool socket;
};

class Program {
 public:
  explicit Program(ReaderOptions options) : reader_(std::move(options)) {
    reader_.log = [this](const std::string& line) { Log(line); };
  }

  std::string link, readyFile, logPath, controlFifo;
  int controlTcp = -1;
  bool useStdin = true;
  std::vector<std::string> startCommands;

  int Run() {
    if (!logPath.empty()) {
      log_.open(logPath, std::ios::app);
      if (!log_) return Fail("cannot write the log " + logPath);
    }
    std::string error;
    if (!pty_.Open(link, error)) return Fail(error);
    if (useStdin) AddChannel(STDIN_FILENO, -1, false);
    if (!controlFifo.empty() && !OpenFifo(error)) return Fail(error);
    if (controlTcp >= 0 && !OpenTcp(error)) return Fail(error);
    WriteReadyFile();
    for (const std::string& c : startCommands) Reply(-1, Execute(c, -1));
    Loop();
    pty_.Close();
    if (!readyFile.empty()) ::unlink(readyFile.c_str());
    return 0;
  }

 private:
  int Fail(const std::string& error) {
    std::fprintf(stderr, "km27sim: %s\n", error.c_str());
    return 1;
  }

  void Log(const std::string& line) {
    if (log_) log_ << NowMs() << ' ' << line << std::endl;
  }

  int AddChannel(int fdIn, int fdOut, bool socket) {
    int id = nextId_++;
    channels_[id] = Channel{fdIn, fdOut, {}, socket};
    return id;
  }

  bool OpenFifo(std::string& error) {
    struct stat st{};
    if (stat(controlFifo.c_str(), &st) != 0 && mkfifo(controlFifo.c_str(), 0600) != 0) {
      error = "cannot create the FIFO " + controlFifo + ": " + std::strerror(errno);
      return false;
    }
    int fd = ::open(controlFifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    // A writer of our own keeps the FIFO from reporting end-of-file each time a test's echo closes it.
    fifoKeep_ = ::open(controlFifo.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0 || fifoKeep_ < 0) {
      error = "cannot open the FIFO " + controlFifo + ": " + std::strerror(errno);
      return false;
    }
    AddChannel(fd, -1, false);
    return true;
  }

  bool OpenTcp(std::string& error) {
    listen_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int one = 1;
    setsockopt(listen_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<uint16_t>(controlTcp));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    if (listen_ < 0 || bind(listen_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || listen(listen_, 8) != 0 ||
        getsockname(listen_, reinterpret_cast<sockaddr*>(&a), &len) != 0) {
      error = "cannot listen on 127.0.0.1:" + std::to_string(controlTcp) + ": " + std::strerror(errno);
      return false;
    }
    tcpPort_ = ntohs(a.sin_port);
    return true;
  }

  void WriteReadyFile() {
    if (readyFile.empty()) return;
    std::string tmp = readyFile + ".tmp";
    {
      std::ofstream f(tmp, std::ios::trunc);
      f << "pty " << pty_.SlavePath() << "\n";
      if (!link.empty()) f << "link " << link << "\n";
      if (tcpPort_ >= 0) f << "tcp " << tcpPort_ << "\n";
      f << "pid " << getpid() << "\n";
    }
    std::rename(tmp.c_str(), readyFile.c_str());
  }

  std::optional<std::string> Execute(const std::string& line, int client) {
    auto reply = reader_.Execute(line, client, NowMs());
    std::string error;
    switch (ApplyAction(error)) {
      case PortAction::Reconnect:
        return error.empty() ? "OK " + pty_.SlavePath() : "ERR " + error;
      default:
        return reply;
    }
  }

  // Carries out what the reader asked of the port (a command, a scheduled
  // command or one tied to the host's frame may ask it).
  PortAction ApplyAction(std::string& error) {
    PortAction action = reader_.TakeAction();
    switch (action) {
      case PortAction::Vanish:
        pty_.Close();
        out_.clear();
        reader_.SetPortPresent(false);
        break;
      case PortAction::Reconnect:
        out_.clear();
        if (!pty_.Open(link, error)) {
          reader_.SetPortPresent(false);
          break;
        }
        reader_.SetPortPresent(true);
        WriteReadyFile();
        break;
      case PortAction::Quit:
        gStop = 1;
        break;
      case PortAction::None:
        break;
    }
    return action;
  }

  void RunScheduled(int64_t now) {
    for (const std::string& command : reader_.TakeScheduled(now)) {
      auto reply = reader_.Execute(command, -1, now);
      std::string error;
      ApplyAction(error);
      Log("note after " + command + ": " + (error.empty() ? reply.value_or("(deferred)") : "ERR " + error));
    }
  }

  void Reply(int client, const std::optional<std::string>& reply) {
    if (!reply) return;
    auto it = channels_.find(client);
    if (it != channels_.end() && it->second.fdOut >= 0) {
      WriteAll(it->second.fdOut, *reply + "\n");
    } else {
      std::fputs((*reply + "\n").c_str(), stdout);
      std::fflush(stdout);
    }
  }

  void ReadChannel(int id) {
    Channel& ch = channels_[id];
    char buf[4096];
    ssize_t n = ::read(ch.fdIn, buf, sizeof buf);
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) return;
    if (n <= 0) {
      if (ch.socket) ::close(ch.fdIn);
      reader_.ForgetClient(id);
      channels_.erase(id);
      return;
    }
    ch.buffer.append(buf, static_cast<size_t>(n));
    size_t nl;
    while (channels_.count(id) && (nl = channels_[id].buffer.find('\n')) != std::string::npos) {
      std::string line = channels_[id].buffer.substr(0, nl);
      channels_[id].buffer.erase(0, nl + 1);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (line.find_first_not_of(" \t") == std::string::npos) continue;
      Reply(id, Execute(line, id));
    }
    if (channels_.count(id) && channels_[id].buffer.size() > kMaxLine) {
      channels_[id].buffer.clear();
      Reply(id, std::string("ERR control line too long"));
    }
  }

  void Loop() {
    while (!gStop) {
      int64_t now = NowMs();
      RunScheduled(now);
      if (pty_.IsOpen() && out_.size() < kMaxPendingOut) out_ += reader_.TakeDue(now);
      for (auto& [client, line] : reader_.TakeReplies(now)) Reply(client, line);
      if (pty_.IsOpen() && !out_.empty()) {
        ssize_t n = ::write(pty_.Master(), out_.data(), out_.size());
        if (n > 0) out_.erase(0, static_cast<size_t>(n));
      }
      reader_.SetBacklog(out_.size() + (pty_.IsOpen() ? pty_.Unread() : 0));

      std::vector<pollfd> fds;
      std::vector<int> ids;
      // A stalled reader takes nothing from the line: the host's writes back up.
      const bool reading = !reader_.Stalled();
      if (pty_.IsOpen() && (reading || !out_.empty())) {
        fds.push_back({pty_.Master(), static_cast<short>((reading ? POLLIN : 0) | (out_.empty() ? 0 : POLLOUT)), 0});
        ids.push_back(-1);
      }
      if (listen_ >= 0) {
        fds.push_back({listen_, POLLIN, 0});
        ids.push_back(-2);
      }
      for (auto& [id, ch] : channels_) {
        fds.push_back({ch.fdIn, POLLIN, 0});
        ids.push_back(id);
      }
      int64_t next = reader_.NextDeadline();
      int timeout = next < 0 ? 1000 : static_cast<int>(std::max<int64_t>(0, std::min<int64_t>(next - now, 1000)));
      if (!out_.empty() && out_.size() >= kMaxPendingOut) timeout = 1000;
      int r = poll(fds.data(), fds.size(), timeout);
      if (r <= 0) continue;
      for (size_t i = 0; i < fds.size(); ++i) {
        if (!fds[i].revents) continue;
        if (ids[i] == -1) {
          if (reading && (fds[i].revents & (POLLIN | POLLHUP | POLLERR))) {
            char buf[4096];
            ssize_t n = ::read(pty_.Master(), buf, sizeof buf);
            if (n > 0) reader_.Received(std::string(buf, static_cast<size_t>(n)), NowMs());
            std::string error;
            ApplyAction(error);
          }
        } else if (ids[i] == -2) {
          int c = accept4(listen_, nullptr, nullptr, SOCK_CLOEXEC);
          if (c >= 0) AddChannel(c, c, true);
        } else if (channels_.count(ids[i])) {
          ReadChannel(ids[i]);
        }
      }
    }
  }

  Reader reader_;
  Pty pty_;
  std::ofstream log_;
  std::map<int, Channel> channels_;
  int nextId_ = 0;
  int listen_ = -1;
  int tcpPort_ = -1;
  int fifoKeep_ = -1;
  std::string out_;  // bytes due on the line that the pseudo-terminal has not taken yet
};

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (!args.empty() && args[0] == "--send-tcp") {
    int port = 0;
    if (args.size() < 3 || !ParseInt(args[1].c_str(), 1, 65535, port)) {
      std::fprintf(stderr, "usage: km27sim --send-tcp PORT <command...>\n");
      return 2;
    }
    std::string command;
    for (size_t i = 2; i < args.size(); ++i) command += (i > 2 ? " " : "") + args[i];
    return SendTcp(port, command);
  }

  ReaderOptions options;
  std::string link, ready, log, fifo;
  int tcp = -1;
  bool useStdin = true;
  std::vector<std::string> commands;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&](std::string& out) {
      if (i + 1 >= args.size()) {
        std::fprintf(stderr, "km27sim: %s needs a value (see --help)\n", a.c_str());
        std::exit(2);
      }
      out = args[++i];
    };
    auto number = [&](int lo, int hi) {
      std::string v;
      value(v);
      int n = 0;
      if (!ParseInt(v.c_str(), lo, hi, n)) {
        std::fprintf(stderr, "km27sim: %s wants a number from %d to %d, not '%s'\n", a.c_str(), lo, hi, v.c_str());
        std::exit(2);
      }
      return n;
    };
    std::string v;
    if (a == "--help" || a == "-h") {
      std::fputs(Usage(), stdout);
      std::fputs(Reader::HelpText(), stdout);
      return 0;
    } else if (a == "--link") value(link);
    else if (a == "--ready-file") value(ready);
    else if (a == "--log") value(log);
    else if (a == "--control") value(fifo);
    else if (a == "--control-tcp") tcp = number(0, 65535);
    else if (a == "--no-stdin") useStdin = false;
    else if (a == "--do") { value(v); commands.push_back(v); }
    else if (a == "--sp") {
      value(v);
      options.powerOnSetting = DecodeBrackets(v);
      if (options.powerOnSetting.size() != 5 || options.powerOnSetting.compare(0, 2, "SP") != 0) {
        std::fprintf(stderr, "km27sim: --sp wants SP followed by 3 characters, e.g. SP0FF\n");
        return 2;
      }
    }
    else if (a == "--firmware") { value(v); options.firmware = DecodeBrackets(v); }
    else if (a == "--date") { value(v); options.date = DecodeBrackets(v); }
    else if (a == "--no-answer") options.answer = false;
    else if (a == "--reply-delay") options.replyDelayMs = number(0, 600000);
    else if (a == "--header") { value(v); options.format.header = DecodeBrackets(v); }
    else if (a == "--end") { value(v); options.format.end = DecodeBrackets(v); }
    else if (a == "--footer") { value(v); options.format.footer = DecodeBrackets(v); }
    else if (a == "--separator") { value(v); options.separator = DecodeBrackets(v); }
    else if (a == "--bcc-type") options.format.bccType = number(-1000, 1000);
    else if (a == "--bcc-bytes") options.format.bccBytes = number(-1000, 1000);
    else if (a == "--bcc-start") options.format.bccStart = number(-1000, 1000);
    else {
      std::fprintf(stderr, "km27sim: unknown option '%s' (see --help)\n", a.c_str());
      return 2;
    }
  }

  struct sigaction sa{};
  sa.sa_handler = OnSignal;
  sigaction(SIGINT, &sa, nullptr);
  sigaction(SIGTERM, &sa, nullptr);
  signal(SIGPIPE, SIG_IGN);

  Program program(options);
  program.link = link;
  program.readyFile = ready;
  program.logPath = log;
  program.controlFifo = fifo;
  program.controlTcp = tcp;
  program.useStdin = useStdin;
  program.startCommands = commands;
  return program.Run();
}
