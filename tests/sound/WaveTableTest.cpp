#include <gtest/gtest.h>

#include <string>

#include "RWErrors.h"
#include "WaveTable.h"

namespace {

// Wave handles are only compared here, never used, so any distinct addresses do.
char waveStorage[4];
AudioMixer::Wave fakeWave(int n) {
  return reinterpret_cast<AudioMixer::Wave>(&waveStorage[n]);
}

WaveEntry entry(const char* name, int key, int wave, int channel = -1) {
  WaveEntry made;
  made.fileName = name;
  made.key = key;
  made.wave = fakeWave(wave);
  made.channel = channel;
  return made;
}

TEST(WaveEntry, StartsEmptyWithoutChannelOrWave) {
  const WaveEntry fresh;
  EXPECT_EQ(fresh.fileName.length(), 0u);
  EXPECT_EQ(fresh.channel, -1);
  EXPECT_EQ(fresh.wave, nullptr);
}

TEST(WaveEntry, EqualWhenNameKeyAndWaveAgreeWhateverTheChannel) {
  EXPECT_EQ(entry("a.wav", 2, 0, 1), entry("a.wav", 2, 0, 5));
  EXPECT_FALSE(entry("a.wav", 2, 0) == entry("b.wav", 2, 0));
  EXPECT_FALSE(entry("a.wav", 2, 0) == entry("a.wav", 3, 0));
  EXPECT_FALSE(entry("a.wav", 2, 0) == entry("a.wav", 2, 1));
}

TEST(WaveTable, GrowsFromTenToTheCountPlus64) {
  WaveTable table;
  EXPECT_EQ(table.capacity(), 10u);
  for (int i = 0; i < 10; ++i) table.append(entry("a.wav", i, 0));
  EXPECT_EQ(table.capacity(), 10u);
  table.append(entry("a.wav", 10, 0));
  EXPECT_EQ(table.capacity(), 74u);
  while (table.entries() < 74) table.append(entry("a.wav", 0, 0));
  table.append(entry("a.wav", 99, 0));
  EXPECT_EQ(table.capacity(), 138u);
  EXPECT_EQ(table.entries(), 75u);
  EXPECT_EQ(table[0].key, 0);
  EXPECT_EQ(table[10].key, 10);
  EXPECT_EQ(table[74].key, 99);
}

TEST(WaveTable, AppendingAnEntryOfAFullTableToItself) {
  WaveTable table;
  for (int i = 0; i < 10; ++i) table.append(entry("a.wav", i, 0));
  table.append(table[3]);
  EXPECT_EQ(table[10], entry("a.wav", 3, 0));
}

TEST(WaveTable, FindsAndCountsEqualEntries) {
  WaveTable table;
  table.append(entry("a.wav", 2, 0));
  table.append(entry("b.wav", 3, 1));
  table.append(entry("a.wav", 2, 0, 4));
  EXPECT_EQ(table.indexOf(entry("b.wav", 3, 1)), 1);
  EXPECT_EQ(table.indexOf(entry("c.wav", 3, 1)), -1);
  EXPECT_EQ(table.occurrencesOf(entry("a.wav", 2, 0)), 2u);
  EXPECT_EQ(table.occurrencesOf(entry("a.wav", 4, 0)), 0u);
}

TEST(WaveTable, RemoveTakesTheFirstEqualEntry) {
  WaveTable table;
  table.append(entry("a.wav", 2, 0, 1));
  table.append(entry("b.wav", 3, 1));
  table.append(entry("a.wav", 2, 0, 2));
  EXPECT_TRUE(table.remove(entry("a.wav", 2, 0)));
  ASSERT_EQ(table.entries(), 2u);
  EXPECT_EQ(table[0].key, 3);
  EXPECT_EQ(table[1].channel, 2);
  EXPECT_FALSE(table.remove(entry("c.wav", 2, 0)));
  EXPECT_EQ(table.entries(), 2u);
}

TEST(WaveTable, RemoveAllClosesTheGapsInOrder) {
  WaveTable table;
  table.append(entry("a.wav", 2, 0));
  table.append(entry("b.wav", 3, 1));
  table.append(entry("a.wav", 2, 0));
  table.append(entry("c.wav", 4, 2));
  table.append(entry("a.wav", 2, 0));
  EXPECT_EQ(table.removeAll(table[0]), 3u);
  ASSERT_EQ(table.entries(), 2u);
  EXPECT_EQ(table[0].key, 3);
  EXPECT_EQ(table[1].key, 4);
  EXPECT_EQ(table.removeAll(entry("a.wav", 2, 0)), 0u);
}

TEST(WaveTable, AccessAtOrBeyondTheCountRaisesTheBoundsError) {
  WaveTable table;
  EXPECT_THROW(table[0], RWBoundsErr);
  for (int i = 0; i < 3; ++i) table.append(entry("a.wav", i, 0));
  EXPECT_EQ(table[2].key, 2);
  try {
    table[3];
    FAIL() << "index 3 of 3 entries was accepted";
  } catch (const RWBoundsErr& error) {
    EXPECT_EQ(std::string(error.why()),
              "[INDEXERR] Illegal Index (3) for collection or string with 3 elements");
  }
  const WaveTable& constant = table;
  EXPECT_THROW(constant[5], RWBoundsErr);
  EXPECT_THROW(constant[9], RWBoundsErr);  // inside the capacity, beyond the count
}

TEST(WaveTable, CopiesAreIndependent) {
  WaveTable table;
  table.append(entry("a.wav", 2, 0));
  WaveTable copy = table;
  copy.append(entry("b.wav", 3, 1));
  copy[0].channel = 6;
  EXPECT_EQ(table.entries(), 1u);
  EXPECT_EQ(table[0].channel, -1);
  table = copy;
  EXPECT_EQ(table.entries(), 2u);
  EXPECT_EQ(table[0].channel, 6);
}

}  // namespace
