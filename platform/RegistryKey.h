#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "RegistryFile.h"

enum class RegistryAccess { query, setValue, all };

enum class RegistryResult {
  success,
  keyDoesNotExist,
  valueDoesNotExist,
  wrongType,
  moreData,  // the string and its terminating zero don't fit the data size asked for
  accessDenied,
  invalidValue,
  writeFailed,
  notOpen,
};

// An open key of the current user's registry file (RegistryFile::settingsPath()), named by
// its path below HKEY_CURRENT_USER ("Software\\Fenmarrow\\ZirrowDemo"). Opening reads the
// file; each value set is written to the file at once. Keys are never created by opening
// or setting: only create() does that, as an installer would.
class RegistryKey {
public:
  static constexpr std::string_view currentUserRoot = "HKEY_CURRENT_USER";

  RegistryResult open(std::string_view path, RegistryAccess access);
  RegistryResult open(const RegistryKey& parent, std::string_view subkey, RegistryAccess access);
  void close();
  bool isOpen() const { return file_ != nullptr; }

  RegistryResult queryDword(std::string_view name, std::uint32_t& value) const;
  // The first four bytes of the value's data as a little-endian number, whatever its
  // type: a 32-bit number, or a value written as bytes ("hex:", "hex(N):"), whose first
  // bytes make the number when it holds fewer than four. Strings are text, not data,
  // in this file: they give wrongType, as does a byte value with no bytes.
  RegistryResult queryNumber(std::string_view name, std::uint32_t& value) const;
  // dataSize counts the terminating zero, as the registry stores strings with it.
  RegistryResult queryString(std::string_view name, std::size_t dataSize, std::string& value) const;
  RegistryResult setDword(std::string_view name, std::uint32_t value);
  RegistryResult setString(std::string_view name, std::string_view value);

  // Creates the key in the settings file, and the file and its folder when missing.
  static RegistryResult create(std::string_view path);

private:
  RegistryResult openIn(std::shared_ptr<RegistryFile> file, std::string key, RegistryAccess access);
  RegistryResult find(std::string_view name, RegistryType type, RegistryValue& value) const;
  RegistryResult set(std::string_view name, const RegistryValue& value);

  std::shared_ptr<RegistryFile> file_;
  std::string key_;
  RegistryAccess access_ = RegistryAccess::query;
};
