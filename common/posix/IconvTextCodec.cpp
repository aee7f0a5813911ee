#include "common/posix/IconvTextCodec.h"

#include <iconv.h>

#include <cerrno>

namespace km27 {

namespace {

class Converter {
 public:
  Converter(const std::string& to, const std::string& from) : cd_(::iconv_open(to.c_str(), from.c_str())) {}
  ~Converter() {
    if (ok()) ::iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  // Converts from `in` onwards into `out` until the input ends (true) or a
  // sequence cannot be converted (false, `in` left on it).
  bool Run(const std::string& input, size_t& in, std::string& out) {
    char buf[1024];
    while (in < input.size()) {
      char* src = const_cast<char*>(input.data() + in);
      size_t srcLeft = input.size() - in;
      char* dst = buf;
      size_t dstLeft = sizeof buf;
      const size_t r = ::iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
      const int err = errno;
      out.append(buf, static_cast<size_t>(dst - buf));
      in = input.size() - srcLeft;
      if (r == static_cast<size_t>(-1) && err != E2BIG) {
        ::iconv(cd_, nullptr, nullptr, nullptr, nullptr);  // a clean state for what follows
        return false;
      }
    }
    return true;
  }

 private:
  iconv_t cd_;
};

std::string IconvName(int codePage) { return "CP" + std::to_string(codePage); }

// How many bytes an undefined sequence of a double-byte page takes: a lead
// byte with a byte of the trail range behind it goes as one character, so its
// trail byte (often an ASCII letter) does not show up as a character of its own.
size_t UndefinedLength(const std::string& text, size_t at, int codePage) {
  const auto lead = static_cast<unsigned char>(text[at]);
  bool isLead = false;
  if (codePage == 932)
    isLead = (lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC);
  else if (codePage == 936 || codePage == 949 || codePage == 950)
    isLead = lead >= 0x81 && lead <= 0xFE;
  if (!isLead || at + 1 >= text.size()) return 1;
  const auto trail = static_cast<unsigned char>(text[at + 1]);
  return trail >= 0x40 && trail <= 0xFC && trail != 0x7F ? 2 : 1;
}

}  // namespace

std::string IconvTextCodec::ToUtf8(const ByteString& text, int codePage) {
  Converter cv("UTF-8", IconvName(codePage));
  if (!cv.ok()) return AsciiTextCodec().ToUtf8(text, codePage);
  std::string out;
  out.reserve(text.size());
  size_t in = 0;
  while (!cv.Run(text, in, out)) {
    out += kReplacementMark;
    in += UndefinedLength(text, in, codePage);
  }
  return out;
}

CodePageText IconvTextCodec::FromUtf8(const std::string& utf8, int codePage) {
  Converter cv(IconvName(codePage), "UTF-8");
  if (!cv.ok()) return AsciiTextCodec().FromUtf8(utf8, codePage);
  CodePageText out;
  size_t in = 0;
  while (!cv.Run(utf8, in, out.text)) {
    if (out.refused++ == 0) out.firstRefused = in;
    const size_t n = Utf8CharLength(utf8, in);
    in += n ? n : 1;
  }
  return out;
}

}  // namespace km27
