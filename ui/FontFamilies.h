#pragma once
// A language file's font (a Windows face name in its code page, "Tahoma",
// "ＭＳ Ｐゴシック") as font families a toolkit can have. The renderer takes the
// first one the toolkit lists; "Sans" is always there as the last resort.
#include <string>
#include <vector>

#include "common/ByteString.h"

namespace km27::ui {

// Families in UTF-8, most wanted first: the face itself (when the code page
// converts it), its usual stand-ins, then "Sans". Japanese (code page 932)
// asks for IPA Gothic, then Noto Sans CJK JP.
std::vector<std::string> FontFamilies(const ByteString& faceName, int codePage);

// The first of `families` that `installed` holds (names compared without
// regard to ASCII case, as font matching does); "Sans" when none is.
std::string ChooseFontFamily(const std::vector<std::string>& families, const std::vector<std::string>& installed);

}  // namespace km27::ui
