#pragma once
// The simulated card reader, free of any I/O: it takes the bytes the host
// wrote and the control commands of a test, and says what goes out on the
// line and when. The program around it (main.cpp) moves the bytes between
// this object, the pseudo-terminal and the control channels.
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "SimFormat.h"

namespace km27sim {

struct ReaderOptions {
  FrameFormat format;
  std::string powerOnSetting = "SP0FF";
  std::string firmware = "KM27 V1.10";  // 10 characters
  std::string date = "261201";          // 6 characters
  bool answer = true;
  std::string separator = "\x1F";  // between the slots of a card read
  int replyDelayMs = 0;
};

// What the program around the reader must do after a command.
enum class PortAction { None, Vanish, Reconnect, Quit };

class Reader {
 public:
  explicit Reader(ReaderOptions options);

  // Bytes the host wrote, arriving at time now (ms).
  void Received(const std::string& bytes, int64_t now);

  // One control line from client; returns the reply line ("OK ..." or
  // "ERR ..."), or nothing when the reply comes later (wait-rx).
  std::optional<std::string> Execute(const std::string& line, int client, int64_t now);

  // Bytes that are due on the line at time now.
  std::string TakeDue(int64_t now);
  // Replies that became due (wait-rx): client and line.
  std::vector<std::pair<int, std::string>> TakeReplies(int64_t now);
  // The next time something is due; -1 when nothing is scheduled.
  int64_t NextDeadline() const;

  PortAction TakeAction() {
    PortAction a = action_;
    action_ = PortAction::None;
    return a;
  }
  void SetPortPresent(bool present) { portPresent_ = present; }
  // A client went away: drop its pending waits.
  void ForgetClient(int client);

  // Log of the line traffic ("rx ..." / "tx ..." / "note ..."), one entry per event.
  std::function<void(const std::string&)> log;

  const std::string& ReceivedBytes() const { return rx_; }
  static const char* HelpText();

 private:
  struct Pending {
    int64_t due;
    std::string bytes;
  };
  struct Wait {
    int client;
    std::string pattern;
    int64_t deadline;
  };

  void Send(const std::string& bytes, int64_t at);
  void HandleFrame(const std::string& body, bool bccOk, int64_t now);
  void ParseInput(int64_t now);
  std::string Command(const std::vector<std::string>& args, int client, int64_t now, bool& deferred);
  std::string Swipe(const std::vector<std::string>& args, std::string& error) const;
  void Log(const std::string& what);

  ReaderOptions opt_;
  std::string rx_;        // everything received since start or the last "clear"
  std::string input_;     // bytes not yet taken apart into frames
  int64_t lastInput_ = 0;
  std::deque<Pending> out_;
  std::vector<Wait> waits_;
  std::vector<std::pair<int, std::string>> ready_;
  bool silent_ = false;
  bool portPresent_ = true;
  PortAction action_ = PortAction::None;
  // Flood: a byte pattern repeated every floodGap_ ms until switched off.
  bool flood_ = false;
  std::string floodBytes_;
  int floodGap_ = 1;
  int64_t floodNext_ = 0;
  uint32_t random_ = 12345;
};

}  // namespace km27sim
