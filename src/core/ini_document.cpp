#include "core/ini_document.h"

#include "core/text.h"
#include "ports/profile_file.h"

namespace zorvak {
namespace {

bool isProfileSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r' || c == 0x1a;
}

std::string_view stripLeft(std::string_view s) {
  while (!s.empty() && isProfileSpace(s.front())) s.remove_prefix(1);
  return s;
}

std::string_view stripRight(std::string_view s) {
  while (!s.empty() && isProfileSpace(s.back())) s.remove_suffix(1);
  return s;
}

std::string_view stripBoth(std::string_view s) { return stripRight(stripLeft(s)); }

// Names and values are C strings to Windows: a NUL byte ends them.
std::string cString(std::string_view s) { return std::string(s.substr(0, s.find('\0'))); }

std::string decodeUtf16Le(std::string_view bytes) {
  std::string out;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    char32_t c = static_cast<unsigned char>(bytes[i]) | (static_cast<unsigned char>(bytes[i + 1]) << 8);
    if (c >= 0xD800 && c <= 0xDBFF && i + 3 < bytes.size()) {
      const char32_t lo = static_cast<unsigned char>(bytes[i + 2]) |
                          (static_cast<unsigned char>(bytes[i + 3]) << 8);
      if (lo >= 0xDC00 && lo <= 0xDFFF) {
        c = 0x10000 + ((c - 0xD800) << 10) + (lo - 0xDC00);
        i += 2;
      }
    }
    text::appendUtf8(out, c);
  }
  return out;
}

std::string encodeUtf16Le(std::string_view utf8) {
  std::string out;
  auto put = [&](char32_t u) {
    out += static_cast<char>(u & 0xFF);
    out += static_cast<char>((u >> 8) & 0xFF);
  };
  for (std::size_t pos = 0; pos < utf8.size();) {
    const char32_t c = text::decodeUtf8(utf8, pos);
    if (c >= 0x10000) {
      put(0xD800 + ((c - 0x10000) >> 10));
      put(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      put(c);
    }
  }
  return out;
}

// UTF-8 text from the file, valid whatever the input was.
std::string validUtf8(std::string_view bytes) {
  std::string out;
  for (std::size_t pos = 0; pos < bytes.size();) text::appendUtf8(out, text::decodeUtf8(bytes, pos));
  return out;
}

std::size_t countChars(std::string_view utf8) {
  std::size_t n = 0;
  for (std::size_t pos = 0; pos < utf8.size(); ++n) text::decodeUtf8(utf8, pos);
  return n;
}

}  // namespace

IniDocument IniDocument::parse(std::string_view bytes) {
  IniDocument doc;
  std::string content;
  if (bytes.starts_with("\xEF\xBB\xBF")) {
    doc.encoding_ = Encoding::Utf8Bom;
    content = validUtf8(bytes.substr(3));
  } else if (bytes.starts_with("\xFF\xFE")) {
    doc.encoding_ = Encoding::Utf16Le;
    content = decodeUtf16Le(bytes.substr(2));
  } else {
    content = text::fromCp1252(bytes);
  }

  doc.sections_.push_back({});
  Section* current = &doc.sections_.back();
  std::string_view rest = content;
  while (!rest.empty()) {
    // A lone CR ends a line as LF does.
    const std::size_t nl = rest.find_first_of("\r\n");
    std::string_view line = rest.substr(0, nl);
    rest = nl == std::string_view::npos ? std::string_view{} : rest.substr(nl + 1);

    line = stripBoth(line);
    if (line.empty()) continue;
    if (line.front() == '[') {
      const std::size_t close = line.rfind(']');
      if (close != std::string_view::npos && close > 0) {
        doc.sections_.push_back({cString(stripBoth(line.substr(1, close - 1))), {}});
        current = &doc.sections_.back();
        continue;
      }
    }
    Entry entry;
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) {
      entry.name = cString(line);
    } else {
      entry.name = cString(stripRight(line.substr(0, eq)));
      entry.value = cString(stripLeft(line.substr(eq + 1)));
    }
    // A run of lines with no name keeps only its first line.
    if (!entry.name.empty() || current->entries.empty() || !current->entries.back().name.empty()) {
      current->entries.push_back(std::move(entry));
    }
  }
  return doc;
}

IniDocument::Section* IniDocument::findSection(std::string_view name) {
  name = stripBoth(name);
  for (Section& s : sections_) {
    if (text::equalsNoCase(s.name, name)) return &s;
  }
  return nullptr;
}

const IniDocument::Section* IniDocument::findSection(std::string_view name) const {
  return const_cast<IniDocument*>(this)->findSection(name);
}

std::optional<std::string> IniDocument::find(std::string_view section, std::string_view key) const {
  const Section* s = findSection(section);
  if (!s) return std::nullopt;
  key = stripBoth(key);
  for (const Entry& e : s->entries) {
    if (text::equalsNoCase(e.name, key)) return e.value;
  }
  return std::nullopt;
}

bool IniDocument::set(std::string_view section, std::string_view key, std::string_view value) {
  value = stripLeft(value);
  Section* s = findSection(section);
  if (!s) {
    sections_.push_back({std::string(stripLeft(section)), {}});
    s = &sections_.back();
  }
  const std::string_view wanted = stripBoth(key);
  for (Entry& e : s->entries) {
    if (text::equalsNoCase(e.name, wanted)) {
      if (e.value && *e.value == value) return false;
      e.value = std::string(value);
      return true;
    }
  }
  s->entries.push_back({std::string(stripLeft(key)), std::string(value)});
  return true;
}

std::string IniDocument::serialize() const {
  std::string out;
  for (std::size_t i = 0; i < sections_.size(); ++i) {
    const Section& s = sections_[i];
    if (i > 0) out += "[" + s.name + "]\r\n";
    for (const Entry& e : s.entries) {
      out += e.name;
      if (e.value) out += "=" + *e.value;
      out += "\r\n";
    }
  }
  switch (encoding_) {
    case Encoding::Ansi: return text::toCp1252(out);
    case Encoding::Utf8Bom: return "\xEF\xBB\xBF" + out;
    case Encoding::Utf16Le: return "\xFF\xFE" + encodeUtf16Le(out);
  }
  return out;
}

std::string profileReadValue(std::string_view stored) {
  constexpr std::size_t kMax = ports::kProfileValueMaxChars;
  if (stored.size() >= 2 && (stored.front() == '"' || stored.front() == '\'') &&
      stored.back() == stored.front()) {
    const std::string_view inner = stored.substr(1);
    std::string out(text::prefixChars(inner, kMax));
    // The closing quote is dropped only when it made it into the buffer.
    if (countChars(inner) <= kMax + 1 && !out.empty()) {
      std::size_t last = out.size() - 1;
      while (last > 0 && (static_cast<unsigned char>(out[last]) & 0xC0) == 0x80) --last;
      out.erase(last);
    }
    return out;
  }
  return std::string(text::prefixChars(stored, kMax));
}

}  // namespace zorvak
