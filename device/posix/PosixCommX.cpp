#include "device/posix/PosixCommX.h"

#include <fcntl.h>
#include <poll.h>
#include <grp.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/ioctl.h>
#include <unistd.h>
#ifdef __linux__
#include <linux/serial.h>
#endif

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <new>
#include <system_error>

#include "device/Ports.h"
#include "ui/Application.h"

namespace km27 {

namespace msg = commx_messages;

namespace {

std::mutex gDirectoryMutex;
std::string* gDirectory = nullptr;

void SleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

bool SpeedOf(int32_t rate, speed_t& out) {
  static const struct {
    int32_t rate;
    speed_t speed;
  } table[] = {{50, B50},         {75, B75},         {110, B110},       {134, B134},       {150, B150},
               {200, B200},       {300, B300},       {600, B600},       {1200, B1200},     {1800, B1800},
               {2400, B2400},     {4800, B4800},     {9600, B9600},     {19200, B19200},   {38400, B38400},
               {57600, B57600},   {115200, B115200}, {230400, B230400},
#ifdef B460800
               {460800, B460800}, {921600, B921600},
#endif
  };
  for (const auto& e : table) {
    if (e.rate == rate) {
      out = e.speed;
      return true;
    }
  }
  return false;
}

enum DeliveryKind { kDeliverReceive, kDeliverBreak, kDeliverError };

// How soon bytes that a handler left unread are told again.
constexpr int kBackupNoticeMs = 50;

}  // namespace

void SetSerialDeviceDirectory(const std::string& directory) {
  std::lock_guard<std::mutex> lock(gDirectoryMutex);
  delete gDirectory;
  gDirectory = new std::string(directory);
}

std::string SerialDeviceDirectory() {
  std::lock_guard<std::mutex> lock(gDirectoryMutex);
  if (gDirectory) return *gDirectory;
  const char* env = std::getenv("KM27_SERIAL_DIR");
  return env && *env ? env : "/dev";
}

std::string PortAccessAdvice(const std::string& path, int error) {
  std::string text = path + ": " + std::strerror(error) + ".";
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return text;
  std::string group;
  if (const struct group* g = ::getgrgid(st.st_gid)) group = g->gr_name;
  if (group.empty() || st.st_gid == 0) {
    return text + " Ask the administrator for access to the device, then log out and in again.";
  }
  const char* user = std::getenv("USER");
  return text + " The port belongs to the group \"" + group + "\": add your account to it (sudo usermod -aG " +
         group + " " + (user && *user ? user : "$USER") + "), then log out and in again.";
}

std::string SerialDevicePath(int32_t portNo) {
  const std::string name = "COM" + std::to_string(portNo);
  if (ISerialDeviceMap* map = SerialDeviceMap()) {
    std::string device = map->DevicePath(name);
    if (!device.empty()) return device;
  }
  return SerialDeviceDirectory() + "/" + name;
}

namespace posix_comm {

// What the receive thread shares with the component. The thread holds its own
// reference, so a Close that cannot wait for the thread (it runs inside one of
// the thread's notifications) leaves it nothing that disappears under it.
struct ReceiveSession {
  int fd = -1;  // a duplicate of the port's descriptor, closed with the session
  int wake[2] = {-1, -1};
  std::atomic<bool> terminated{false};
  std::atomic<bool> inSend{false};
  std::atomic<bool> done{false};
  TCommX* owner = nullptr;  // user-interface thread only; null once closed
  std::mutex inputMutex;    // the input queue and every read of fd
  std::string input;
#ifdef TIOCGICOUNT
  serial_icounter_struct counts{};
  bool haveCounts = false;
#endif

  bool Queued() {
    std::lock_guard<std::mutex> lock(inputMutex);
    return !input.empty();
  }

  ~ReceiveSession() {
    if (fd >= 0) ::close(fd);
    if (wake[0] >= 0) ::close(wake[0]);
    if (wake[1] >= 0) ::close(wake[1]);
  }

  // Moves what the device has into the input queue; false when the device is gone.
  bool Fill() {
    std::lock_guard<std::mutex> lock(inputMutex);
    char buf[4096];
    for (;;) {
      ssize_t n = ::read(fd, buf, sizeof buf);
      if (n > 0) {
        input.append(buf, static_cast<size_t>(n));
        if (static_cast<size_t>(n) < sizeof buf) return true;
        continue;
      }
      if (n < 0 && errno == EINTR) continue;
      if (n < 0 && errno == EAGAIN) return true;
      return false;  // end of file or EIO: the device went away
    }
  }

  // Line errors and breaks since the last look, from the driver's counters.
  void LineEvents(uint32_t& errors, bool& brk) {
    errors = 0;
    brk = false;
#ifdef TIOCGICOUNT
    serial_icounter_struct now{};
    if (ioctl(fd, TIOCGICOUNT, &now) != 0) return;  // pseudo-terminals have none
    if (haveCounts) {
      if (now.overrun != counts.overrun || now.buf_overrun != counts.buf_overrun) errors |= 0x02;
      if (now.parity != counts.parity) errors |= 0x04;
      if (now.frame != counts.frame) errors |= 0x08;
      brk = now.brk != counts.brk;
    }
    counts = now;
    haveCounts = true;
#endif
  }

  void Notify(const std::shared_ptr<ReceiveSession>& self, int kind, uint32_t bits) {
    ui::IApplication* app = ui::AppOrNull();
    if (!app || terminated) return;
    inSend = true;
    app->SendSync([self, kind, bits] {
      if (self->owner) self->owner->Deliver(kind, bits);
    });
    inSend = false;
  }

  static void Run(std::shared_ptr<ReceiveSession> s) {
    uint32_t errors = 0;
    bool brk = false;
    s->LineEvents(errors, brk);  // starting counts
    bool lost = false;
    while (!s->terminated) {
      // Once the device is gone only the wake-up is watched: no busy loop on a hung-up line.
      pollfd p[2] = {{lost ? -1 : s->fd, POLLIN, 0}, {s->wake[0], POLLIN, 0}};
      // Bytes already taken from the device but not read by the handler
      // would never come again as an arrival: they are told again shortly.
      const int r = poll(p, 2, s->Queued() ? kBackupNoticeMs : -1);
      if (r < 0 && errno != EINTR) break;
      if (s->terminated) break;
      if (r == 0) {
        if (s->Queued()) s->Notify(s, kDeliverReceive, 0);
        continue;
      }
      if (p[1].revents) {
        char drain[64];
        while (::read(s->wake[0], drain, sizeof drain) > 0) {
        }
      }
      if (lost || !p[0].revents) continue;
      size_t before;
      {
        std::lock_guard<std::mutex> lock(s->inputMutex);
        before = s->input.size();
      }
      lost = !s->Fill();
      size_t after;
      {
        std::lock_guard<std::mutex> lock(s->inputMutex);
        after = s->input.size();
      }
      s->LineEvents(errors, brk);
      if (errors) s->Notify(s, kDeliverError, errors);
      if (brk) s->Notify(s, kDeliverBreak, 0);
      if (after > before) s->Notify(s, kDeliverReceive, 0);
    }
    s->done = true;
  }
};

}  // namespace posix_comm

using posix_comm::ReceiveSession;

// ---- construction ----

TCommX::TCommX() = default;

TCommX::~TCommX() {
  try {
    Close();
  } catch (...) {
  }
}

std::unique_ptr<TCustomCommX> CreateCommX() { return std::make_unique<TCommX>(); }

// ---- setters ----

// Copies the threads read without a lock: plain values written here, read there.
void TCommX::FlowCtrlStored() { flowForThread_ = flowCtrl_; }

// Terminal devices have no driver time-outs: the transmit thread keeps the
// write time-out itself and Read waits at most TimeOutReceive.
void TCommX::TimeOutsStored() { timeOutTransForThread_ = timeOutTrans_; }

void TCommX::Commit(const char* message) {
  if (tcsetattr(fd_, TCSANOW, &tio_) != 0) {
    // A pseudo-terminal has no line: Linux refuses parity and character
    // sizes other than 8 on it, which the reader simulator does not care about.
    if (pseudoTerminal_) return;
    tcgetattr(fd_, &tio_);  // keep the record in step with the device
    throw ECommError(message);
  }
}

void TCommX::ApplyBitRate() {
  speed_t speed;
  if (!SpeedOf(bitRate_, speed) || cfsetispeed(&tio_, speed) != 0 || cfsetospeed(&tio_, speed) != 0)
    throw ECommError(msg::kBitRate);
  Commit(msg::kBitRate);
  charTime_ = CharacterTime(bitRate_);
}

void TCommX::ApplyCharSize() {
  static const tcflag_t sizes[] = {CS5, CS6, CS7, CS8};
  if (charSize_ < 5 || charSize_ > 8) throw ECommError(msg::kCharSize);
  tio_.c_cflag = (tio_.c_cflag & ~CSIZE) | sizes[charSize_ - 5];
  Commit(msg::kCharSize);
}

void TCommX::ApplyParity() {
  tio_.c_cflag &= ~(PARENB | PARODD);
  if (parity_ == cpbOdd) tio_.c_cflag |= PARENB | PARODD;
  else if (parity_ == cpbEven) tio_.c_cflag |= PARENB;
  else if (parity_ != cpbNone) throw ECommError(msg::kParity);
  Commit(msg::kParity);
}

void TCommX::ApplyStopBit() {
  // Terminals know one or two stop bits; one and a half is sent as two.
  if (stopBit_ == csb1) tio_.c_cflag &= ~CSTOPB;
  else if (stopBit_ == csb1p5 || stopBit_ == csb2) tio_.c_cflag |= CSTOPB;
  else throw ECommError(msg::kStopBit);
  Commit(msg::kStopBit);
}

void TCommX::ApplyFlowCtrl() {
  // Binary mode and parity checking always; DSR flow and DTR handshake have
  // no terminal equivalent and run as no flow control.
  tio_.c_iflag = (tio_.c_iflag & ~(IXON | IXOFF | IXANY)) | INPCK;
  tio_.c_cflag &= ~CRTSCTS;
  switch (flowCtrl_) {
    case cfcRtsCts: tio_.c_cflag |= CRTSCTS; break;
    case cfcXonXoff: tio_.c_iflag |= IXON | IXOFF; break;
    case cfcDtrDsr:
    case cfcHalfHigh:
    case cfcHalfLow:
    case cfcNone: break;
    default: throw ECommError(msg::kFlowCtrl);
  }
  Commit(msg::kFlowCtrl);
}

void TCommX::ApplyXonChar() {
  tio_.c_cc[VSTART] = xonChar_;
  Commit(msg::kXonChar);
}

void TCommX::ApplyXoffChar() {
  tio_.c_cc[VSTOP] = xoffChar_;
  Commit(msg::kXoffChar);
}

void TCommX::ApplyBuffers() {
  // The terminal driver sizes its queues itself; only refuse what no driver would take.
  if (bufLenTrans_ < 1 || bufLenReceive_ < 1) throw ECommError(msg::kBuffer);
}

// ---- open and close ----

void TCommX::Open() {
  if (IsOpen()) throw ECommError(msg::kOpen);
  std::string path = SerialDevicePath(portNo_);
  int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    if (errno == EACCES || errno == EPERM) throw EPortAccessError(PortAccessAdvice(path, errno));
    throw ECommError(msg::kOpen);
  }
  // Exclusive like the Windows port: no second opener, in this process or another.
  if (!isatty(fd) || flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    throw ECommError(msg::kOpen);
  }
  ioctl(fd, TIOCEXCL);
  const char* name = ttyname(fd);
  pseudoTerminal_ = name && std::strncmp(name, "/dev/pts/", 9) == 0;
  fd_ = fd;
  {
    std::lock_guard<std::mutex> lock(counterLock_);
    pendingBytes_ = 0;
    queuedBlocks_ = 0;
  }
  try {
    ApplyBuffers();
    tcflush(fd_, TCIOFLUSH);
    if (tcgetattr(fd_, &tio_) != 0) throw ECommError(msg::kOpen);
    cfmakeraw(&tio_);
    tio_.c_cflag |= CLOCAL | CREAD;
    tio_.c_cc[VMIN] = 0;
    tio_.c_cc[VTIME] = 0;
    ApplyBitRate();
    ApplyCharSize();
    ApplyParity();
    ApplyStopBit();
    ApplyFlowCtrl();
    ApplyXonChar();
    ApplyXoffChar();
    StartThreads();
    SleepMs(100);
  } catch (...) {
    Close();
    throw;
  }
}

void TCommX::StartThreads() {
  flowForThread_ = flowCtrl_;
  timeOutTransForThread_ = timeOutTrans_;
  charTime_ = CharacterTime(bitRate_);
  transmitTerminated_ = false;
  abort_ = false;
  try {
    transmitThread_ = std::thread([this] { TransmitLoop(); });
  } catch (const std::system_error&) {
    throw ECommError(msg::kTransThread);
  }
  auto s = std::make_shared<ReceiveSession>();
  s->owner = this;
  s->fd = fcntl(fd_, F_DUPFD_CLOEXEC, 0);
  if (s->fd < 0 || pipe(s->wake) != 0) throw ECommError(msg::kReceiveThread);
  fcntl(s->wake[0], F_SETFL, O_NONBLOCK);
  fcntl(s->wake[1], F_SETFL, O_NONBLOCK);
  try {
    receiveThread_ = std::thread(&ReceiveSession::Run, s);
  } catch (const std::system_error&) {
    throw ECommError(msg::kReceiveThread);
  }
  receive_ = s;
}

void TCommX::Close() {
  // A Close re-entered from a timer while this one lets notifications
  // through finds the port on its way out: nothing more to do.
  if (!IsOpen() || closing_) return;
  closing_ = true;
  struct Done {
    bool& flag;
    ~Done() { flag = false; }
  } done{closing_};
  SetDTR(false);
  SetRTS(false);
  ClearTransmit();
  ClearReceive();
  SleepMs(100);

  if (transmitThread_.joinable()) {
    transmitTerminated_ = true;
    queueCv_.notify_all();
    transmitThread_.join();
  }
  std::shared_ptr<ReceiveSession> s = std::move(receive_);
  if (s) {
    s->owner = nullptr;  // notifications still on their way find the port closed
    s->terminated = true;
    char one = 1;
    (void)!::write(s->wake[1], &one, 1);
  }
  if (receiveThread_.joinable()) {
    if (delivering_ > 0 || !s) {
      // Closed from inside a notification: the thread waits for this very
      // call to return, so it is left to end on its own. It keeps a
      // duplicate of the device until then, which must not keep an Open
      // right after from getting the device.
      ioctl(fd_, TIOCNXCL);
      receiveThread_.detach();
    } else {
      // The thread may be waiting for the user-interface thread to take a
      // notification; let it through (the port already reads as closed).
      while (!s->done) {
        ui::IApplication* app = ui::AppOrNull();
        if (s->inSend && app) app->ProcessMessages();
        else SleepMs(1);
      }
      receiveThread_.join();
    }
  }
  flock(fd_, LOCK_UN);  // a receive thread left to end on its own still holds a duplicate
  ::close(fd_);
  fd_ = -1;
  SleepMs(200);
}

// ---- transmit ----

bool TCommX::Write(const char* data, int32_t length) {
  if (length <= 0) return length == 0;
  if (!data) return false;
  int32_t done = 0;
  while (done < length) {
    if (!IsOpen() || !transmitThread_.joinable()) return false;
    int32_t queued;
    {
      std::lock_guard<std::mutex> lock(counterLock_);
      queued = queuedBlocks_;
    }
    if (queued > 31) {
      if (ui::IApplication* app = ui::AppOrNull()) app->ProcessMessages();
      SleepMs(1);
      continue;
    }
    // A block size below 1 would never finish the loop.
    int32_t chunk = std::min(bufLenTrans_ > 0 ? bufLenTrans_ : 2048, length - done);
    char* copy = new (std::nothrow) char[static_cast<size_t>(chunk)];
    if (!copy) return false;  // the caller learns that not everything was queued
    std::memcpy(copy, data + done, static_cast<size_t>(chunk));
    {
      std::lock_guard<std::mutex> lock(counterLock_);
      pendingBytes_ += chunk;
      ++queuedBlocks_;
    }
    {
      std::lock_guard<std::mutex> lock(queueMutex_);
      queue_.push_back(Block{std::unique_ptr<char[]>(copy), static_cast<size_t>(chunk)});
    }
    queueCv_.notify_one();
    done += chunk;
  }
  return true;
}

void TCommX::SetModemLine(int line, bool on) {
  int bits = line;
  ioctl(fd_, on ? TIOCMBIS : TIOCMBIC, &bits);  // refused on a pseudo-terminal: nothing to drive
}

void TCommX::TransmitLoop() {
  std::unique_lock<std::mutex> lock(queueMutex_);
  while (!transmitTerminated_) {
    bool lineRaised = false;
    queueCv_.wait(lock, [this] { return transmitTerminated_ || !queue_.empty(); });
    while (!queue_.empty()) {
      Block block = std::move(queue_.front());
      queue_.pop_front();
      lock.unlock();
      if (!abort_ && !transmitTerminated_) {
        int flow = flowForThread_;
        bool half = flow == cfcHalfHigh || flow == cfcHalfLow;
        if (!lineRaised) {
          lineRaised = true;
          if (half) {
            SleepMs(50);
            SetModemLine(TIOCM_RTS, flow == cfcHalfHigh);
            SleepMs(charTime_);
          }
        }
        WriteBlock(block);
      }
      size_t size = block.size;
      block.data.reset();
      {
        std::lock_guard<std::mutex> counters(counterLock_);
        pendingBytes_ = std::max<int64_t>(0, pendingBytes_ - static_cast<int64_t>(size));
        if (queuedBlocks_ > 0) --queuedBlocks_;
      }
      lock.lock();
    }
    int flow = flowForThread_;
    if (lineRaised && (flow == cfcHalfHigh || flow == cfcHalfLow)) {
      lock.unlock();
      SleepMs(charTime_);
      SetModemLine(TIOCM_RTS, flow != cfcHalfHigh);
      lock.lock();
    }
  }
}

void TCommX::WriteBlock(const Block& block) {
  using Clock = std::chrono::steady_clock;
  int32_t timeOut = timeOutTransForThread_;
  auto deadline = Clock::now() + std::chrono::milliseconds(timeOut > 0 ? timeOut : 0);
  size_t done = 0;
  while (done < block.size && !abort_ && !transmitTerminated_) {
    ssize_t n;
    {
      std::lock_guard<std::mutex> lock(writeLock_);
      n = ::write(fd_, block.data.get() + done, block.size - done);
    }
    if (n > 0) {
      done += static_cast<size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno == EAGAIN) {
      // Like a write time-out of the driver: what is not out by then is dropped.
      if (timeOut > 0 && Clock::now() >= deadline) return;
      pollfd p{fd_, POLLOUT, 0};
      poll(&p, 1, 20);  // short slices so that a purge or Close is noticed
      continue;
    }
    return;  // the device refuses (gone): the block is dropped
  }
}

void TCommX::ClearTransmit() {
  if (!IsOpen()) return;
  if (!transmitThread_.joinable()) {
    tcflush(fd_, TCOFLUSH);
    return;
  }
  abort_ = true;
  queueCv_.notify_all();
  for (;;) {
    {
      std::lock_guard<std::mutex> lock(writeLock_);
      tcflush(fd_, TCOFLUSH);
    }
    SleepMs(1);
    std::lock_guard<std::mutex> lock(counterLock_);
    if (pendingBytes_ == 0) break;
  }
  abort_ = false;
}

bool TCommX::FlushTransmit(int32_t timeoutMs) {
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(std::max(0, timeoutMs));
  for (;;) {
    if (!IsOpen()) return true;
    // Written by the thread is not yet sent: the terminal may still hold the bytes.
    int inDriver = 0;
    if (ioctl(fd_, TIOCOUTQ, &inDriver) != 0) inDriver = 0;
    if (PendingBytes() == 0 && inDriver == 0) return true;
    if (Clock::now() >= deadline) return false;
    SleepMs(1);
  }
}

int32_t TCommX::QueuedBlocks() {
  std::lock_guard<std::mutex> lock(counterLock_);
  return queuedBlocks_;
}

int32_t TCommX::PendingBytes() {
  std::lock_guard<std::mutex> lock(counterLock_);
  return static_cast<int32_t>(pendingBytes_);
}

// ---- receive ----

void TCommX::ClearReceive() {
  if (!IsOpen()) return;
  if (receive_) {
    std::lock_guard<std::mutex> lock(receive_->inputMutex);
    tcflush(fd_, TCIFLUSH);
    receive_->input.clear();
  } else {
    tcflush(fd_, TCIFLUSH);
  }
}

int32_t TCommX::InCount() {
  if (!IsOpen() || !receive_) return 0;
  std::lock_guard<std::mutex> lock(receive_->inputMutex);
  int waiting = 0;
  if (ioctl(fd_, FIONREAD, &waiting) != 0 || waiting < 0) waiting = 0;
  return static_cast<int32_t>(receive_->input.size()) + waiting;
}

int32_t TCommX::Read(char* buffer, int32_t length) {
  if (!IsOpen() || !receive_ || !buffer || length < 0) return -1;
  std::shared_ptr<ReceiveSession> s = receive_;
  using Clock = std::chrono::steady_clock;
  auto deadline = Clock::now() + std::chrono::milliseconds(std::max(0, timeOutReceive_));
  for (;;) {
    {
      std::lock_guard<std::mutex> lock(s->inputMutex);
      // Bytes still in the driver come after those the receive thread took;
      // only what was asked for is taken, the rest stays where the receive
      // thread sees it arrive.
      while (s->input.size() < static_cast<size_t>(length)) {
        char buf[4096];
        const size_t want = std::min(sizeof buf, static_cast<size_t>(length) - s->input.size());
        const ssize_t n = ::read(fd_, buf, want);
        if (n <= 0) break;
        s->input.append(buf, static_cast<size_t>(n));
      }
      if (!s->input.empty() || length == 0) {
        size_t n = std::min(s->input.size(), static_cast<size_t>(length));
        std::memcpy(buffer, s->input.data(), n);
        s->input.erase(0, n);
        return static_cast<int32_t>(n);
      }
    }
    if (Clock::now() >= deadline) return 0;
    pollfd p{fd_, POLLIN, 0};
    poll(&p, 1, 10);
  }
}

void TCommX::Deliver(int kind, uint32_t bits) {
  ++delivering_;
  struct Leave {
    int& n;
    ~Leave() { --n; }
  } leave{delivering_};
  if (!IsOpen()) return;
  if (kind == kDeliverReceive) {
    if (!OnReceive) return;
    int32_t n = InCount();
    if (n != 0) OnReceive(*this, n);
  } else if (kind == kDeliverBreak) {
    if (OnBreak) OnBreak(*this);
  } else if (OnError) {
    OnError(*this, bits & kCommLineErrors);
  }
}

// ---- modem lines ----

void TCommX::SetRTS(bool on) {
  if (IsOpen()) SetModemLine(TIOCM_RTS, on);
}

void TCommX::SetDTR(bool on) {
  if (IsOpen()) SetModemLine(TIOCM_DTR, on);
}

bool TCommX::CTS() {
  int bits = 0;
  return IsOpen() && ioctl(fd_, TIOCMGET, &bits) == 0 && (bits & TIOCM_CTS) != 0;
}

bool TCommX::DSR() {
  int bits = 0;
  return IsOpen() && ioctl(fd_, TIOCMGET, &bits) == 0 && (bits & TIOCM_DSR) != 0;
}

}  // namespace km27
