#include "settings/IniFile.h"

#include "common/TextHelpers.h"

namespace km27 {

namespace {

const ByteString kUtf8Bom = "\xEF\xBB\xBF";

bool StartsWith(const ByteString& text, const ByteString& prefix) { return text.compare(0, prefix.size(), prefix) == 0; }

}  // namespace

IniFile::IniFile(const ByteString& content) {
  size_t start = 0;
  if (StartsWith(content, kUtf8Bom)) {
    bom_ = kUtf8Bom;
    start = bom_.size();
  }
  const size_t n = content.size();
  bool eolKnown = false;
  while (start < n) {
    size_t end = start;
    while (end < n && content[end] != '\r' && content[end] != '\n') ++end;
    RawLine line{content.substr(start, end - start), {}};
    if (end < n) {
      size_t len = (content[end] == '\r' && end + 1 < n && content[end + 1] == '\n') ? 2 : 1;
      line.eol = content.substr(end, len);
      if (!eolKnown) {
        newline_ = line.eol;
        eolKnown = true;
      }
      end += len;
    }
    lines_.push_back(std::move(line));
    start = end;
  }
  Index();
}

void IniFile::Index() {
  sections_.clear();
  byName_.clear();
  Section* current = nullptr;
  for (size_t i = 0; i < lines_.size(); ++i) {
    ByteString t = TrimControl(lines_[i].text);
    if (t.empty() || t[0] == ';') continue;
    if (t.size() >= 2 && t.front() == '[' && t.back() == ']') {
      ByteString name = TrimControl(t.substr(1, t.size() - 2));
      auto [it, added] = byName_.try_emplace(UpperCase(name), sections_.size());
      if (added) sections_.push_back(Section{name, {}, {}, i});
      current = &sections_[it->second];
      current->lastLine = i;
      continue;
    }
    if (!current) continue;
    current->members.push_back(i);
    current->lastLine = i;
    size_t eq = t.find('=');
    if (eq != ByteString::npos)
      current->entries.push_back(Entry{TrimControl(t.substr(0, eq)), TrimControl(t.substr(eq + 1)), i});
  }
}

const IniFile::Section* IniFile::FindSection(const std::string& name) const {
  auto it = byName_.find(UpperCase(name));
  return it == byName_.end() ? nullptr : &sections_[it->second];
}

const IniFile::Entry* IniFile::FindEntry(const Section& s, const std::string& key) const {
  for (auto it = s.entries.rbegin(); it != s.entries.rend(); ++it)
    if (SameText(it->name, key)) return &*it;
  return nullptr;
}

std::optional<ByteString> IniFile::Value(const std::string& section, const std::string& key) const {
  const Section* s = FindSection(section);
  if (!s) return std::nullopt;
  const Entry* e = FindEntry(*s, key);
  if (!e) return std::nullopt;
  return e->value;
}

ByteString IniFile::ReadString(const std::string& section, const std::string& key, const ByteString& missing) const {
  auto v = Value(section, key);
  return v ? *v : missing;
}

int32_t IniFile::ReadInteger(const std::string& section, const std::string& key, const ByteString& missing,
                             int32_t unparsable) const {
  return StrToIntDef(ReadString(section, key, missing), unparsable);
}

bool IniFile::ReadFlag(const std::string& section, const std::string& key, const ByteString& missing) const {
  return ReadString(section, key, missing) == "1";
}

bool IniFile::HasSection(const std::string& section) const { return FindSection(section) != nullptr; }

std::vector<ByteString> IniFile::SectionLines(const std::string& section) const {
  std::vector<ByteString> out;
  if (const Section* s = FindSection(section))
    for (size_t i : s->members) out.push_back(TrimControl(lines_[i].text));
  return out;
}

void IniFile::InsertLine(size_t at, const ByteString& text) {
  // The line before the new one must end before it.
  if (at > 0 && lines_[at - 1].eol.empty()) lines_[at - 1].eol = newline_;
  const bool append = at == lines_.size();
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), RawLine{text, newline_});
  // Every index names an existing line, so a line added at the end moves none
  // of them: saving hundreds of new block sections stays linear in the file.
  if (append) return;
  // Lines from `at` on move down by one; the index follows without re-reading the file.
  auto shift = [at](size_t& i) {
    if (i >= at) ++i;
  };
  for (auto& sec : sections_) {
    if (sec.lastLine < at) continue;  // lastLine is the section's furthest line
    for (auto& m : sec.members) shift(m);
    for (auto& e : sec.entries) shift(e.line);
    shift(sec.lastLine);
  }
}

void IniFile::WriteString(const std::string& section, const std::string& key, const ByteString& value) {
  ByteString v = value;
  for (auto& c : v)
    if (c == '\r' || c == '\n') c = ' ';
  const ByteString line = key + "=" + v;
  auto found = byName_.find(UpperCase(section));
  if (found != byName_.end()) {
    Section& s = sections_[found->second];
    for (auto it = s.entries.rbegin(); it != s.entries.rend(); ++it) {
      if (SameText(it->name, key)) {
        lines_[it->line].text = line;
        it->name = TrimControl(key);
        it->value = TrimControl(v);
        return;
      }
    }
    const size_t at = s.lastLine + 1;
    InsertLine(at, line);
    s.members.push_back(at);
    s.entries.push_back(Entry{TrimControl(key), TrimControl(v), at});
    s.lastLine = at;
    return;
  }
  // A new section at the end, set off by a blank line.
  if (!lines_.empty() && !TrimControl(lines_.back().text).empty()) InsertLine(lines_.size(), "");
  InsertLine(lines_.size(), "[" + section + "]");
  const size_t header = lines_.size() - 1;
  InsertLine(lines_.size(), line);
  byName_.emplace(UpperCase(section), sections_.size());
  sections_.push_back(Section{section, {header + 1}, {Entry{TrimControl(key), TrimControl(v), header + 1}}, header + 1});
}

void IniFile::WriteInteger(const std::string& section, const std::string& key, int64_t value) {
  WriteString(section, key, IntToStr(value));
}

void IniFile::WriteFlag(const std::string& section, const std::string& key, bool value) {
  WriteString(section, key, value ? "1" : "0");
}

ByteString IniFile::Text() const {
  ByteString out = bom_;
  size_t total = bom_.size();
  for (const auto& l : lines_) total += l.text.size() + l.eol.size();
  out.reserve(total);
  for (const auto& l : lines_) {
    out += l.text;
    out += l.eol;
  }
  return out;
}

IniFile ReadIniFile(const std::string& path) {
  ByteString content = Files().ReadWholeFile(path);
  const char* order = StartsWith(content, "\xFF\xFE")   ? "little endian"
                      : StartsWith(content, "\xFE\xFF") ? "big endian"
                                                        : nullptr;
  if (order)
    throw FileEncodingError("Cannot read " + path + ": the file is saved as UTF-16 (" + order +
                            "). Save it as ANSI or UTF-8.");
  return IniFile(content);
}

}  // namespace km27
