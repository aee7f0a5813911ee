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

  // The line's write side has stopped reading what the host sends ("stall").
  bool Stalled() const { return stalled_; }
  // Bytes due on the line that the host has not taken yet (the program
  // around the reader tells; "stats" shows it).
  void SetBacklog(size_t bytes) { backlog_ = bytes; }
  // Control commands whose time ("after") has come, in order.
  std::vector<std::string> TakeScheduled(int64_t now);

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
  // A card read goes out; good is the frame as it should be (it differs from
  // frame when the block check was spoilt), kept for a resend after a NAK.
  void SendCard(const std::string& frame, const std::string& good, int64_t at);
  void HandleFrame(const std::string& body, bool bccOk, int64_t now);
  void HostByte(unsigned char b, int64_t now);
  // Scenario commands (SimScenarios.cpp); nothing when args are not one.
  std::optional<std::string> ScenarioCommand(const std::vector<std::string>& args, int64_t now);
  std::string ScenarioDue(int64_t now);
  void ScenarioDeadlines(int64_t& next) const;
  std::string Stats() const;
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

  // ---- scenarios (SimScenarios.cpp) ----
  // A run of numbered card reads ("swipes").
  struct SwipeRun {
    int64_t count = 0, next = 0;  // reads in the run, index of the next one
    int gapMin = 0, gapMax = 0;   // ms between two reads
    uint32_t seed = 1;
    int corruptPercent = 0;       // reads sent with a spoilt block check
    int collideEvery = 0;         // every k-th read rides on the next "VR" answer
    int64_t nextAt = 0;
    uint64_t rng = 1;
  } run_;
  std::deque<std::string> held_;  // reads waiting for a "VR" answer to ride on
  // Card reads sent and not yet answered, oldest first (good frames).
  std::deque<std::string> unacked_;
  int resendMax_ = 0;   // resends of one read after NAK; 0: never
  int resendsUsed_ = 0; // of the oldest unanswered read
  int64_t lastCardAt_ = 0;  // when the last card read (or resend) went out
  // A reader that resends keeps its next read of a run until the host has
  // answered the last one (or a while has passed).
  bool AwaitingAnswer(int64_t now) const;
  // A line that never goes silent ("stream"): bytes at a bit rate.
  int64_t streamBytesPerSecond_ = 0;
  std::string streamPattern_;   // empty: pseudo-random bytes
  int64_t streamStart_ = 0, streamSent_ = 0, streamTotal_ = 0;
  size_t streamPos_ = 0;
  bool stalled_ = false;
  size_t backlog_ = 0;
  std::vector<std::pair<int64_t, std::string>> scheduled_;  // "after"
  std::vector<std::pair<std::string, std::string>> before_; // "before": host frame body, command
  struct Counters {
    int64_t cards = 0, acks = 0, naks = 0, dles = 0, resent = 0, corrupted = 0, dropped = 0;
  } count_;
};

}  // namespace km27sim
