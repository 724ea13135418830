#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

enum class RegistryType { dword, string, other };

// A typed value as a registry file holds it. Values of other types (binary, expandable or
// multi strings, written as "hex:" or "hex(N):" byte lists) are kept as their file text,
// and their data bytes are the value's text (empty when the list is malformed).
struct RegistryValue {
  RegistryType type = RegistryType::other;
  std::uint32_t number = 0;
  std::string text;
};

// The current user's registry, kept as a text file in the registry editor's export format:
// a header line, then "[key path]" sections holding "name"=dword:0000abcd and
// "name"="text" lines. Lines it can't understand (comments, other value types, malformed
// lines) are kept as they stand, so that rewriting the file changes only the values set.
// A file that is larger than maximumFileSize, unreadable or without the header holds no
// keys and is never rewritten.
class RegistryFile {
public:
  enum class State { missing, loaded, malformed, tooLarge, unreadable };

  static constexpr std::size_t maximumFileSize = 1024 * 1024;

  // ZIRROW_SETTINGS when set, else $XDG_CONFIG_HOME/zirrow/settings.reg, else
  // $HOME/.config/zirrow/settings.reg; empty when none of these is known.
  static std::string settingsPath();
  static RegistryFile load(const std::string& path);
  static RegistryFile parse(std::string_view text);

  State state() const { return state_; }
  const std::string& path() const { return path_; }
  // A key exists when it has a section or one of its subkeys has.
  bool hasKey(std::string_view key) const;
  // The value as the last line naming it gives it; null when absent or deleted.
  std::optional<RegistryValue> findValue(std::string_view key, std::string_view name) const;

  // These change the file in memory only; false when the key does not exist, the value
  // can't be written in this format or the file may not be rewritten.
  bool setValue(std::string_view key, std::string_view name, const RegistryValue& value);
  bool addKey(std::string_view key);

  std::string text() const;
  // Writes the text to a temporary file beside the file and renames it over the file, so
  // that a failure leaves the old file whole.
  bool save() const;

private:
  struct Entry {
    std::string text;  // one line, or a value line with its continuation lines
    std::string name;
    std::optional<RegistryValue> value;
    bool isValue = false;  // names a value (deleted values have no value)
  };
  struct Section {
    std::string header;
    std::string key;  // empty for sections that delete a key
    std::vector<Entry> entries;
  };

  static bool continuesOnNextLine(const Entry& entry);
  bool isWritable() const { return state_ == State::missing || state_ == State::loaded; }
  Section& sectionToHold(std::string_view key);
  void parseLines(std::string_view text);

  State state_ = State::missing;
  std::string path_;
  std::string lineEnd_ = "\n";
  std::vector<std::string> preamble_;
  std::vector<Section> sections_;
};
