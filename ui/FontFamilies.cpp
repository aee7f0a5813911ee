#include "ui/FontFamilies.h"

#include <algorithm>
#include <cctype>

#include "common/TextCodec.h"

namespace km27::ui {

namespace {

bool SameFamily(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

bool Contains(const std::string& text, const char* part) { return text.find(part) != std::string::npos; }

void Add(std::vector<std::string>& out, const std::string& family) {
  for (const auto& f : out)
    if (SameFamily(f, family)) return;
  out.push_back(family);
}

}  // namespace

std::vector<std::string> FontFamilies(const ByteString& faceName, int codePage) {
  std::vector<std::string> out;
  const std::string face = TextCodec().ToUtf8(faceName, codePage);
  // A face the code page does not convert names no installed family.
  if (!face.empty() && !Contains(face, kReplacementMark)) Add(out, face);

  if (codePage == 932) {
    // Proportional faces ("ＭＳ Ｐゴシック", "MS PGothic", "MS UI Gothic") have a
    // proportional IPA counterpart; Mincho faces a serif one.
    const bool mincho = Contains(face, "Mincho") || Contains(face, "\xE6\x98\x8E\xE6\x9C\x9D");  // 明朝
    const bool proportional =
        Contains(face, "\xEF\xBC\xB0") || Contains(face, "PGothic") || Contains(face, "PMincho") ||
        Contains(face, "UI Gothic");  // Ｐ
    if (mincho) {
      Add(out, proportional ? "IPAPMincho" : "IPAMincho");
      Add(out, "Noto Serif CJK JP");
    }
    Add(out, proportional ? "IPAPGothic" : "IPAGothic");
    Add(out, proportional ? "IPAGothic" : "IPAPGothic");
    Add(out, "Noto Sans CJK JP");
  } else if (codePage == 936 || codePage == 949 || codePage == 950) {
    Add(out, codePage == 936 ? "Noto Sans CJK SC" : codePage == 949 ? "Noto Sans CJK KR" : "Noto Sans CJK TC");
  } else {
    // Metric-compatible stand-ins of the common Windows faces.
    static const struct {
      const char* face;
      const char* family;
    } table[] = {{"Arial", "Liberation Sans"},
                 {"Times New Roman", "Liberation Serif"},
                 {"Courier New", "Liberation Mono"},
                 {"Tahoma", "DejaVu Sans"},
                 {"Verdana", "DejaVu Sans"},
                 {"MS Sans Serif", "DejaVu Sans"},
                 {"Segoe UI", "Noto Sans"}};
    for (const auto& e : table)
      if (SameFamily(face, e.face)) Add(out, e.family);
    Add(out, "DejaVu Sans");
  }
  Add(out, "Sans");
  return out;
}

std::string ChooseFontFamily(const std::vector<std::string>& families, const std::vector<std::string>& installed) {
  for (const auto& f : families)
    for (const auto& i : installed)
      if (SameFamily(f, i)) return i;
  return "Sans";
}

}  // namespace km27::ui
