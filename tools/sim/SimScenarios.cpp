// Scenarios of the simulated reader for long runs and fault injection: runs
// of numbered card reads (at a rate, some spoilt, some landing on the answer
// to a reader check), resending after a NAK, a line that never goes silent,
// a write side that stops reading, and commands timed later or tied to the
// host's next command.
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <sstream>

#include "SimCards.h"
#include "SimReader.h"

namespace km27sim {

namespace {

constexpr char kAck = 0x06;
constexpr char kNak = 0x15;
constexpr char kDle = 0x10;
constexpr int64_t kMaxCount = 100000000;
constexpr int kMaxGap = 600000;
constexpr int64_t kMaxBitRate = 10000000;
// Unanswered reads remembered for a resend; older ones are forgotten.
constexpr size_t kMaxUnacked = 64;
// How long a reader that resends waits for the answer to a read before the
// next read of a run goes out all the same.
constexpr int64_t kAnswerWaitMs = 2000;
// At most this much of a stream is due at once, so that a host that stopped
// reading for a while is not buried when it comes back.
constexpr int64_t kMaxStreamBurstMs = 100;

bool Number(const std::string& text, int64_t lo, int64_t hi, int64_t& value) {
  if (text.empty()) return false;
  char* end = nullptr;
  errno = 0;
  long long v = std::strtoll(text.c_str(), &end, 10);
  if (errno != 0 || *end != '\0' || v < lo || v > hi) return false;
  value = v;
  return true;
}

// "150" or "150-400".
bool GapRange(const std::string& text, int& lo, int& hi) {
  int64_t a = 0, b = 0;
  size_t dash = text.find('-');
  if (dash == std::string::npos) {
    if (!Number(text, 0, kMaxGap, a)) return false;
    b = a;
  } else if (!Number(text.substr(0, dash), 0, kMaxGap, a) || !Number(text.substr(dash + 1), 0, kMaxGap, b) ||
             b < a) {
    return false;
  }
  lo = static_cast<int>(a);
  hi = static_cast<int>(b);
  return true;
}

uint64_t Next(uint64_t& x) {
  x ^= x << 13;
  x ^= x >> 7;
  x ^= x << 17;
  return x;
}

std::string JoinFrom(const std::vector<std::string>& args, size_t from) {
  std::string out;
  for (size_t i = from; i < args.size(); ++i) out += (i > from ? " " : "") + args[i];
  return out;
}

}  // namespace

void Reader::SendCard(const std::string& frame, const std::string& good, int64_t at) {
  Send(frame, at);
  ++count_.cards;
  lastCardAt_ = at;
  if (unacked_.empty()) resendsUsed_ = 0;
  unacked_.push_back(good);
  if (unacked_.size() > kMaxUnacked) {
    unacked_.pop_front();
    resendsUsed_ = 0;
  }
}

void Reader::HostByte(unsigned char b, int64_t now) {
  if (b == kAck) {
    ++count_.acks;
    if (!unacked_.empty()) {
      unacked_.pop_front();
      resendsUsed_ = 0;
    }
  } else if (b == kNak) {
    ++count_.naks;
    if (unacked_.empty()) return;
    if (resendsUsed_ < resendMax_ && portPresent_) {
      ++resendsUsed_;
      ++count_.resent;
      std::string again = unacked_.front();
      Log("note resend after NAK");
      Send(again, now + opt_.replyDelayMs);
      lastCardAt_ = now + opt_.replyDelayMs;
    } else {
      ++count_.dropped;
      unacked_.pop_front();
      resendsUsed_ = 0;
    }
  } else if (b == kDle) {
    // The host gives up on the frame: so does the reader.
    ++count_.dles;
    if (!unacked_.empty()) {
      ++count_.dropped;
      unacked_.pop_front();
      resendsUsed_ = 0;
    }
  }
}

std::vector<std::string> Reader::TakeScheduled(int64_t now) {
  std::vector<std::string> due;
  auto it = std::stable_partition(scheduled_.begin(), scheduled_.end(),
                                  [now](const auto& s) { return s.first > now; });
  for (auto d = it; d != scheduled_.end(); ++d) due.push_back(d->second);
  scheduled_.erase(it, scheduled_.end());
  return due;
}

bool Reader::AwaitingAnswer(int64_t now) const {
  // Two reads on the line unanswered would reach a host that lags as one
  // buffer, and a NAK for it could not tell which one to send again.
  return resendMax_ > 0 && !unacked_.empty() && now < lastCardAt_ + kAnswerWaitMs;
}

std::string Reader::ScenarioDue(int64_t now) {
  // The run of numbered reads.
  while (run_.next < run_.count && now >= run_.nextAt && portPresent_ && !AwaitingAnswer(now)) {
    const int64_t index = run_.next++;
    const std::string good = BuildFrame(NumberedReadBody(MakeNumberedRead(run_.seed, index), opt_.separator),
                                        opt_.format);
    if (run_.collideEvery > 0 && (index + 1) % run_.collideEvery == 0) {
      held_.push_back(good);
    } else if (run_.corruptPercent > 0 && static_cast<int>(Next(run_.rng) % 100) < run_.corruptPercent) {
      ++count_.corrupted;
      std::string spoilt = BuildFrame(NumberedReadBody(MakeNumberedRead(run_.seed, index), opt_.separator),
                                      opt_.format, true);
      SendCard(spoilt, good, now);
    } else {
      SendCard(good, good, now);
    }
    const int span = run_.gapMax - run_.gapMin;
    run_.nextAt = now + run_.gapMin + (span > 0 ? static_cast<int>(Next(run_.rng) % (span + 1)) : 0);
  }

  // The stream.
  if (streamBytesPerSecond_ <= 0 || !portPresent_) return {};
  // The first byte goes at once, then the line stays busy.
  int64_t due = (now - streamStart_) * streamBytesPerSecond_ / 1000 + 1 - streamSent_;
  const int64_t burst = streamBytesPerSecond_ * kMaxStreamBurstMs / 1000 + 1;
  if (due > burst) {
    streamSent_ += due - burst;  // what the host could not take is not owed later
    due = burst;
  }
  if (due <= 0) return {};
  std::string bytes;
  bytes.reserve(static_cast<size_t>(due));
  for (int64_t i = 0; i < due; ++i) {
    if (streamPattern_.empty()) {
      bytes += static_cast<char>(Next(run_.rng) & 0xFF);
    } else {
      bytes += streamPattern_[streamPos_];
      streamPos_ = (streamPos_ + 1) % streamPattern_.size();
    }
  }
  streamSent_ += due;
  streamTotal_ += due;
  return bytes;
}

void Reader::ScenarioDeadlines(int64_t& next) const {
  auto consider = [&next](int64_t t) {
    if (next < 0 || t < next) next = t;
  };
  if (run_.next < run_.count && portPresent_) {
    // While an answer is awaited, its arrival wakes the reader; the wait's end is a deadline.
    consider(resendMax_ > 0 && !unacked_.empty() ? std::max(run_.nextAt, lastCardAt_ + kAnswerWaitMs) : run_.nextAt);
  }
  if (streamBytesPerSecond_ > 0 && portPresent_) {
    // The next byte's time: 1 ms steps are fine at any rate the line has.
    consider(streamStart_ + (streamSent_ * 1000 + streamBytesPerSecond_ - 1) / streamBytesPerSecond_);
  }
  for (const auto& s : scheduled_) consider(s.first);
}

std::string Reader::Stats() const {
  std::ostringstream out;
  out << "OK reads=" << count_.cards << " acks=" << count_.acks << " naks=" << count_.naks << " dles=" << count_.dles
      << " resent=" << count_.resent << " corrupted=" << count_.corrupted << " dropped=" << count_.dropped
      << " held=" << held_.size() << " left=" << (run_.count - run_.next) << " streamed=" << streamTotal_
      << " backlog=" << backlog_;
  return out.str();
}

std::optional<std::string> Reader::ScenarioCommand(const std::vector<std::string>& args, int64_t now) {
  const std::string& cmd = args[0];
  const size_t n = args.size();
  if (cmd == "swipes") {
    if (n == 2 && args[1] == "off") {
      run_.count = run_.next;
      return std::string("OK swipes off");
    }
    const std::string usage =
        "ERR usage: swipes <count> <gap ms>[-<max ms>] [seed=N] [corrupt=PERCENT] [collide=K] | swipes off";
    SwipeRun run;
    if (n < 3 || !Number(args[1], 1, kMaxCount, run.count) || !GapRange(args[2], run.gapMin, run.gapMax))
      return usage;
    for (size_t i = 3; i < n; ++i) {
      const size_t eq = args[i].find('=');
      const std::string key = args[i].substr(0, eq);
      int64_t v = 0;
      if (eq == std::string::npos || !Number(args[i].substr(eq + 1), 0, 0xFFFFFFFFll, v)) return usage;
      if (key == "seed") run.seed = static_cast<uint32_t>(v);
      else if (key == "corrupt" && v <= 100) run.corruptPercent = static_cast<int>(v);
      else if (key == "collide" && v <= kMaxCount) run.collideEvery = static_cast<int>(v);
      else return usage;
    }
    if (!portPresent_) return std::string("ERR the port has vanished (use reconnect)");
    run.nextAt = now;
    run.rng = (static_cast<uint64_t>(run.seed) << 1) | 1;
    run_ = run;
    return "OK swipes " + args[1];
  }
  if (cmd == "resend") {
    int64_t v = 0;
    if (n != 2 || !Number(args[1], 0, 1000, v)) return std::string("ERR usage: resend <times after NAK, 0: never>");
    resendMax_ = static_cast<int>(v);
    return "OK resend " + args[1];
  }
  if (cmd == "stream") {
    if (n == 2 && args[1] == "off") {
      streamBytesPerSecond_ = 0;
      return "OK stream off, " + std::to_string(streamTotal_) + " bytes";
    }
    int64_t bits = 0;
    std::string pattern, error;
    if (n < 3 || !Number(args[1], 10, kMaxBitRate, bits) ||
        (args[2] != "random" && (!ParseHex(JoinFrom(args, 2), pattern, error) || pattern.empty())))
      return std::string("ERR usage: stream <bit/s> random|<hex bytes> | stream off");
    if (!portPresent_) return std::string("ERR the port has vanished (use reconnect)");
    streamBytesPerSecond_ = bits / 10;
    streamPattern_ = pattern;
    streamPos_ = 0;
    streamStart_ = now;
    streamSent_ = 0;
    return "OK stream " + std::to_string(streamBytesPerSecond_) + " bytes/s";
  }
  if (cmd == "stall") {
    if (n != 2 || (args[1] != "on" && args[1] != "off")) return std::string("ERR usage: stall on|off");
    stalled_ = args[1] == "on";
    return "OK stall " + args[1];
  }
  if (cmd == "after") {
    int64_t ms = 0;
    if (n < 3 || !Number(args[1], 0, kMaxGap, ms)) return std::string("ERR usage: after <ms> <command...>");
    scheduled_.emplace_back(now + ms, JoinFrom(args, 2));
    return "OK after " + args[1];
  }
  if (cmd == "before") {
    if (n < 3) return std::string("ERR usage: before <frame body> <command...>");
    before_.emplace_back(DecodeBrackets(args[1]), JoinFrom(args, 2));
    return "OK before " + args[1];
  }
  if (cmd == "cut") {
    int64_t bytes = 0;
    if (n < 3 || !Number(args[1], 1, 100000, bytes)) return std::string("ERR usage: cut <bytes> <slot>...");
    if (!portPresent_) return std::string("ERR the port has vanished (use reconnect)");
    std::string error;
    std::vector<std::string> slots(args.begin() + 1, args.end());  // Swipe skips its first word
    std::string body = Swipe(slots, error);
    if (!error.empty()) return "ERR " + error;
    std::string part = BuildFrame(body, opt_.format).substr(0, static_cast<size_t>(bytes));
    Send(part, now);
    return "OK " + ToHex(part);
  }
  if (cmd == "stats") return Stats();
  return std::nullopt;
}

}  // namespace km27sim
