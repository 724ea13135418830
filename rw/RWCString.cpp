#include "RWCString.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cctype>
#include <cstddef>
#include <cstring>
#include <new>
#include <string>
#include <utility>

#include "RWBinaryFile.h"
#include "RWErrors.h"
#include "RWMessages.h"

// The heap block behind a string: a header, then capacity + 1 characters.
struct RWCString::StringRep {
  std::atomic<std::int32_t> references;  // holders minus one
  std::uint32_t capacity;
  std::uint32_t length;

  char* characters() { return reinterpret_cast<char*>(this + 1); }
};

namespace {

std::size_t initialCapacityValue = 15;
std::size_t resizeIncrementValue = 16;
std::size_t maxWasteValue = 15;

unsigned rotateLeft5(unsigned h) {
  return std::rotl(h, 5);
}

int lower(char c) {
  return std::tolower(static_cast<unsigned char>(c));
}
int upper(char c) {
  return std::toupper(static_cast<unsigned char>(c));
}

[[noreturn]] void raiseIndexError(std::size_t position, std::size_t length) {
  if (position == RW_NPOS) rwRaise<RWBoundsErr>(RWMessages::nposIndex);
  rwRaise<RWBoundsErr>(RWMessages::indexError, static_cast<unsigned>(position),
                       static_cast<unsigned>(length));
}

int sign(int value) {
  return (value > 0) - (value < 0);
}

}  // namespace

// ---- representation -------------------------------------------------------

RWCString::StringRep* RWCString::nullRep() {
  struct NullBlock {
    StringRep rep;
    char nul;
  };
  static_assert(offsetof(NullBlock, nul) == sizeof(StringRep));
  // Shared by every empty string without capacity; never counted, never freed.
  static constinit NullBlock block{{{0}, 0, 0}, '\0'};
  return &block.rep;
}

RWCString::StringRep* RWCString::allocate(std::size_t capacity, std::size_t length) {
  void* memory = ::operator new(sizeof(StringRep) + capacity + 1);
  auto* rep = new (memory)
      StringRep{{0}, static_cast<std::uint32_t>(capacity), static_cast<std::uint32_t>(length)};
  rep->characters()[length] = '\0';
  return rep;
}

void RWCString::addReference(StringRep* rep) {
  if (rep != nullRep()) rep->references.fetch_add(1, std::memory_order_relaxed);
}

void RWCString::releaseReference(StringRep* rep) {
  if (rep == nullRep()) return;
  if (rep->references.fetch_sub(1, std::memory_order_acq_rel) == 0) {
    rep->~StringRep();
    ::operator delete(rep);
  }
}

RWCString::StringRep* RWCString::rep() const {
  return reinterpret_cast<StringRep*>(data_) - 1;
}

RWCString::RWCString(StringRep* rep) : data_(rep->characters()) {}

void RWCString::assignRep(StringRep* newRep) {
  StringRep* old = rep();
  data_ = newRep->characters();
  releaseReference(old);
}

void RWCString::makePrivate() {
  StringRep* current = rep();
  if (current == nullRep() || current->references.load(std::memory_order_acquire) == 0) return;
  StringRep* copy = allocate(current->capacity, current->length);
  std::memcpy(copy->characters(), data_, current->length);
  assignRep(copy);
}

std::size_t RWCString::grownCapacity(std::size_t n) {
  if (n <= initialCapacityValue) return initialCapacityValue;
  const std::size_t steps =
      (n - initialCapacityValue + resizeIncrementValue - 1) / resizeIncrementValue;
  return initialCapacityValue + resizeIncrementValue * steps;
}

std::size_t RWCString::initialCapacity(std::size_t capacity) {
  return std::exchange(initialCapacityValue, capacity);
}

std::size_t RWCString::resizeIncrement(std::size_t increment) {
  return std::exchange(resizeIncrementValue, std::max<std::size_t>(increment, 1));
}

std::size_t RWCString::maxWaste(std::size_t waste) {
  return std::exchange(maxWasteValue, waste);
}

// ---- construction ---------------------------------------------------------

RWCString::RWCString() : RWCString(nullRep()) {}

RWCString::RWCString(const char* text) : RWCString(text, text ? std::strlen(text) : 0) {}

RWCString::RWCString(const char* characters, std::size_t count)
    : RWCString(count == 0 ? nullRep() : allocate(count, count)) {
  if (count) std::memcpy(data_, characters, count);
}

RWCString::RWCString(const SubString& view)
    : RWCString(allocate(grownCapacity(view.length()), view.length())) {
  if (view.length()) std::memcpy(data_, view.data(), view.length());
}

RWCString::RWCString(const RWCString& other) : data_(other.data_) {
  addReference(rep());
}

RWCString::RWCString(RWCString&& other) noexcept : data_(other.data_) {
  other.data_ = nullRep()->characters();
}

RWCString::~RWCString() {
  releaseReference(rep());
}

RWCString& RWCString::operator=(const RWCString& other) {
  if (other.rep() != rep()) {
    addReference(other.rep());
    assignRep(other.rep());
  }
  return *this;
}

RWCString& RWCString::operator=(RWCString&& other) noexcept {
  if (this != &other) std::swap(data_, other.data_);
  return *this;
}

RWCString& RWCString::operator=(const char* text) {
  const std::size_t textLength = text ? std::strlen(text) : 0;
  if (textLength) return replace(0, length(), text, textLength);
  StringRep* current = rep();
  if (current != nullRep() && current->references.load(std::memory_order_acquire) == 0) {
    current->length = 0;
    data_[0] = '\0';
  } else {
    assignRep(nullRep());
  }
  return *this;
}

// ---- access ---------------------------------------------------------------

std::size_t RWCString::length() const {
  return rep()->length;
}

std::size_t RWCString::capacity() const {
  return rep()->capacity;
}

char RWCString::operator[](std::size_t position) const {
  if (position >= length()) raiseIndexError(position, length());
  return data_[position];
}

char& RWCString::operator()(std::size_t position) {
  if (position >= length()) raiseIndexError(position, length());
  makePrivate();
  return data_[position];
}

const char* SubString::data() const {
  return isNull() ? RWCString().data() : string_->data() + start_;
}

// ---- searching ------------------------------------------------------------

std::size_t RWCString::find(const char* pattern, std::size_t patternLength, std::size_t start,
                            caseCompare mode) const {
  const std::size_t size = length();
  if (start > size || patternLength > size - start) return RW_NPOS;
  const auto same = [mode](char a, char b) {
    return mode == exact ? a == b : lower(a) == lower(b);
  };
  for (std::size_t at = start; at + patternLength <= size; ++at) {
    std::size_t matched = 0;
    while (matched < patternLength && same(data_[at + matched], pattern[matched])) ++matched;
    if (matched == patternLength) return at;
  }
  return RW_NPOS;
}

std::size_t RWCString::find(const char* pattern, std::size_t start, caseCompare mode) const {
  return find(pattern, std::strlen(pattern), start, mode);
}

std::size_t RWCString::find(const RWCString& pattern, std::size_t start, caseCompare mode) const {
  return find(pattern.data(), pattern.length(), start, mode);
}

std::size_t RWCString::first(char c) const {
  const std::size_t at = view().find(c);
  return at == std::string_view::npos ? RW_NPOS : at;
}

std::size_t RWCString::last(char c) const {
  const std::size_t at = view().rfind(c);
  return at == std::string_view::npos ? RW_NPOS : at;
}

std::size_t RWCString::firstOf(const char* set) const {
  const std::size_t at = view().find_first_of(set);
  return at == std::string_view::npos ? RW_NPOS : at;
}

std::size_t RWCString::lastOf(const char* set) const {
  const std::size_t at = view().find_last_of(set);
  return at == std::string_view::npos ? RW_NPOS : at;
}

// ---- editing --------------------------------------------------------------

RWCString& RWCString::replace(std::size_t position, std::size_t count, const char* text,
                              std::size_t textLength) {
  const std::size_t oldLength = length();
  if (position > oldLength) raiseIndexError(position, oldLength);
  count = std::min(count, oldLength - position);
  if (!text) textLength = 0;
  const std::size_t newLength = oldLength + textLength - count;
  const std::size_t tail = oldLength - position - count;
  StringRep* current = rep();

  const bool shared =
      current == nullRep() || current->references.load(std::memory_order_acquire) > 0;
  const bool tooSmall = current->capacity < newLength;
  const bool tooWasteful = newLength < oldLength && current->capacity - newLength > maxWasteValue;
  const bool overlapsSelf = text && text >= data_ && text <= data_ + oldLength;

  if (shared || tooSmall || tooWasteful || overlapsSelf) {
    StringRep* fresh = allocate(grownCapacity(newLength), newLength);
    char* out = fresh->characters();
    std::memcpy(out, data_, position);
    if (textLength) std::memcpy(out + position, text, textLength);
    std::memcpy(out + position + textLength, data_ + position + count, tail);
    assignRep(fresh);
  } else {
    std::memmove(data_ + position + textLength, data_ + position + count, tail);
    if (textLength) std::memcpy(data_ + position, text, textLength);
    current->length = static_cast<std::uint32_t>(newLength);
    data_[newLength] = '\0';
  }
  return *this;
}

RWCString& RWCString::replace(std::size_t position, std::size_t count, const char* text) {
  return replace(position, count, text, text ? std::strlen(text) : 0);
}

RWCString& RWCString::append(const char* text, std::size_t textLength) {
  return replace(length(), 0, text, textLength);
}

RWCString& RWCString::append(const char* text) {
  return replace(length(), 0, text);
}

RWCString& RWCString::append(const RWCString& text) {
  return replace(length(), 0, text.data(), text.length());
}

RWCString& RWCString::append(char c, std::size_t times) {
  const std::string copies(times, c);
  return replace(length(), 0, copies.data(), copies.size());
}

RWCString& RWCString::prepend(const char* text, std::size_t textLength) {
  return replace(0, 0, text, textLength);
}

RWCString& RWCString::prepend(const char* text) {
  return replace(0, 0, text);
}

RWCString& RWCString::remove(std::size_t position) {
  return replace(position, length() - std::min(position, length()), nullptr, 0);
}

RWCString& RWCString::remove(std::size_t position, std::size_t count) {
  return replace(position, count, nullptr, 0);
}

void RWCString::resize(std::size_t n) {
  const std::size_t size = length();
  if (n < size) {
    remove(n);
  } else if (n > size) {
    append(' ', n - size);
  }
}

SubString RWCString::substring(std::size_t start, std::size_t count) const {
  if (start > length() || count > length() - start) {
    rwRaise<RWBoundsErr>(RWMessages::subString, static_cast<int>(start),
                         static_cast<unsigned>(count), static_cast<unsigned>(length()));
  }
  return SubString(*this, start, count);
}

SubString RWCString::strip(stripType where, char c) const {
  std::size_t begin = 0;
  std::size_t end = length();
  if (where & leading) {
    while (begin < end && data_[begin] == c) ++begin;
  }
  if (where & trailing) {
    while (end > begin && data_[end - 1] == c) --end;
  }
  return SubString(*this, begin, end - begin);
}

void RWCString::toLower() {
  makePrivate();
  for (std::size_t i = 0; i < length(); ++i) data_[i] = static_cast<char>(lower(data_[i]));
}

void RWCString::toUpper() {
  makePrivate();
  for (std::size_t i = 0; i < length(); ++i) data_[i] = static_cast<char>(upper(data_[i]));
}

RWCString toLower(const RWCString& text) {
  RWCString copy(text.data(), text.length());
  copy.toLower();
  return copy;
}

RWCString toUpper(const RWCString& text) {
  RWCString copy(text.data(), text.length());
  copy.toUpper();
  return copy;
}

RWCString operator+(const RWCString& left, const char* right) {
  const std::size_t rightLength = right ? std::strlen(right) : 0;
  RWCString result(SubString(left, 0, left.length()));
  result.append(right, rightLength);
  return result;
}

// ---- comparison and hashing ----------------------------------------------

namespace {

int compareCharacters(std::string_view a, std::string_view b, RWCString::caseCompare mode) {
  const std::size_t common = std::min(a.size(), b.size());
  if (mode == RWCString::exact) {
    const int difference = common ? std::memcmp(a.data(), b.data(), common) : 0;
    if (difference) return sign(difference);
  } else {
    for (std::size_t i = 0; i < common; ++i) {
      const int ca = lower(a[i]);
      const int cb = lower(b[i]);
      if (ca != cb) return ca > cb ? 1 : -1;
    }
  }
  if (a.size() == b.size()) return 0;
  return a.size() > b.size() ? 1 : -1;
}

}  // namespace

int RWCString::compareTo(const char* text, caseCompare mode) const {
  return compareCharacters(view(), text ? std::string_view(text) : std::string_view(), mode);
}

int RWCString::compareTo(const RWCString& other, caseCompare mode) const {
  return compareCharacters(view(), other.view(), mode);
}

bool RWCString::operator==(const RWCString& other) const {
  return view() == other.view();
}

unsigned RWCString::hash(caseCompare mode) const {
  const std::size_t size = length();
  auto h = static_cast<unsigned>(size);
  if (mode == ignoreCase) {
    for (std::size_t i = 0; i < size; ++i)
      h = static_cast<unsigned>(upper(data_[i])) ^ rotateLeft5(h);
    return h;
  }
  const auto* bytes = reinterpret_cast<const unsigned char*>(data_);
  std::size_t i = 0;
  for (; i + 4 <= size; i += 4) {
    const unsigned word = bytes[i] | bytes[i + 1] << 8 | bytes[i + 2] << 16 |
                          static_cast<unsigned>(bytes[i + 3]) << 24;
    h = word ^ rotateLeft5(h);
  }
  if (i < size) {
    unsigned v = 0;
    for (; i < size; ++i) {
      const auto signExtended =
          static_cast<unsigned>(static_cast<int>(static_cast<signed char>(data_[i])));
      v = (v << 8) | signExtended;
    }
    h = v ^ rotateLeft5(h);
  }
  return h;
}

bool RWCString::isAscii() const {
  for (std::size_t i = 0; i < length(); ++i) {
    if (static_cast<unsigned char>(data_[i]) & 0x80) return false;
  }
  return true;
}

// ---- file form ------------------------------------------------------------

void RWCString::saveOn(RWBinaryFile& file) const {
  if (!file.write(static_cast<std::uint32_t>(length()))) return;
  file.write(data_, length());
}

void RWCString::restoreFrom(RWBinaryFile& file) {
  std::uint32_t count = 0;
  if (!file.read(count)) return;
  if (count == 0 || !file.ensureAvailable(count)) {
    *this = "";
    return;
  }
  StringRep* current = rep();
  const bool reusable = current != nullRep() &&
                        current->references.load(std::memory_order_acquire) == 0 &&
                        current->capacity >= count;
  if (!reusable) assignRep(allocate(count, 0));
  const bool complete = file.read(data_, count);
  rep()->length = complete ? count : 0;
  data_[rep()->length] = '\0';
}
