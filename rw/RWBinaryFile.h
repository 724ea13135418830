#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

// A binary file over the C library's buffered streams. Every scalar is stored
// little-endian whatever the host's order; arrays are their elements in order,
// without a count. A file opened only for reading ("r" or "rb") is read through a
// buffer of its own, so that the many small reads of a scene cost a copy each;
// the flags and offsets behave as the stream's would.
class RWBinaryFile {
public:
  // With a mode, opens with that fopen mode; without, tries "rb+" and then "wb+".
  // A failed open leaves the file without a handle, and every transfer then fails.
  explicit RWBinaryFile(const char* name, const char* mode = nullptr);
  // A file read from a stream opened elsewhere for reading, under the name; the file
  // closes it. A null stream gives a file without a handle.
  RWBinaryFile(std::FILE* stream, const char* name);
  // A file opened for reading whose contents are the bytes, under the name.
  RWBinaryFile(std::vector<std::uint8_t> bytes, const char* name);
  // A file in memory opened for writing, under the name: what is written goes to
  // the end of its bytes. It can't be read, positioned or erased.
  struct MemoryOutput {};
  RWBinaryFile(MemoryOutput, const char* name);
  ~RWBinaryFile();
  RWBinaryFile(const RWBinaryFile&) = delete;
  RWBinaryFile& operator=(const RWBinaryFile&) = delete;

  static bool exists(const char* name);

  // The bytes of a file in memory: those it was made from, or those written to it.
  const std::vector<std::uint8_t>& memoryBytes() const { return storage_; }

  bool isValid() const { return handle_ != nullptr || inMemory_; }
  const char* name() const { return name_.c_str(); }
  const char* mode() const { return mode_.c_str(); }
  void close();

  bool eof() const;
  bool error() const;
  bool flush();
  bool seekTo(std::uint64_t offset);
  bool seekToEnd();
  std::uint64_t currentOffset() const;
  bool isEmpty();
  bool erase();

  // Bytes between the current offset and the end of the file.
  std::uint64_t bytesLeft();
  // Whether `bytes` more bytes can be read. When not, the file is left at its end
  // with its end-of-file flag set, as a read past the end would leave it, so that
  // a count read from a file is never trusted beyond the bytes the file holds.
  bool ensureAvailable(std::uint64_t bytes);
  // The offset at which the first read came up short, or -1 when none did.
  std::int64_t firstShortRead() const { return firstShortRead_; }

  bool read(char& value) { return readScalar(value); }
  bool read(std::int8_t& value) { return readScalar(value); }
  bool read(std::uint8_t& value) { return readScalar(value); }
  bool read(std::int16_t& value) { return readScalar(value); }
  bool read(std::uint16_t& value) { return readScalar(value); }
  bool read(std::int32_t& value) { return readScalar(value); }
  bool read(std::uint32_t& value) { return readScalar(value); }
  bool read(float& value) { return readScalar(value); }
  bool read(double& value) { return readScalar(value); }

  bool write(char value) { return writeScalar(value); }
  bool write(std::int8_t value) { return writeScalar(value); }
  bool write(std::uint8_t value) { return writeScalar(value); }
  bool write(std::int16_t value) { return writeScalar(value); }
  bool write(std::uint16_t value) { return writeScalar(value); }
  bool write(std::int32_t value) { return writeScalar(value); }
  bool write(std::uint32_t value) { return writeScalar(value); }
  bool write(float value) { return writeScalar(value); }
  bool write(double value) { return writeScalar(value); }

  bool read(char* values, std::size_t n) { return readArray(values, n); }
  bool read(std::uint8_t* values, std::size_t n) { return readArray(values, n); }
  bool read(std::int16_t* values, std::size_t n) { return readArray(values, n); }
  bool read(std::uint16_t* values, std::size_t n) { return readArray(values, n); }
  bool read(std::int32_t* values, std::size_t n) { return readArray(values, n); }
  bool read(std::uint32_t* values, std::size_t n) { return readArray(values, n); }
  bool read(float* values, std::size_t n) { return readArray(values, n); }
  bool read(double* values, std::size_t n) { return readArray(values, n); }

  bool write(const char* values, std::size_t n) { return writeArray(values, n); }
  bool write(const std::uint8_t* values, std::size_t n) { return writeArray(values, n); }
  bool write(const std::int16_t* values, std::size_t n) { return writeArray(values, n); }
  bool write(const std::uint16_t* values, std::size_t n) { return writeArray(values, n); }
  bool write(const std::int32_t* values, std::size_t n) { return writeArray(values, n); }
  bool write(const std::uint32_t* values, std::size_t n) { return writeArray(values, n); }
  bool write(const float* values, std::size_t n) { return writeArray(values, n); }
  bool write(const double* values, std::size_t n) { return writeArray(values, n); }

  // The next two bytes as a little-endian value, leaving the file where it was: the
  // next read reads them again. False, changing nothing, when fewer are left.
  bool peek(std::uint16_t& value);

  // Reads bytes up to a NUL or the end of the file; always true.
  bool readText(std::string& text);
  // Writes the text and its NUL.
  bool writeText(const char* text);

private:
  // Reading-mode buffer size; reads at least this long bypass the buffer.
  static constexpr std::size_t bufferBytes = 64 * 1024;

  bool readBytes(void* bytes, std::size_t size) {
    if (size <= windowBytes_ - position_) {
      std::memcpy(bytes, storage_.data() + position_, size);
      position_ += size;
      return true;
    }
    return readBeyondWindow(static_cast<unsigned char*>(bytes), size);
  }
  bool readBeyondWindow(unsigned char* bytes, std::size_t size);
  bool streamReadBytes(void* bytes, std::size_t size);
  // Makes at least `bytes` bytes available in the window when the file holds them;
  // false when it does not.
  bool fill(std::size_t bytes);
  // Reads from the stream into `bytes`, noting a read error; the count read.
  std::size_t readStream(unsigned char* bytes, std::size_t size);
  void noteShortRead(std::uint64_t offset);
  bool buffered() const { return readOnly_; }
  bool memoryOutput() const { return inMemory_ && !readOnly_; }
  void openStream(const char* mode);
  void adoptStream(std::FILE* stream);
  bool writeBytes(const void* bytes, std::size_t size);

  template <class T>
  bool readScalar(T& value);
  template <class T>
  bool writeScalar(T value);
  template <class T>
  bool readArray(T* values, std::size_t n);
  template <class T>
  bool writeArray(const T* values, std::size_t n);

  std::string name_;
  std::string mode_;
  std::FILE* handle_ = nullptr;
  std::int64_t firstShortRead_ = -1;
  std::int64_t knownSize_ = -1;  // measured once while nothing is written

  // Reading mode: the bytes of the file from windowOffset_ on, read so far, with
  // position_ the next one to hand out; the stream stands at the window's end.
  bool readOnly_ = false;
  bool inMemory_ = false;
  bool endOfFile_ = false;
  bool readError_ = false;
  std::vector<unsigned char> storage_;
  std::size_t windowBytes_ = 0;
  std::size_t position_ = 0;
  std::uint64_t windowOffset_ = 0;
};
