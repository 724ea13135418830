#include "RegistryKey.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <utility>

namespace {

std::string fullKeyPath(std::string_view path) {
  return std::string(RegistryKey::currentUserRoot) + "\\" + std::string(path);
}

bool mayQuery(RegistryAccess access) {
  return access == RegistryAccess::query || access == RegistryAccess::all;
}

bool maySet(RegistryAccess access) {
  return access == RegistryAccess::setValue || access == RegistryAccess::all;
}

}  // namespace

RegistryResult RegistryKey::open(std::string_view path, RegistryAccess access) {
  return openIn(std::make_shared<RegistryFile>(RegistryFile::load(RegistryFile::settingsPath())),
                fullKeyPath(path), access);
}

RegistryResult RegistryKey::open(const RegistryKey& parent, std::string_view subkey,
                                 RegistryAccess access) {
  if (!parent.isOpen()) {
    close();
    return RegistryResult::notOpen;
  }
  return openIn(parent.file_, parent.key_ + "\\" + std::string(subkey), access);
}

RegistryResult RegistryKey::openIn(std::shared_ptr<RegistryFile> file, std::string key,
                                   RegistryAccess access) {
  close();
  if (!file->hasKey(key)) return RegistryResult::keyDoesNotExist;
  file_ = std::move(file);
  key_ = std::move(key);
  access_ = access;
  return RegistryResult::success;
}

void RegistryKey::close() {
  file_.reset();
  key_.clear();
}

RegistryResult RegistryKey::find(std::string_view name, RegistryType type,
                                 RegistryValue& value) const {
  if (!isOpen()) return RegistryResult::notOpen;
  if (!mayQuery(access_)) return RegistryResult::accessDenied;
  const auto found = file_->findValue(key_, name);
  if (!found) return RegistryResult::valueDoesNotExist;
  if (found->type != type) return RegistryResult::wrongType;
  value = *found;
  return RegistryResult::success;
}

RegistryResult RegistryKey::queryDword(std::string_view name, std::uint32_t& value) const {
  RegistryValue found;
  const RegistryResult result = find(name, RegistryType::dword, found);
  if (result == RegistryResult::success) value = found.number;
  return result;
}

RegistryResult RegistryKey::queryNumber(std::string_view name, std::uint32_t& value) const {
  RegistryValue found;
  RegistryResult result = find(name, RegistryType::dword, found);
  if (result == RegistryResult::success) {
    value = found.number;
    return result;
  }
  if (result != RegistryResult::wrongType) return result;
  result = find(name, RegistryType::other, found);
  if (result != RegistryResult::success) return result;
  const std::string& bytes = found.text;
  if (bytes.empty()) return RegistryResult::wrongType;
  std::uint32_t number = 0;
  const std::size_t count = std::min<std::size_t>(bytes.size(), 4);
  for (std::size_t i = 0; i < count; ++i) {
    number |= std::uint32_t{static_cast<unsigned char>(bytes[i])} << (8 * i);
  }
  value = number;
  return RegistryResult::success;
}

RegistryResult RegistryKey::queryString(std::string_view name, std::size_t dataSize,
                                        std::string& value) const {
  RegistryValue found;
  const RegistryResult result = find(name, RegistryType::string, found);
  if (result != RegistryResult::success) return result;
  if (found.text.size() + 1 > dataSize) return RegistryResult::moreData;
  value = std::move(found.text);
  return result;
}

RegistryResult RegistryKey::set(std::string_view name, const RegistryValue& value) {
  if (!isOpen()) return RegistryResult::notOpen;
  if (!maySet(access_)) return RegistryResult::accessDenied;
  // Change a copy, so that a failed write leaves this key as the file still is.
  RegistryFile changed = *file_;
  if (!changed.setValue(key_, name, value)) {
    return changed.hasKey(key_) ? RegistryResult::invalidValue : RegistryResult::keyDoesNotExist;
  }
  if (!changed.save()) return RegistryResult::writeFailed;
  *file_ = std::move(changed);
  return RegistryResult::success;
}

RegistryResult RegistryKey::setDword(std::string_view name, std::uint32_t value) {
  return set(name, RegistryValue{RegistryType::dword, value, {}});
}

RegistryResult RegistryKey::setString(std::string_view name, std::string_view value) {
  return set(name, RegistryValue{RegistryType::string, 0, std::string(value)});
}

RegistryResult RegistryKey::create(std::string_view path) {
  RegistryFile file = RegistryFile::load(RegistryFile::settingsPath());
  const std::string key = fullKeyPath(path);
  if (file.hasKey(key)) return RegistryResult::success;
  if (file.path().empty() || !file.addKey(key)) return RegistryResult::writeFailed;
  std::error_code ignored;
  std::filesystem::create_directories(std::filesystem::path(file.path()).parent_path(), ignored);
  return file.save() ? RegistryResult::success : RegistryResult::writeFailed;
}
