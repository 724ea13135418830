#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "RWBinaryFile.h"
#include "RWCString.h"
#include "RWCollectable.h"
#include "RWErrors.h"
#include "RWObjectProtocol.h"
#include "TempFile.h"

using Bytes = std::vector<unsigned char>;

// Shows strings as text in test failure messages.
inline void PrintTo(const RWCString& text, std::ostream* out) {
  *out << '"' << text.view() << '"';
}

// A collectable carrying an integer: it compares, hashes and tests equality by the
// integer, stores it as its only field, and can count its own destructions.
class Valued : public RWCollectable {
public:
  static constexpr RWClassID id = 0x8F01;

  explicit Valued(std::int32_t value = 0, int* destructions = nullptr)
      : value_(value), destructions_(destructions) {}
  Valued(const Valued&) = default;
  Valued& operator=(const Valued&) = default;
  ~Valued() override {
    if (destructions_) ++*destructions_;
  }

  RWCollectable* newInstance() const override { return new Valued; }
  RWCollectable* clone() const override { return new Valued(*this); }
  RWClassID classId() const override { return id; }
  std::uint32_t storeSize() const override { return sizeof value_; }
  int compare(const RWCollectable* other) const override {
    const auto* valued = dynamic_cast<const Valued*>(other);
    if (!valued) return RWCollectable::compare(other);
    return (value_ > valued->value_) - (value_ < valued->value_);
  }
  unsigned hashValue() const override { return static_cast<unsigned>(value_); }
  bool equals(const RWCollectable* other) const override {
    const auto* valued = dynamic_cast<const Valued*>(other);
    return valued && valued->value_ == value_;
  }
  using RWCollectable::restoreFields;
  using RWCollectable::saveFields;
  void restoreFields(RWBinaryFile& file) override { file.read(value_); }
  void saveFields(RWBinaryFile& file) const override { file.write(value_); }

  std::int32_t value() const { return value_; }

private:
  std::int32_t value_;
  int* destructions_;
};

// A Valued whose class is known to files by its string identifier.
class NamedValued : public Valued {
public:
  static constexpr RWClassID id = 0x9001;
  using Valued::Valued;
  RWCollectable* newInstance() const override { return new NamedValued; }
  RWCollectable* clone() const override { return new NamedValued(*this); }
  RWClassID classId() const override { return id; }
};

inline void put16(Bytes& bytes, std::uint16_t value) {
  bytes.push_back(static_cast<unsigned char>(value));
  bytes.push_back(static_cast<unsigned char>(value >> 8));
}

inline void put32(Bytes& bytes, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) {
    bytes.push_back(static_cast<unsigned char>(value >> shift));
  }
}

inline void putText(Bytes& bytes, const std::string& text) {
  put32(bytes, static_cast<std::uint32_t>(text.size()));
  bytes.insert(bytes.end(), text.begin(), text.end());
}

// The opening of every outermost record.
inline Bytes magicBytes() {
  return {0x88, 0x88, 0x00, 0x00};
}

// Writes the object as a file's top-level record and gives the file's bytes.
inline Bytes writtenBytes(const TempFile& path, const RWCollectable* object) {
  {
    RWBinaryFile file(path.c_str(), "wb");
    writeObject(file, object);
  }
  return path.bytes();
}

// The text of the error of class Error that the action raises.
template <class Error, class Action>
std::string errorText(Action&& action) {
  try {
    action();
  } catch (const Error& error) {
    return error.why();
  }
  return "(nothing raised)";
}

// The texts of the index errors of collections and strings.
inline std::string indexErrorText(std::size_t index, std::size_t count) {
  return "[INDEXERR] Illegal Index (" + std::to_string(index) + ") for collection or string with " +
         std::to_string(count) + " elements";
}
inline const std::string nposErrorText =
    "[NPOSINDEX] The value RW_NPOS cannot be used as an index.";

inline bool startsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}
