#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>

#include "RWBinaryFile.h"
#include "RWTestSupport.h"
#include "TempFile.h"

TEST(RWBinaryFile, ScalarsAreStoredLittleEndian) {
  TempFile path("scalars");
  {
    RWBinaryFile file(path.c_str(), "wb");
    EXPECT_TRUE(file.write('A'));
    EXPECT_TRUE(file.write(std::int8_t{-2}));
    EXPECT_TRUE(file.write(std::uint8_t{200}));
    EXPECT_TRUE(file.write(std::int16_t{-2}));
    EXPECT_TRUE(file.write(std::uint16_t{0x1234}));
    EXPECT_TRUE(file.write(std::int32_t{-5}));
    EXPECT_TRUE(file.write(std::uint32_t{0x12345678}));
    EXPECT_TRUE(file.write(1.5f));
    EXPECT_TRUE(file.write(-2.25));
  }
  const Bytes expected{'A',  0xFE, 0xC8, 0xFE, 0xFF, 0x34, 0x12, 0xFB, 0xFF,
                       0xFF, 0xFF, 0x78, 0x56, 0x34, 0x12, 0x00, 0x00, 0xC0,
                       0x3F, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x02, 0xC0};
  EXPECT_EQ(path.bytes(), expected);

  RWBinaryFile file(path.c_str(), "rb");
  char c = 0;
  std::int8_t i8 = 0;
  std::uint8_t u8 = 0;
  std::int16_t i16 = 0;
  std::uint16_t u16 = 0;
  std::int32_t i32 = 0;
  std::uint32_t u32 = 0;
  float f = 0;
  double d = 0;
  EXPECT_TRUE(file.read(c) && file.read(i8) && file.read(u8) && file.read(i16) && file.read(u16) &&
              file.read(i32) && file.read(u32) && file.read(f) && file.read(d));
  EXPECT_EQ(c, 'A');
  EXPECT_EQ(i8, -2);
  EXPECT_EQ(u8, 200);
  EXPECT_EQ(i16, -2);
  EXPECT_EQ(u16, 0x1234);
  EXPECT_EQ(i32, -5);
  EXPECT_EQ(u32, 0x12345678u);
  EXPECT_EQ(f, 1.5f);
  EXPECT_EQ(d, -2.25);
  EXPECT_FALSE(file.eof());
  EXPECT_FALSE(file.read(c));
  EXPECT_TRUE(file.eof());
  EXPECT_FALSE(file.error());
}

TEST(RWBinaryFile, ArraysAreTheirElementsWithoutACount) {
  TempFile path("arrays");
  const std::int16_t shorts[] = {1, -1, 256};
  const std::uint32_t words[] = {0x01020304, 5};
  const float floats[] = {0.5f, -1.0f};
  {
    RWBinaryFile file(path.c_str(), "wb");
    EXPECT_TRUE(file.write(shorts, 3));
    EXPECT_TRUE(file.write(words, 2));
    EXPECT_TRUE(file.write(floats, 0));
    EXPECT_TRUE(file.write("xy", 2));
  }
  const Bytes expected{0x01, 0x00, 0xFF, 0xFF, 0x00, 0x01, 0x04, 0x03,
                       0x02, 0x01, 0x05, 0x00, 0x00, 0x00, 'x',  'y'};
  EXPECT_EQ(path.bytes(), expected);

  RWBinaryFile file(path.c_str(), "rb");
  std::int16_t readShorts[3] = {};
  std::uint32_t readWords[2] = {};
  char text[3] = {};
  EXPECT_TRUE(file.read(readShorts, 3));
  EXPECT_TRUE(file.read(readWords, 2));
  EXPECT_TRUE(file.read(text, 0));
  EXPECT_EQ(readShorts[1], -1);
  EXPECT_EQ(readShorts[2], 256);
  EXPECT_EQ(readWords[0], 0x01020304u);
  EXPECT_EQ(readWords[1], 5u);
  EXPECT_FALSE(file.read(text, 3));
  EXPECT_TRUE(file.eof());
  EXPECT_EQ(file.firstShortRead(), 14);
}

TEST(RWBinaryFile, TextIsReadUpToItsNul) {
  TempFile path("text");
  {
    RWBinaryFile file(path.c_str(), "wb");
    EXPECT_TRUE(file.writeText("abc"));
    EXPECT_TRUE(file.writeText(""));
    EXPECT_TRUE(file.write('z'));
  }
  EXPECT_EQ(path.bytes(), (Bytes{'a', 'b', 'c', 0, 0, 'z'}));
  RWBinaryFile file(path.c_str(), "rb");
  std::string text = "stale";
  EXPECT_TRUE(file.readText(text));
  EXPECT_EQ(text, "abc");
  EXPECT_TRUE(file.readText(text));
  EXPECT_EQ(text, "");
  EXPECT_TRUE(file.readText(text));
  EXPECT_EQ(text, "z");
  EXPECT_TRUE(file.eof());
}

TEST(RWBinaryFile, OpeningWithoutAModeCreatesOrUpdates) {
  TempFile path("update");
  {
    RWBinaryFile file(path.c_str());
    ASSERT_TRUE(file.isValid());
    EXPECT_STREQ(file.mode(), "wb+");
    EXPECT_STREQ(file.name(), path.c_str());
    EXPECT_TRUE(file.isEmpty());
    EXPECT_TRUE(file.write(std::uint32_t{7}));
  }
  EXPECT_TRUE(RWBinaryFile::exists(path.c_str()));
  {
    RWBinaryFile file(path.c_str());
    ASSERT_TRUE(file.isValid());
    EXPECT_STREQ(file.mode(), "rb+");
    EXPECT_FALSE(file.isEmpty());
    std::uint32_t value = 0;
    EXPECT_TRUE(file.read(value));
    EXPECT_EQ(value, 7u);
    EXPECT_TRUE(file.seekToEnd());
    EXPECT_TRUE(file.write(std::uint32_t{8}));
  }
  EXPECT_EQ(path.bytes(), (Bytes{7, 0, 0, 0, 8, 0, 0, 0}));
}

TEST(RWBinaryFile, AFailedOpenLeavesAFileThatTransfersNothing) {
  const std::string missing =
      (std::filesystem::temp_directory_path() / "zirrow-no-such-directory" / "file").string();
  EXPECT_FALSE(RWBinaryFile::exists(missing.c_str()));
  RWBinaryFile file(missing.c_str(), "rb");
  EXPECT_FALSE(file.isValid());
  std::uint32_t value = 0;
  EXPECT_FALSE(file.read(value));
  EXPECT_FALSE(file.write(value));
  EXPECT_FALSE(file.read(&value, 1));
  EXPECT_FALSE(file.write(&value, 1));
  EXPECT_FALSE(file.writeText("x"));
  EXPECT_FALSE(file.flush());
  EXPECT_FALSE(file.seekTo(0));
  EXPECT_FALSE(file.seekToEnd());
  EXPECT_FALSE(file.eof());
  EXPECT_FALSE(file.error());
  EXPECT_FALSE(file.ensureAvailable(1));
  EXPECT_EQ(file.bytesLeft(), 0u);
  EXPECT_FALSE(file.erase());

  RWBinaryFile withoutMode(missing.c_str());
  EXPECT_FALSE(withoutMode.isValid());
}

TEST(RWBinaryFile, ExistsTellsWhetherTheFileIsThere) {
  TempFile path("exists");
  EXPECT_FALSE(RWBinaryFile::exists(path.c_str()));
  path.write({1});
  EXPECT_TRUE(RWBinaryFile::exists(path.c_str()));
}

TEST(RWBinaryFile, PositioningAndErasing) {
  TempFile path("position");
  RWBinaryFile file(path.c_str(), "wb+");
  ASSERT_TRUE(file.isValid());
  EXPECT_TRUE(file.isEmpty());
  const std::uint8_t bytes[] = {10, 11, 12, 13, 14, 15, 16, 17};
  EXPECT_TRUE(file.write(bytes, 8));
  EXPECT_EQ(file.currentOffset(), 8u);
  EXPECT_FALSE(file.isEmpty());
  EXPECT_EQ(file.currentOffset(), 8u);
  EXPECT_TRUE(file.seekTo(2));
  std::uint8_t value = 0;
  EXPECT_TRUE(file.read(value));
  EXPECT_EQ(value, 12);
  EXPECT_TRUE(file.seekToEnd());
  EXPECT_EQ(file.currentOffset(), 8u);
  EXPECT_TRUE(file.flush());

  EXPECT_TRUE(file.erase());
  EXPECT_TRUE(file.isValid());
  EXPECT_TRUE(file.isEmpty());
  EXPECT_TRUE(path.bytes().empty());
  EXPECT_TRUE(file.write(std::uint8_t{42}));
  EXPECT_TRUE(file.flush());
  EXPECT_EQ(path.bytes(), Bytes{42});
}

TEST(RWBinaryFile, ShortReadsSetEndOfFileAndRememberWhereTheyStarted) {
  TempFile path("short");
  path.write({1, 2, 3});
  RWBinaryFile file(path.c_str(), "rb");
  EXPECT_EQ(file.firstShortRead(), -1);
  std::uint16_t half = 0;
  EXPECT_TRUE(file.read(half));
  std::uint32_t word = 0;
  EXPECT_FALSE(file.read(word));
  EXPECT_TRUE(file.eof());
  EXPECT_EQ(file.firstShortRead(), 2);
  // Later short reads keep the first offset.
  EXPECT_TRUE(file.seekTo(1));
  EXPECT_FALSE(file.read(word));
  EXPECT_EQ(file.firstShortRead(), 2);
}

TEST(RWBinaryFile, EnsureAvailableRefusesCountsBeyondTheEnd) {
  TempFile path("available");
  path.write({1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
  RWBinaryFile file(path.c_str(), "rb");
  EXPECT_EQ(file.bytesLeft(), 10u);
  EXPECT_TRUE(file.ensureAvailable(10));
  EXPECT_EQ(file.currentOffset(), 0u);
  std::uint32_t word = 0;
  EXPECT_TRUE(file.read(word));
  EXPECT_EQ(file.bytesLeft(), 6u);
  EXPECT_TRUE(file.ensureAvailable(6));
  EXPECT_FALSE(file.eof());
  EXPECT_FALSE(file.ensureAvailable(7));
  EXPECT_TRUE(file.eof());
  EXPECT_EQ(file.firstShortRead(), 4);
  EXPECT_EQ(file.currentOffset(), 10u);
  EXPECT_FALSE(file.ensureAvailable(0xFFFFFFFFFFFFull));
}

TEST(RWBinaryFile, BytesLeftFollowsWrites) {
  TempFile path("growing");
  RWBinaryFile file(path.c_str(), "wb+");
  EXPECT_TRUE(file.write(std::uint32_t{1}));
  EXPECT_TRUE(file.seekTo(0));
  EXPECT_EQ(file.bytesLeft(), 4u);
  EXPECT_TRUE(file.seekToEnd());
  EXPECT_TRUE(file.write(std::uint32_t{2}));
  EXPECT_TRUE(file.seekTo(0));
  EXPECT_EQ(file.bytesLeft(), 8u);
  EXPECT_TRUE(file.ensureAvailable(8));
}

TEST(RWBinaryFile, PeekingGivesTheNextTwoBytesWithoutMoving) {
  TempFile path("peek");
  std::vector<unsigned char> bytes(10000);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<unsigned char>(i * 7 + 3);
  path.write(bytes);
  RWBinaryFile file(path.c_str(), "rb");
  // Beyond what the stream buffers at a time, so that the bytes come from a refill.
  std::vector<std::uint8_t> skipped(9000);
  ASSERT_TRUE(file.read(skipped.data(), skipped.size()));
  for (int twice = 0; twice < 2; ++twice) {
    std::uint16_t peeked = 0;
    ASSERT_TRUE(file.peek(peeked));
    EXPECT_EQ(peeked, bytes[9000] | bytes[9001] << 8);
    EXPECT_EQ(file.currentOffset(), 9000u);
  }
  std::uint16_t read = 0;
  ASSERT_TRUE(file.read(read));
  EXPECT_EQ(read, bytes[9000] | bytes[9001] << 8);
  std::uint16_t next = 0;
  ASSERT_TRUE(file.peek(next));
  EXPECT_EQ(next, bytes[9002] | bytes[9003] << 8);
  EXPECT_EQ(file.firstShortRead(), -1);
}

TEST(RWBinaryFile, PeekingNearTheEndFailsWithoutAnyTrace) {
  TempFile path("peek-end");
  path.write({1, 2, 3});
  RWBinaryFile file(path.c_str(), "rb");
  std::uint16_t half = 0;
  ASSERT_TRUE(file.read(half));
  for (const std::uint64_t offset : {2u, 3u}) {
    ASSERT_TRUE(file.seekTo(offset));
    std::uint16_t peeked = 0x5A5A;
    EXPECT_FALSE(file.peek(peeked));
    EXPECT_EQ(peeked, 0x5A5A);
    EXPECT_EQ(file.currentOffset(), offset);
    EXPECT_FALSE(file.eof());
    EXPECT_EQ(file.firstShortRead(), -1);
  }
  ASSERT_TRUE(file.seekTo(2));
  std::uint8_t last = 0;
  ASSERT_TRUE(file.read(last));
  EXPECT_EQ(last, 3);
}

// A file of `count` consecutive 32-bit values 0, 1, 2, ...: far longer than the
// reading buffer, so that reads meet its edges at every alignment.
Bytes countingWords(std::uint32_t count) {
  Bytes bytes;
  for (std::uint32_t i = 0; i < count; ++i) put32(bytes, i);
  return bytes;
}

// Reads the words back one unaligned step at a time: a byte, then words, peeking
// ahead before each, and checks each value.
void expectCountingWords(RWBinaryFile& file, std::uint32_t count) {
  std::uint8_t first = 0;
  ASSERT_TRUE(file.read(first));
  EXPECT_EQ(first, 0);
  for (std::uint32_t i = 0; i + 1 < count; ++i) {
    std::uint16_t peeked = 0;
    ASSERT_TRUE(file.peek(peeked)) << "at word " << i;
    std::uint32_t word = 0;
    ASSERT_TRUE(file.read(word)) << "at word " << i;
    // The word straddles two counted values: three bytes of i, one byte of i + 1.
    const std::uint32_t expected = (i >> 8) | ((i + 1) << 24);
    ASSERT_EQ(word, expected) << "at word " << i;
    ASSERT_EQ(peeked, static_cast<std::uint16_t>(expected));
  }
  EXPECT_EQ(file.currentOffset(), 4u * count - 3);
  EXPECT_FALSE(file.eof());
}

TEST(RWBinaryFileReading, ReadsAcrossTheBufferEdgesAsTheStoredBytesGo) {
  constexpr std::uint32_t count = 70000;  // 280 000 bytes
  TempFile path("long");
  path.write(countingWords(count));
  RWBinaryFile file(path.c_str(), "rb");
  expectCountingWords(file, count);

  // Back to an offset long gone from the buffer, then a bulk read larger than it.
  ASSERT_TRUE(file.seekTo(8));
  std::vector<std::uint32_t> words(count - 2);
  ASSERT_TRUE(file.read(words.data(), words.size()));
  for (std::uint32_t i = 0; i < words.size(); ++i) ASSERT_EQ(words[i], i + 2);
  EXPECT_EQ(file.bytesLeft(), 0u);

  // A bulk read past the end takes what is there and remembers where it started.
  ASSERT_TRUE(file.seekTo(4u * count - 6));
  std::uint32_t tail[2] = {};
  EXPECT_FALSE(file.read(tail, 2));
  EXPECT_TRUE(file.eof());
  EXPECT_EQ(file.firstShortRead(), static_cast<std::int64_t>(4 * count - 6));
  EXPECT_EQ(file.currentOffset(), 4u * count);
  EXPECT_TRUE(file.seekTo(0));
  EXPECT_FALSE(file.eof());
}

TEST(RWBinaryFileReading, BytesInMemoryReadAsTheSameFileOnDisk) {
  constexpr std::uint32_t count = 20000;
  RWBinaryFile memory(countingWords(count), "words");
  EXPECT_TRUE(memory.isValid());
  EXPECT_STREQ(memory.name(), "words");
  EXPECT_EQ(memory.bytesLeft(), 4u * count);
  expectCountingWords(memory, count);

  Bytes text{'a', 'b', 0, 'c'};
  RWBinaryFile texts(text, "text");
  std::string read;
  EXPECT_TRUE(texts.readText(read));
  EXPECT_EQ(read, "ab");
  EXPECT_FALSE(texts.eof());
  EXPECT_TRUE(texts.readText(read));
  EXPECT_EQ(read, "c");
  EXPECT_TRUE(texts.eof());

  // Past the end every read comes up short at the offset sought, as on disk.
  RWBinaryFile shortFile(Bytes{1, 2, 3}, "short");
  EXPECT_TRUE(shortFile.seekTo(10));
  std::uint16_t value = 0;
  EXPECT_FALSE(shortFile.peek(value));
  EXPECT_FALSE(shortFile.eof());
  EXPECT_FALSE(shortFile.read(value));
  EXPECT_TRUE(shortFile.eof());
  EXPECT_EQ(shortFile.firstShortRead(), 10);
  EXPECT_TRUE(shortFile.seekTo(1));
  EXPECT_TRUE(shortFile.read(value));
  EXPECT_EQ(value, 0x0302);
  EXPECT_FALSE(shortFile.ensureAvailable(1));
  EXPECT_TRUE(shortFile.eof());
  EXPECT_FALSE(shortFile.write(value));
  EXPECT_FALSE(shortFile.error());

  RWBinaryFile empty(Bytes{}, "empty");
  EXPECT_TRUE(empty.isEmpty());
  EXPECT_FALSE(empty.read(value));
  EXPECT_TRUE(empty.eof());
  EXPECT_EQ(empty.firstShortRead(), 0);
  shortFile.close();
  EXPECT_FALSE(shortFile.isValid());
  EXPECT_FALSE(shortFile.read(value));
}

// Writes the scalars, an array and a text that the memory and disk tests compare.
void writeMixedRecord(RWBinaryFile& file) {
  EXPECT_TRUE(file.write(std::uint16_t{0x8888}));
  EXPECT_TRUE(file.write(std::int32_t{-7}));
  const float values[] = {1.5f, -0.25f};
  EXPECT_TRUE(file.write(values, 2));
  EXPECT_TRUE(file.write(static_cast<const float*>(nullptr), 0));
  EXPECT_TRUE(file.writeText("name"));
}

TEST(RWBinaryFileWriting, BytesWrittenInMemoryAreThoseOfTheSameFileOnDisk) {
  TempFile path("mixed");
  {
    RWBinaryFile disk(path.c_str(), "wb");
    writeMixedRecord(disk);
  }
  RWBinaryFile memory(RWBinaryFile::MemoryOutput{}, "mixed");
  EXPECT_TRUE(memory.isValid());
  EXPECT_STREQ(memory.name(), "mixed");
  EXPECT_TRUE(memory.isEmpty());
  writeMixedRecord(memory);
  EXPECT_EQ(memory.memoryBytes(), path.bytes());
  EXPECT_EQ(memory.currentOffset(), path.bytes().size());
  EXPECT_FALSE(memory.isEmpty());
  EXPECT_TRUE(memory.flush());
  EXPECT_FALSE(memory.error());

  // What was written can be read back only through a file made from its bytes.
  RWBinaryFile reread(memory.memoryBytes(), "mixed");
  std::uint16_t magic = 0;
  EXPECT_TRUE(reread.read(magic));
  EXPECT_EQ(magic, 0x8888);
}

TEST(RWBinaryFileWriting, AFileWrittenInMemoryCannotBeReadOrPositioned) {
  RWBinaryFile memory(RWBinaryFile::MemoryOutput{}, "out");
  ASSERT_TRUE(memory.write(std::uint32_t{1}));
  std::uint32_t word = 0;
  std::uint16_t half = 0;
  EXPECT_FALSE(memory.peek(half));
  EXPECT_FALSE(memory.read(word));
  EXPECT_TRUE(memory.eof());
  EXPECT_EQ(memory.firstShortRead(), 4);
  EXPECT_FALSE(memory.seekTo(0));
  EXPECT_FALSE(memory.seekToEnd());
  EXPECT_EQ(memory.bytesLeft(), 0u);
  EXPECT_FALSE(memory.ensureAvailable(1));
  std::string text = "left";
  EXPECT_TRUE(memory.readText(text));
  EXPECT_EQ(text, "");
  EXPECT_FALSE(memory.erase());
  EXPECT_EQ(memory.memoryBytes(), (Bytes{1, 0, 0, 0}));
  memory.close();
  EXPECT_FALSE(memory.isValid());
  EXPECT_FALSE(memory.write(std::uint32_t{2}));
}
