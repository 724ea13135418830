#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "RWDefs.h"

class RWBinaryFile;
class RWCString;

// A view of a range of an RWCString; a start of RW_NPOS makes the null view.
class SubString {
public:
  SubString(const RWCString& string, std::size_t start, std::size_t length)
      : string_(&string), start_(start), length_(length) {}

  bool isNull() const { return start_ == RW_NPOS; }
  std::size_t start() const { return start_; }
  std::size_t length() const { return isNull() ? 0 : length_; }
  const char* data() const;
  std::string_view view() const { return {data(), length()}; }

private:
  const RWCString* string_;
  std::size_t start_;
  std::size_t length_;
};

// Counted 8-bit string with a NUL kept after the last character, shared between
// copies and copied on write. It may hold NUL bytes; the length bounds the text.
class RWCString {
public:
  enum caseCompare { exact, ignoreCase };
  enum stripType { leading = 1, trailing = 2, both = 3 };

  RWCString();
  RWCString(const char* text);  // NOLINT: converting, as text literals name things
  RWCString(const char* characters, std::size_t count);
  explicit RWCString(const SubString& view);
  RWCString(const RWCString& other);
  RWCString(RWCString&& other) noexcept;
  ~RWCString();

  RWCString& operator=(const RWCString& other);
  RWCString& operator=(RWCString&& other) noexcept;
  RWCString& operator=(const char* text);

  std::size_t length() const;
  std::size_t capacity() const;
  bool isNull() const { return length() == 0; }
  const char* data() const { return data_; }
  std::string_view view() const { return {data_, length()}; }

  // Bounds-checked access: RWBoundsErr [INDEXERR], or [NPOSINDEX] for RW_NPOS.
  char operator[](std::size_t position) const;
  char& operator()(std::size_t position);

  std::size_t find(const char* pattern, std::size_t patternLength, std::size_t start,
                   caseCompare mode) const;
  std::size_t find(const char* pattern, std::size_t start = 0, caseCompare mode = exact) const;
  std::size_t find(const RWCString& pattern, std::size_t start = 0, caseCompare mode = exact) const;
  std::size_t first(char c) const;
  std::size_t last(char c) const;
  std::size_t firstOf(const char* set) const;
  std::size_t lastOf(const char* set) const;

  RWCString& replace(std::size_t position, std::size_t count, const char* text,
                     std::size_t textLength);
  RWCString& replace(std::size_t position, std::size_t count, const char* text);
  RWCString& append(const char* text, std::size_t textLength);
  RWCString& append(const char* text);
  RWCString& append(const RWCString& text);
  RWCString& append(char c, std::size_t times);
  RWCString& prepend(const char* text, std::size_t textLength);
  RWCString& prepend(const char* text);
  RWCString& remove(std::size_t position);
  RWCString& remove(std::size_t position, std::size_t count);
  RWCString& operator+=(const char* text) { return append(text); }
  RWCString& operator+=(const RWCString& text) { return append(text); }

  // Pads with blanks or truncates to exactly n characters.
  void resize(std::size_t n);

  // Raises RWBoundsErr [SUBSTRING] when the range does not lie within the string.
  SubString substring(std::size_t start, std::size_t length) const;
  SubString strip(stripType where = trailing, char c = ' ') const;

  void toLower();
  void toUpper();

  int compareTo(const char* text, caseCompare mode = exact) const;
  int compareTo(const RWCString& other, caseCompare mode = exact) const;
  bool operator==(const char* text) const { return compareTo(text) == 0; }
  bool operator==(const RWCString& other) const;

  unsigned hash(caseCompare mode = exact) const;
  bool isAscii() const;

  // File form: 32-bit length, then the characters without a NUL.
  void saveOn(RWBinaryFile& file) const;
  void restoreFrom(RWBinaryFile& file);

  // Sizing rules; each setter returns the previous value.
  static std::size_t initialCapacity(std::size_t capacity);
  static std::size_t resizeIncrement(std::size_t increment);
  static std::size_t maxWaste(std::size_t waste);
  // The capacity that growth gives for n characters.
  static std::size_t grownCapacity(std::size_t n);

private:
  struct StringRep;

  explicit RWCString(StringRep* rep);
  StringRep* rep() const;
  static StringRep* allocate(std::size_t capacity, std::size_t length);
  static StringRep* nullRep();
  static void addReference(StringRep* rep);
  static void releaseReference(StringRep* rep);
  void makePrivate();
  void assignRep(StringRep* rep);
  std::size_t findFirst(std::string_view set, bool inSet) const;

  char* data_;
};

RWCString operator+(const RWCString& left, const char* right);
RWCString toLower(const RWCString& text);
RWCString toUpper(const RWCString& text);
