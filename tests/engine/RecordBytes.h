#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

// The bytes of a hand-made record, every value little-endian.
class RecordBytes {
public:
  RecordBytes& u16(std::uint16_t value) { return little(value, 2); }
  RecordBytes& u32(std::uint32_t value) { return little(value, 4); }
  RecordBytes& f32(float value) {
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return u32(bits);
  }
  RecordBytes& text(const std::string& value) {
    u32(static_cast<std::uint32_t>(value.size()));
    bytes_.insert(bytes_.end(), value.begin(), value.end());
    return *this;
  }
  RecordBytes& raw(const std::vector<std::uint8_t>& values) {
    bytes_.insert(bytes_.end(), values.begin(), values.end());
    return *this;
  }
  const std::vector<unsigned char>& bytes() const { return bytes_; }

private:
  RecordBytes& little(std::uint32_t value, int size) {
    for (int i = 0; i < size; ++i) bytes_.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    return *this;
  }

  std::vector<unsigned char> bytes_;
};
