#include "RegistryFile.h"

#include "RegularFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace {

constexpr std::string_view versionFiveHeader = "Windows Registry Editor Version 5.00";
constexpr std::string_view versionFourHeader = "REGEDIT4";
constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";

char lowered(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (lowered(a[i]) != lowered(b[i])) return false;
  }
  return true;
}

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && equalsIgnoringCase(text.substr(0, prefix.size()), prefix);
}

bool isBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r';
}

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
  return text;
}

// Reads a quoted name or string with its \\ and \" escapes from the start of text and
// leaves text after the closing quote.
bool takeQuoted(std::string_view& text, std::string& out) {
  if (text.empty() || text.front() != '"') return false;
  out.clear();
  for (std::size_t i = 1; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '"') {
      text.remove_prefix(i + 1);
      return true;
    }
    if (c == '\\') {
      if (i + 1 >= text.size() || (text[i + 1] != '\\' && text[i + 1] != '"')) return false;
      out.push_back(text[++i]);
      continue;
    }
    out.push_back(c);
  }
  return false;
}

std::optional<std::uint32_t> parseDword(std::string_view digits) {
  if (digits.empty() || digits.size() > 8) return std::nullopt;
  std::uint32_t number = 0;
  for (const char c : digits) {
    const char l = lowered(c);
    int digit = 0;
    if (l >= '0' && l <= '9') {
      digit = l - '0';
    } else if (l >= 'a' && l <= 'f') {
      digit = l - 'a' + 10;
    } else {
      return std::nullopt;
    }
    number = number * 16 + static_cast<std::uint32_t>(digit);
  }
  return number;
}

std::optional<RegistryValue> parseData(std::string_view data) {
  if (!data.empty() && data.front() == '"') {
    RegistryValue value{RegistryType::string, 0, {}};
    if (!takeQuoted(data, value.text) || !trimmed(data).empty()) return std::nullopt;
    return value;
  }
  if (startsWithIgnoringCase(data, "dword:")) {
    const auto number = parseDword(data.substr(6));
    if (!number) return std::nullopt;
    return RegistryValue{RegistryType::dword, *number, {}};
  }
  if (startsWithIgnoringCase(data, "hex")) return RegistryValue{};
  return std::nullopt;
}

// The part of a "hex:" or "hex(N):" value after the colon; null for other data.
std::optional<std::string_view> byteListOf(std::string_view data) {
  if (!startsWithIgnoringCase(data, "hex")) return std::nullopt;
  data.remove_prefix(3);
  if (data.starts_with('(')) {
    const std::size_t close = data.find(')');
    if (close == std::string_view::npos || close == 1 || !parseDword(data.substr(1, close - 1))) {
      return std::nullopt;
    }
    data.remove_prefix(close + 1);
  }
  if (!data.starts_with(':')) return std::nullopt;
  return data.substr(1);
}

// Two-digit hex bytes separated by commas, over continuation lines that each end in a
// backslash; empty when anything else is met.
std::string parseByteList(std::string_view list) {
  std::string bytes;
  std::string joined;
  for (const char c : list) {
    if (c != '\\' && c != '\n' && !isBlank(c)) joined.push_back(c);
  }
  std::string_view rest = joined;
  while (!rest.empty()) {
    const std::size_t comma = rest.find(',');
    const std::string_view digits = rest.substr(0, comma);
    const auto byte = digits.size() <= 2 ? parseDword(digits) : std::nullopt;
    if (!byte) return {};
    bytes.push_back(static_cast<char>(*byte));
    if (comma == std::string_view::npos) break;
    rest.remove_prefix(comma + 1);
    if (rest.empty()) return {};
  }
  return bytes;
}

std::string escapedQuoted(std::string_view text) {
  std::string out = "\"";
  for (const char c : text) {
    if (c == '\\' || c == '"') out.push_back('\\');
    out.push_back(c);
  }
  out.push_back('"');
  return out;
}

std::string valueLine(std::string_view name, const RegistryValue& value) {
  std::string line = name.empty() ? std::string("@") : escapedQuoted(name);
  line += '=';
  if (value.type == RegistryType::string) return line + escapedQuoted(value.text);
  char digits[9];
  std::snprintf(digits, sizeof digits, "%08x", static_cast<unsigned>(value.number));
  return line + "dword:" + digits;
}

bool canBeWritten(std::string_view name, const RegistryValue& value) {
  const auto fitsOnALine = [](std::string_view text) {
    return text.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
  };
  if (value.type == RegistryType::other) return false;
  return fitsOnALine(name) && fitsOnALine(value.text);
}

bool isKeyName(std::string_view key) {
  return !key.empty() && key.find_first_of("[]\r\n") == std::string_view::npos;
}

bool namesKeyOrSubkey(std::string_view section, std::string_view key) {
  if (equalsIgnoringCase(section, key)) return true;
  return section.size() > key.size() && section[key.size()] == '\\' &&
         startsWithIgnoringCase(section, key);
}

std::string environmentValue(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

}  // namespace

std::string RegistryFile::settingsPath() {
  if (auto path = environmentValue("ZIRROW_SETTINGS"); !path.empty()) return path;
  // Relative configuration homes are to be ignored.
  if (auto config = environmentValue("XDG_CONFIG_HOME"); !config.empty() && config[0] == '/') {
    return config + "/zirrow/settings.reg";
  }
  if (auto home = environmentValue("HOME"); !home.empty()) {
    return home + "/.config/zirrow/settings.reg";
  }
  return {};
}

RegistryFile RegistryFile::load(const std::string& path) {
  RegistryFile file;
  file.path_ = path;
  if (path.empty()) return file;
  std::string problem;
  bool missing = false;
  std::FILE* stream = openRegularFile(path, problem, &missing);
  if (!stream) {
    file.state_ = missing ? State::missing : State::unreadable;
    return file;
  }
  std::string text;
  char buffer[16384];
  while (text.size() <= maximumFileSize) {
    const std::size_t count = std::fread(buffer, 1, sizeof buffer, stream);
    text.append(buffer, count);
    if (count < sizeof buffer) break;
  }
  const bool readable = !std::ferror(stream);
  std::fclose(stream);
  if (!readable) {
    file.state_ = State::unreadable;
  } else if (text.size() > maximumFileSize) {
    file.state_ = State::tooLarge;
  } else {
    file = parse(text);
    file.path_ = path;
  }
  return file;
}

RegistryFile RegistryFile::parse(std::string_view text) {
  RegistryFile file;
  file.state_ = State::loaded;
  if (text.starts_with(byteOrderMark)) text.remove_prefix(byteOrderMark.size());
  file.parseLines(text);
  return file;
}

void RegistryFile::parseLines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    // The first line's end is the file's; a carriage return that ends a later line
    // in a file of bare line feeds stays part of that line, so that it is written
    // back as it was.
    if (lines.empty() && line.ends_with('\r')) lineEnd_ = "\r\n";
    if (lineEnd_ == "\r\n" && line.ends_with('\r')) line.remove_suffix(1);
    lines.push_back(line);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
  }

  bool headerSeen = false;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string_view line = trimmed(lines[i]);
    if (!headerSeen) {
      if (!line.empty()) {
        if (line != versionFiveHeader && line != versionFourHeader) {
          state_ = State::malformed;
          preamble_.clear();
          return;
        }
        headerSeen = true;
      }
      preamble_.emplace_back(lines[i]);
      continue;
    }
    if (line.starts_with('[') && line.ends_with(']')) {
      const std::string_view key = trimmed(line.substr(1, line.size() - 2));
      sections_.push_back(
          {std::string(lines[i]), key.starts_with('-') ? "" : std::string(key), {}});
      continue;
    }
    Entry entry{std::string(lines[i]), {}, {}, false};
    std::string_view rest = line;
    std::string name;
    const bool named =
        rest.starts_with('@') ? (rest.remove_prefix(1), true) : takeQuoted(rest, name);
    rest = trimmed(rest);
    if (named && rest.starts_with('=')) {
      const std::string_view data = trimmed(rest.substr(1));
      entry.value = parseData(data);
      entry.isValue = entry.value.has_value() || data == "-";
      entry.name = name;
      // Binary values go on over the following lines while a line ends with a backslash.
      std::string byteText(data);
      while (entry.isValue && entry.value && entry.value->type == RegistryType::other &&
             trimmed(lines[i]).ends_with('\\') && i + 1 < lines.size()) {
        entry.text += '\n';
        entry.text += lines[++i];
        byteText += '\n';
        byteText += lines[i];
      }
      if (entry.value && entry.value->type == RegistryType::other) {
        if (const auto list = byteListOf(byteText)) entry.value->text = parseByteList(*list);
      }
    }
    if (sections_.empty()) {
      preamble_.push_back(entry.text);
    } else {
      sections_.back().entries.push_back(std::move(entry));
    }
  }
  // A file of blank lines is as good as an empty one: the header comes with the first key.
  if (!headerSeen) preamble_.clear();
}

// A binary value whose last line ends with a backslash takes the next line as its
// own: a value written right after it would be lost when the file is read again.
bool RegistryFile::continuesOnNextLine(const Entry& entry) {
  if (!entry.isValue || !entry.value || entry.value->type != RegistryType::other) return false;
  const std::size_t lastLine = entry.text.rfind('\n');
  const std::string_view last =
      std::string_view(entry.text).substr(lastLine == std::string::npos ? 0 : lastLine + 1);
  return trimmed(last).ends_with('\\');
}

bool RegistryFile::hasKey(std::string_view key) const {
  if (state_ != State::loaded || !isKeyName(key)) return false;
  for (const auto& section : sections_) {
    if (!section.key.empty() && namesKeyOrSubkey(section.key, key)) return true;
  }
  return false;
}

std::optional<RegistryValue> RegistryFile::findValue(std::string_view key,
                                                     std::string_view name) const {
  std::optional<RegistryValue> found;
  if (state_ != State::loaded) return found;
  for (const auto& section : sections_) {
    if (section.key.empty() || !equalsIgnoringCase(section.key, key)) continue;
    for (const auto& entry : section.entries) {
      if (entry.isValue && equalsIgnoringCase(entry.name, name)) found = entry.value;
    }
  }
  return found;
}

bool RegistryFile::setValue(std::string_view key, std::string_view name,
                            const RegistryValue& value) {
  if (!isWritable() || !hasKey(key) || !canBeWritten(name, value)) return false;
  Entry* last = nullptr;
  for (auto& section : sections_) {
    if (section.key.empty() || !equalsIgnoringCase(section.key, key)) continue;
    for (auto& entry : section.entries) {
      if (entry.isValue && equalsIgnoringCase(entry.name, name)) last = &entry;
    }
  }
  Entry replacement{valueLine(name, value), std::string(name), value, true};
  if (last) {
    *last = std::move(replacement);
    return true;
  }
  auto& entries = sectionToHold(key).entries;
  auto position = entries.end();
  while (position != entries.begin() &&
         (trimmed((position - 1)->text).empty() || continuesOnNextLine(*(position - 1)))) {
    --position;
  }
  entries.insert(position, std::move(replacement));
  return true;
}

bool RegistryFile::addKey(std::string_view key) {
  if (!isWritable() || !isKeyName(key)) return false;
  if (!hasKey(key)) sectionToHold(key);
  state_ = State::loaded;
  return true;
}

RegistryFile::Section& RegistryFile::sectionToHold(std::string_view key) {
  for (auto section = sections_.rbegin(); section != sections_.rend(); ++section) {
    if (!section->key.empty() && equalsIgnoringCase(section->key, key)) return *section;
  }
  if (preamble_.empty()) preamble_ = {std::string(versionFiveHeader), ""};
  // A blank line between sections, as the registry editor writes them.
  if (sections_.empty()) {
    if (!trimmed(preamble_.back()).empty()) preamble_.emplace_back();
  } else if (auto& entries = sections_.back().entries;
             entries.empty() || !trimmed(entries.back().text).empty()) {
    entries.push_back(Entry{});
  }
  return sections_.emplace_back(Section{"[" + std::string(key) + "]", std::string(key), {}});
}

std::string RegistryFile::text() const {
  std::string out;
  const auto appendLine = [&](std::string_view line) {
    for (std::size_t start = 0;;) {
      const std::size_t end = line.find('\n', start);
      out.append(line.substr(start, end - start));
      out += lineEnd_;
      if (end == std::string_view::npos) break;
      start = end + 1;
    }
  };
  for (const auto& line : preamble_) appendLine(line);
  for (const auto& section : sections_) {
    appendLine(section.header);
    for (const auto& entry : section.entries) appendLine(entry.text);
  }
  return out;
}

bool RegistryFile::save() const {
  const std::string content = text();
  if (!isWritable() || path_.empty() || content.size() > maximumFileSize) return false;

  // Replace the file a symbolic link points to, not the link.
  std::string target = path_;
  struct stat info {};
  if (::lstat(target.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
    char resolved[PATH_MAX];
    if (!::realpath(target.c_str(), resolved)) return false;
    target = resolved;
  }
  const bool existed = ::stat(target.c_str(), &info) == 0;

  const std::filesystem::path targetPath(target);
  std::filesystem::path directory = targetPath.parent_path();
  if (directory.empty()) directory = ".";
  std::string temporary = (directory / ("." + targetPath.filename().string() + ".XXXXXX")).string();
  const int fd = ::mkstemp(temporary.data());
  if (fd < 0) return false;

  bool written = true;
  for (std::size_t done = 0; written && done < content.size();) {
    const ssize_t count = ::write(fd, content.data() + done, content.size() - done);
    if (count < 0 && errno == EINTR) continue;
    written = count > 0;
    if (written) done += static_cast<std::size_t>(count);
  }
  if (written && existed) written = ::fchmod(fd, info.st_mode & 07777) == 0;
  written = written && ::fsync(fd) == 0;
  written = (::close(fd) == 0) && written;
  written = written && ::rename(temporary.c_str(), target.c_str()) == 0;
  if (!written) ::unlink(temporary.c_str());
  return written;
}
