#include "SimReader.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <sstream>

namespace km27sim {

namespace {

constexpr char kAck = 0x06;
constexpr char kNak = 0x15;
// A frame that stays incomplete this long is dropped so that the next one parses.
constexpr int64_t kStaleInputMs = 1000;
// Control input limits that keep a bad test from making the reader allocate forever.
constexpr long kMaxRandom = 1 << 20;
constexpr long kMaxDelay = 600000;

std::vector<std::string> Split(const std::string& line) {
  std::vector<std::string> out;
  std::istringstream in(line);
  std::string w;
  while (in >> w) out.push_back(w);
  return out;
}

std::string Join(const std::vector<std::string>& args, size_t from) {
  std::string out;
  for (size_t i = from; i < args.size(); ++i) {
    if (i > from) out += ' ';
    out += args[i];
  }
  return out;
}

bool ParseNumber(const std::string& text, long lo, long hi, long& value) {
  if (text.empty()) return false;
  char* end = nullptr;
  errno = 0;
  long v = std::strtol(text.c_str(), &end, 10);
  if (errno != 0 || *end != '\0' || v < lo || v > hi) return false;
  value = v;
  return true;
}

std::string Fit(std::string text, size_t n) {
  text.resize(n, ' ');
  return text;
}

}  // namespace

Reader::Reader(ReaderOptions options) : opt_(std::move(options)) {
  opt_.firmware = Fit(opt_.firmware, 10);
  opt_.date = Fit(opt_.date, 6);
}

void Reader::Log(const std::string& what) {
  if (log) log(what);
}

void Reader::Send(const std::string& bytes, int64_t at) {
  auto pos = std::upper_bound(out_.begin(), out_.end(), at,
                              [](int64_t t, const Pending& p) { return t < p.due; });
  out_.insert(pos, Pending{at, bytes});
}

void Reader::Received(const std::string& bytes, int64_t now) {
  if (bytes.empty()) return;
  Log("rx " + ToHex(bytes));
  if (!input_.empty() && now - lastInput_ > kStaleInputMs) {
    Log("note dropped incomplete input " + ToHex(input_));
    input_.clear();
  }
  lastInput_ = now;
  rx_ += bytes;
  input_ += bytes;
  ParseInput(now);
  for (auto it = waits_.begin(); it != waits_.end();) {
    if (rx_.find(it->pattern) != std::string::npos) {
      ready_.emplace_back(it->client, "OK");
      it = waits_.erase(it);
    } else {
      ++it;
    }
  }
}

void Reader::ParseInput(int64_t now) {
  const FrameFormat& f = opt_.format;
  while (!input_.empty()) {
    bool startsFrame = !f.header.empty() && input_.compare(0, f.header.size(), f.header) == 0;
    if (!startsFrame) {
      if (!f.header.empty() && f.header.compare(0, input_.size(), input_) == 0) return;  // header still arriving
      unsigned char b = static_cast<unsigned char>(input_[0]);
      const char* name = b == 0x06 ? " (ACK)" : b == 0x15 ? " (NAK)" : b == 0x10 ? " (DLE)" : "";
      Log("note byte " + ToHex(input_.substr(0, 1)) + name);
      input_.erase(0, 1);
      HostByte(b, now);
      continue;
    }
    size_t endPos = f.end.empty() ? std::string::npos : input_.find(f.end, f.header.size());
    if (endPos == std::string::npos) {
      if (input_.size() > 4096) {
        Log("note dropped overlong input");
        input_.clear();
      }
      return;
    }
    size_t checked = endPos + f.end.size();
    size_t total = checked + f.BccLength() + f.footer.size();
    if (input_.size() < total) return;
    std::string framePart = input_.substr(0, checked);
    std::string bcc = input_.substr(checked, f.BccLength());
    std::string body = input_.substr(f.header.size(), endPos - f.header.size());
    bool ok = f.bccBytes < 1 || MakeBcc(framePart, f) == bcc;
    input_.erase(0, total);
    HandleFrame(body, ok, now);
  }
}

void Reader::HandleFrame(const std::string& body, bool bccOk, int64_t now) {
  Log("note frame " + ToHex(body) + (bccOk ? "" : " (bad BCC)"));
  // Commands armed for this frame ("before") go out ahead of its answer.
  for (auto it = before_.begin(); it != before_.end();) {
    if (bccOk && it->first == body) {
      std::string command = it->second;
      it = before_.erase(it);
      bool deferred = false;
      std::vector<std::string> args;
      std::istringstream in(command);
      for (std::string w; in >> w;) args.push_back(w);
      Log("note before " + command + ": " + Command(args, -1, now, deferred));
    } else {
      ++it;
    }
  }
  if (silent_ || !opt_.answer) return;
  int64_t at = now + opt_.replyDelayMs;
  // Held card reads ride on the version answer: both reach the host
  // back to back, closer than any frame gap.
  if (bccOk && body == "VR") {
    for (const std::string& card : held_) SendCard(card, card, at);
    held_.clear();
  }
  if (!bccOk) {
    Send(std::string(1, kNak), at);
  } else if (body == "VR") {
    Send(BuildFrame("VR" + opt_.firmware + opt_.date, opt_.format), at);
  } else if (body == "SP") {
    Send(BuildFrame(opt_.powerOnSetting, opt_.format), at);
  } else if (body.size() == 5 && body.compare(0, 2, "SP") == 0) {
    opt_.powerOnSetting = body;
    Send(std::string(1, kAck), at);
  } else if (body == "PR") {
    Send(std::string(1, kAck), at);
  } else {
    Send(BuildFrame("NG001", opt_.format), at);
  }
}

std::string Reader::TakeDue(int64_t now) {
  if (!input_.empty() && now - lastInput_ > kStaleInputMs) {
    Log("note dropped incomplete input " + ToHex(input_));
    input_.clear();
  }
  std::string stream = ScenarioDue(now);
  std::string bytes;
  while (!out_.empty() && out_.front().due <= now) {
    bytes += out_.front().bytes;
    out_.pop_front();
  }
  if (flood_ && portPresent_ && now >= floodNext_) {
    bytes += floodBytes_;
    floodNext_ = now + floodGap_;
  }
  if (!bytes.empty()) Log("tx " + ToHex(bytes));
  return bytes + stream;  // the stream is counted, not logged byte by byte
}

std::vector<std::pair<int, std::string>> Reader::TakeReplies(int64_t now) {
  for (auto it = waits_.begin(); it != waits_.end();) {
    if (now >= it->deadline) {
      ready_.emplace_back(it->client, "ERR timeout waiting for " + ToHex(it->pattern));
      it = waits_.erase(it);
    } else {
      ++it;
    }
  }
  std::vector<std::pair<int, std::string>> out;
  out.swap(ready_);
  return out;
}

int64_t Reader::NextDeadline() const {
  int64_t next = -1;
  auto consider = [&next](int64_t t) {
    if (next < 0 || t < next) next = t;
  };
  if (!out_.empty()) consider(out_.front().due);
  if (flood_ && portPresent_) consider(floodNext_);
  for (const Wait& w : waits_) consider(w.deadline);
  if (!input_.empty()) consider(lastInput_ + kStaleInputMs + 1);
  ScenarioDeadlines(next);
  return next;
}

void Reader::ForgetClient(int client) {
  waits_.erase(std::remove_if(waits_.begin(), waits_.end(), [client](const Wait& w) { return w.client == client; }),
               waits_.end());
  ready_.erase(std::remove_if(ready_.begin(), ready_.end(), [client](const auto& r) { return r.first == client; }),
               ready_.end());
}

std::optional<std::string> Reader::Execute(const std::string& line, int client, int64_t now) {
  std::vector<std::string> args = Split(line);
  if (args.empty()) return std::string("ERR empty command (try help)");
  bool deferred = false;
  std::string reply = Command(args, client, now, deferred);
  if (deferred) return std::nullopt;
  return reply;
}

std::string Reader::Swipe(const std::vector<std::string>& args, std::string& error) const {
  std::string body = "CR0";
  for (size_t i = 1; i < args.size(); ++i) {
    if (i > 1) body += opt_.separator;
    if (args[i] == "-") continue;  // an empty slot: separator only
    size_t colon = args[i].find(':');
    if (colon == std::string::npos) {
      error = "slot '" + args[i] + "' is not status:data or -";
      return {};
    }
    body += DecodeBrackets(args[i].substr(0, colon)) + DecodeBrackets(args[i].substr(colon + 1));
  }
  return body;
}

std::string Reader::Command(const std::vector<std::string>& args, int client, int64_t now, bool& deferred) {
  const std::string& cmd = args[0];
  const size_t n = args.size();
  auto sendFrame = [&](const std::string& body, bool bad) -> std::string {
    if (!portPresent_) return "ERR the port has vanished (use reconnect)";
    std::string frame = BuildFrame(body, opt_.format, bad);
    if (body.compare(0, 2, "CR") == 0)
      SendCard(frame, BuildFrame(body, opt_.format), now);
    else
      Send(frame, now);
    return "OK " + ToHex(frame);
  };
  auto sendBytes = [&](const std::string& bytes) -> std::string {
    if (!portPresent_) return "ERR the port has vanished (use reconnect)";
    Send(bytes, now);
    return "OK " + ToHex(bytes);
  };

  if (cmd == "help") return std::string("OK ") + "commands: swipe frame badbcc cw ng dh ae raw split random flood "
                                                  "silent delay sp version received clear wait-rx vanish reconnect "
                                                  "swipes resend stream stall after before cut stats "
                                                  "ping quit (km27sim --help explains them)";
  if (cmd == "ping") return "OK pong";
  if (auto reply = ScenarioCommand(args, now)) return *reply;
  if (cmd == "swipe") {
    if (n < 2) return "ERR usage: swipe <status:data|-> ...";
    std::string error;
    std::string body = Swipe(args, error);
    if (!error.empty()) return "ERR " + error;
    return sendFrame(body, false);
  }
  if (cmd == "frame" || cmd == "badbcc") {
    if (n < 2) return "ERR usage: " + cmd + " <body text with [hh] escapes>";
    return sendFrame(DecodeBrackets(Join(args, 1)), cmd == "badbcc");
  }
  if (cmd == "cw") {
    if (n != 4) return "ERR usage: cw <status1> <status2> <status3> (- for none)";
    std::string body = "CW0";
    for (size_t i = 1; i <= 3; ++i) {
      if (i > 1) body += '\x1F';
      if (args[i] != "-") body += DecodeBrackets(args[i]);
    }
    return sendFrame(body, false);
  }
  if (cmd == "ng" || cmd == "dh" || cmd == "ae") {
    if (n != 2) return "ERR usage: " + cmd + " <code digits>";
    std::string code = cmd;
    for (char& c : code) c = static_cast<char>(c - 'a' + 'A');
    return sendFrame(code + DecodeBrackets(args[1]), false);
  }
  if (cmd == "raw") {
    if (n < 2) return "ERR usage: raw <hex bytes>";
    std::string bytes, error;
    if (!ParseHex(Join(args, 1), bytes, error)) return "ERR " + error;
    return sendBytes(bytes);
  }
  if (cmd == "split") {
    long gap = 0;
    if (n < 3 || !ParseNumber(args[1], 0, kMaxDelay, gap)) return "ERR usage: split <gap ms> <hex piece> <hex piece>...";
    if (!portPresent_) return "ERR the port has vanished (use reconnect)";
    std::vector<std::string> pieces;
    for (size_t i = 2; i < n; ++i) {
      std::string bytes, error;
      if (!ParseHex(args[i], bytes, error)) return "ERR piece " + std::to_string(i - 1) + ": " + error;
      pieces.push_back(bytes);
    }
    std::string all;
    for (size_t i = 0; i < pieces.size(); ++i) {
      Send(pieces[i], now + static_cast<int64_t>(i) * gap);
      all += pieces[i];
    }
    return "OK " + ToHex(all);
  }
  if (cmd == "random") {
    long count = 0, seed = 0;
    if (n < 2 || n > 3 || !ParseNumber(args[1], 1, kMaxRandom, count) ||
        (n == 3 && !ParseNumber(args[2], 0, 0x7FFFFFFF, seed)))
      return "ERR usage: random <count 1.." + std::to_string(kMaxRandom) + "> [seed]";
    if (n == 3) random_ = static_cast<uint32_t>(seed) | 1u;
    std::string bytes;
    for (long i = 0; i < count; ++i) {
      random_ ^= random_ << 13;
      random_ ^= random_ >> 17;
      random_ ^= random_ << 5;
      bytes += static_cast<char>(random_ & 0xFF);
    }
    std::string reply = sendBytes(bytes);
    return reply.compare(0, 2, "OK") == 0 ? "OK sent " + std::to_string(count) + " bytes" : reply;
  }
  if (cmd == "flood") {
    if (n == 2 && args[1] == "off") {
      flood_ = false;
      return "OK flood off";
    }
    long gap = 0;
    std::string bytes, error;
    if (n < 3 || !ParseNumber(args[1], 1, kMaxDelay, gap)) return "ERR usage: flood <gap ms> <hex bytes> | flood off";
    if (!ParseHex(Join(args, 2), bytes, error) || bytes.empty()) return "ERR " + (error.empty() ? "no bytes" : error);
    flood_ = true;
    floodBytes_ = bytes;
    floodGap_ = static_cast<int>(gap);
    floodNext_ = now;
    return "OK flood on";
  }
  if (cmd == "silent") {
    if (n != 2 || (args[1] != "on" && args[1] != "off")) return "ERR usage: silent on|off";
    silent_ = args[1] == "on";
    return "OK silent " + args[1];
  }
  if (cmd == "delay") {
    long ms = 0;
    if (n != 2 || !ParseNumber(args[1], 0, kMaxDelay, ms)) return "ERR usage: delay <ms before each answer>";
    opt_.replyDelayMs = static_cast<int>(ms);
    return "OK delay " + args[1];
  }
  if (cmd == "sp") {
    if (n != 2) return "ERR usage: sp <setting, e.g. SP0FF>";
    std::string sp = DecodeBrackets(args[1]);
    if (sp.size() != 5 || sp.compare(0, 2, "SP") != 0) return "ERR the setting is SP followed by 3 characters";
    opt_.powerOnSetting = sp;
    return "OK sp " + sp;
  }
  if (cmd == "version") {
    if (n != 3) return "ERR usage: version <firmware, 10 characters> <date, 6 characters>";
    opt_.firmware = Fit(DecodeBrackets(args[1]), 10);
    opt_.date = Fit(DecodeBrackets(args[2]), 6);
    return "OK version";
  }
  if (cmd == "received") return rx_.empty() ? "OK" : "OK " + ToHex(rx_);
  if (cmd == "clear") {
    rx_.clear();
    return "OK";
  }
  if (cmd == "wait-rx") {
    long timeout = 0;
    std::string pattern, error;
    if (n < 3 || !ParseNumber(args[n - 1], 0, kMaxDelay, timeout))
      return "ERR usage: wait-rx <hex bytes> <timeout ms>";
    std::vector<std::string> hexArgs(args.begin(), args.end() - 1);
    if (!ParseHex(Join(hexArgs, 1), pattern, error) || pattern.empty())
      return "ERR " + (error.empty() ? "no bytes" : error);
    if (rx_.find(pattern) != std::string::npos) return "OK";
    waits_.push_back(Wait{client, pattern, now + timeout});
    deferred = true;
    return {};
  }
  if (cmd == "vanish") {
    if (!portPresent_) return "ERR the port has already vanished";
    action_ = PortAction::Vanish;
    portPresent_ = false;
    out_.clear();
    flood_ = false;
    return "OK vanished";
  }
  if (cmd == "reconnect") {
    action_ = PortAction::Reconnect;
    portPresent_ = true;
    return "OK reconnecting";
  }
  if (cmd == "quit") {
    action_ = PortAction::Quit;
    return "OK bye";
  }
  return "ERR unknown command '" + cmd + "' (try help)";
}

const char* Reader::HelpText() {
  return R"(Control commands (one per line; each is answered with one line "OK ..." or "ERR <reason>"):
  swipe <slot>...           card read: header "CR0" then the slots joined by the separator;
                            a slot is <status>:<data> (either part may be empty) or - (empty slot)
                            e.g. swipe 0:1234567890 1: 0:ABC
  frame <text>              any frame: header + text + end code + BCC + footer, e.g. frame NG001
  badbcc <text>             the same with a wrong block check
  cw <s1> <s2> <s3>         write response "CW0" s1 US s2 US s3 (- for no status)
  ng <code>                 error response, e.g. ng 001
  dh <code>                 error event, e.g. dh 01
  ae <code>                 event information, e.g. ae 11
  raw <hex>                 bytes as they stand, e.g. raw 06 or raw 02 43 52
  split <gap ms> <hex>...   pieces sent <gap ms> apart, e.g. split 50 02435230 30313203 71
  random <count> [seed]     count random bytes (at most 1048576)
  flood <gap ms> <hex>      repeat the bytes every gap ms until "flood off" (a line that never goes silent)
  silent on|off             stop / resume answering the host's commands
  delay <ms>                wait before every answer
  sp <setting>              power-on setting answered to "SP", e.g. sp SP1FF
  version <fw> <date>       firmware (10 characters) and date (6) answered to "VR"
  received                  everything received since start or "clear", in hex
  clear                     forget what was received
  wait-rx <hex> <ms>        answer OK once the received bytes contain <hex>, ERR after <ms>
  vanish                    unlink the port and close the pseudo-terminal (the reader is unplugged)
  reconnect                 a new pseudo-terminal at the same link
  ping                      OK pong
  quit                      end the simulator
Scenarios for long runs and fault injection:
  swipes <count> <gap ms>[-<max ms>] [seed=N] [corrupt=PERCENT] [collide=K]
                            numbered card reads (see SimCards.h), one every gap ms (a random
                            gap in the range); corrupt: that share goes out with a spoilt block
                            check; collide: every K-th read waits for the next "VR" command and
                            goes out right before its answer. "swipes off" ends the run
  resend <n>                resend an unanswered card read after each NAK, at most n times
                            (0, the default: never); 10 (DLE) from the host drops it. Such a
                            reader sends the next read of a run only once the last one is
                            answered (or after 2 s)
  stream <bit/s> random|<hex>   a line that never goes silent: pseudo-random bytes or the hex
                            pattern over and over at that rate (10 bits a byte); "stream off"
  stall on|off              stop / resume reading what the host writes: its writes back up
                            once the line's buffer is full
  after <ms> <command...>   run a control command later (its reply goes to the log),
                            e.g. after 2000 reconnect
  before <body> <command...>  the next time the host sends the frame <body> (e.g. VR), run
                            the command just before answering it, e.g. before VR swipe 0:123
  cut <bytes> <slot>...     the first <bytes> bytes of a card read; with "after 20 vanish" the
                            reader is unplugged in the middle of a frame
  stats                     reads=<card reads sent> acks= naks= dles= resent= corrupted=
                            dropped= held= left= streamed=<bytes> backlog=<bytes the host has
                            not taken off the line yet>
In text arguments "[hh]" is the byte with hex value hh; use [20] for a space.
)";
}

}  // namespace km27sim
