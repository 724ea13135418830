#pragma once

#include <cstdint>
#include <ostream>
#include <span>
#include <string_view>
#include <unordered_map>

#include "RWCollectable.h"

// Persistence numbers of the objects read from one file, by object.
using ObjectNumbers = std::unordered_map<const RWCollectable*, std::uint32_t>;

// Prints the objects of a file one after another, each with its fields; object
// references print as persistence numbers and nil as null.
class FieldWriter {
public:
  FieldWriter(std::ostream& out, const ObjectNumbers& numbers) : out_(out), numbers_(numbers) {}
  virtual ~FieldWriter() = default;
  FieldWriter(const FieldWriter&) = delete;
  FieldWriter& operator=(const FieldWriter&) = delete;

  virtual void beginObject(std::uint32_t number, std::string_view className, RWClassID id) = 0;
  virtual void endObject() = 0;

  virtual void integer(std::string_view name, long long value) = 0;
  virtual void real(std::string_view name, double value) = 0;
  virtual void text(std::string_view name, std::string_view value) = 0;
  virtual void reals(std::string_view name, std::span<const float> values) = 0;
  virtual void integers(std::string_view name, std::span<const std::int32_t> values) = 0;
  virtual void reference(std::string_view name, const RWCollectable* object) = 0;
  virtual void references(std::string_view name, std::span<const RWCollectable* const> objects) = 0;

protected:
  std::ostream& out() { return out_; }
  // The object's number as text: "null" for nil, "?" for an object the file did
  // not number.
  std::string numberText(const RWCollectable* object) const;

private:
  std::ostream& out_;
  const ObjectNumbers& numbers_;
};

// Plain text: "#1 RWOrdered (0x8028)" then one indented "name: value" per field.
class TextFieldWriter : public FieldWriter {
public:
  using FieldWriter::FieldWriter;

  void beginObject(std::uint32_t number, std::string_view className, RWClassID id) override;
  void endObject() override {}
  void integer(std::string_view name, long long value) override;
  void real(std::string_view name, double value) override;
  void text(std::string_view name, std::string_view value) override;
  void reals(std::string_view name, std::span<const float> values) override;
  void integers(std::string_view name, std::span<const std::int32_t> values) override;
  void reference(std::string_view name, const RWCollectable* object) override;
  void references(std::string_view name, std::span<const RWCollectable* const> objects) override;

private:
  void label(std::string_view name);
};
