#include <SDL.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <optional>
#include <string>
#include <thread>

#include "RWErrors.h"
#include "SoundPlayer.h"
#include "TempFile.h"
#include "WaveFile.h"

namespace {

using namespace std::chrono_literals;

constexpr int gunKey = 2;
constexpr int failKey = 3;
constexpr std::uint32_t shortSamples = 400;    // about 18 ms
constexpr std::uint32_t mediumSamples = 5512;  // a quarter second
constexpr std::uint32_t longSamples = 22050;   // one second

// The next completion notice within the time limit, if one arrives.
std::optional<SDL_UserEvent> waitForWaveDone(std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  do {
    SDL_Event event;
    while (SDL_PollEvent(&event) != 0) {
      if (event.type == waveDoneEventType) return event.user;
    }
    std::this_thread::sleep_for(5ms);
  } while (std::chrono::steady_clock::now() < deadline);
  return std::nullopt;
}

bool waitUntilSilent(SoundPlayer& player, int key, std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (player.isPlaying(key) != 0) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(5ms);
  }
  return true;
}

class SoundPlayerTest : public ::testing::Test {
protected:
  void SetUp() override {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    shortWave.write(pcmWaveBytes(shortSamples));
    mediumWave.write(pcmWaveBytes(mediumSamples));
    longWave.write(pcmWaveBytes(longSamples));
    ASSERT_EQ(player.init(), 0);
  }
  void TearDown() override { EXPECT_EQ(player.shutdown(), 0); }

  TempFile shortWave{"short.wav"};
  TempFile mediumWave{"medium.wav"};
  TempFile longWave{"long.wav"};
  SoundPlayer player;
};

TEST_F(SoundPlayerTest, LoadsWavesUnderTheirKeys) {
  EXPECT_TRUE(player.hasMixer());
  EXPECT_EQ(player.loadWave(shortWave.c_str(), gunKey), gunKey);
  ASSERT_EQ(player.waves().entries(), 1u);
  const WaveEntry& entry = player.waves()[0];
  EXPECT_EQ(entry.fileName, shortWave.c_str());
  EXPECT_EQ(entry.key, gunKey);
  EXPECT_EQ(entry.channel, -1);
  EXPECT_NE(entry.wave, nullptr);
}

TEST_F(SoundPlayerTest, AMissingOrBrokenFileLoadsNothing) {
  TempFile notAWave{"broken.wav"};
  notAWave.write({'R', 'I', 'F', 'F', 1, 2, 3});
  EXPECT_EQ(player.loadWave("no-such-directory/missing.wav", gunKey), -1);
  EXPECT_EQ(player.loadWave(notAWave.c_str(), failKey), -1);
  EXPECT_EQ(player.waves().entries(), 0u);
  EXPECT_EQ(player.play(gunKey, 0, 0), -1);
}

TEST_F(SoundPlayerTest, LoadsNamesWrittenWithBackslashes) {
  const std::string name =
      shortWave.path().parent_path().string() + "\\" + shortWave.path().filename().string();
  EXPECT_EQ(player.loadWave(name.c_str(), gunKey), gunKey);
  EXPECT_EQ(player.waves()[0].fileName, name.c_str());
}

TEST_F(SoundPlayerTest, PlayNotifiesTheWindowWhenTheWaveEnds) {
  ASSERT_EQ(player.loadWave(shortWave.c_str(), failKey), failKey);
  const int channel = player.play(failKey, 0, 42);
  ASSERT_EQ(channel, 0);
  EXPECT_EQ(player.waves()[0].channel, channel);
  const auto notice = waitForWaveDone(5s);
  ASSERT_TRUE(notice.has_value());
  EXPECT_EQ(notice->windowID, 42u);
  EXPECT_EQ(notice->code, channel);
  EXPECT_EQ(player.isPlaying(failKey), 0);
}

TEST_F(SoundPlayerTest, PlayWithoutATargetSendsNoNotice) {
  ASSERT_EQ(player.loadWave(shortWave.c_str(), gunKey), gunKey);
  ASSERT_EQ(player.play(gunKey, 0, 0), 0);
  ASSERT_TRUE(waitUntilSilent(player, gunKey, 5s));
  EXPECT_FALSE(waitForWaveDone(100ms).has_value());
}

TEST_F(SoundPlayerTest, UnknownKeysPlayNothing) {
  ASSERT_EQ(player.loadWave(shortWave.c_str(), gunKey), gunKey);
  EXPECT_EQ(player.play(failKey, 0, 0), -1);
  EXPECT_EQ(player.isPlaying(failKey), 0);
}

TEST_F(SoundPlayerTest, EachPlayTakesAFreeChannelUntilAllEightAreBusy) {
  ASSERT_EQ(player.loadWave(longWave.c_str(), gunKey), gunKey);
  for (int expected = 0; expected < AudioMixer::channelCount; ++expected) {
    EXPECT_EQ(player.play(gunKey, 0, 0), expected);
  }
  EXPECT_LT(player.play(gunKey, 0, 0), 0);
  EXPECT_EQ(player.waves()[0].channel, AudioMixer::channelCount - 1);
}

TEST_F(SoundPlayerTest, PauseHoldsEveryChannelUntilRestart) {
  ASSERT_EQ(player.loadWave(mediumWave.c_str(), gunKey), gunKey);
  ASSERT_EQ(player.play(gunKey, 0, 0), 0);
  player.pause(-1);
  std::this_thread::sleep_for(500ms);
  EXPECT_EQ(player.isPlaying(gunKey), 1);
  player.restart(-1);
  EXPECT_TRUE(waitUntilSilent(player, gunKey, 5s));
}

TEST_F(SoundPlayerTest, PauseAndRestartByKeyTouchOnlyThatKeysChannel) {
  ASSERT_EQ(player.loadWave(mediumWave.c_str(), gunKey), gunKey);
  ASSERT_EQ(player.loadWave(mediumWave.c_str(), failKey), failKey);
  ASSERT_EQ(player.play(gunKey, 0, 0), 0);
  player.pause(gunKey);
  ASSERT_EQ(player.play(failKey, 0, 0), 1);
  EXPECT_TRUE(waitUntilSilent(player, failKey, 5s));
  std::this_thread::sleep_for(300ms);
  EXPECT_EQ(player.isPlaying(gunKey), 1);
  player.restart(gunKey);
  EXPECT_TRUE(waitUntilSilent(player, gunKey, 5s));
}

TEST_F(SoundPlayerTest, FlushStopsTheKeysChannel) {
  ASSERT_EQ(player.loadWave(longWave.c_str(), gunKey), gunKey);
  ASSERT_EQ(player.loadWave(longWave.c_str(), failKey), failKey);
  ASSERT_EQ(player.play(gunKey, 0, 7), 0);
  ASSERT_EQ(player.play(failKey, 0, 0), 1);
  player.flush(gunKey);
  EXPECT_EQ(player.isPlaying(gunKey), 0);
  EXPECT_EQ(player.waves()[0].channel, -1);
  EXPECT_EQ(player.isPlaying(failKey), 1);
  const auto notice = waitForWaveDone(1s);
  ASSERT_TRUE(notice.has_value());
  EXPECT_EQ(notice->windowID, 7u);
  player.flush(-1);
  EXPECT_EQ(player.isPlaying(failKey), 0);
}

TEST_F(SoundPlayerTest, FlushLeavesAChannelThatMovedOnToAnotherWave) {
  ASSERT_EQ(player.loadWave(shortWave.c_str(), gunKey), gunKey);
  ASSERT_EQ(player.loadWave(longWave.c_str(), failKey), failKey);
  ASSERT_EQ(player.play(gunKey, 0, 0), 0);
  ASSERT_TRUE(waitUntilSilent(player, gunKey, 5s));
  ASSERT_EQ(player.play(failKey, 0, 0), 0);
  player.flush(gunKey);
  EXPECT_EQ(player.isPlaying(failKey), 1);
}

TEST_F(SoundPlayerTest, PlayAndWaitReturnsWhenTheWaveHasEnded) {
  ASSERT_EQ(player.loadWave(shortWave.c_str(), gunKey), gunKey);
  EXPECT_EQ(player.playAndWait(gunKey, 1), 0);
  EXPECT_EQ(player.isPlaying(gunKey), 0);
  EXPECT_EQ(player.playAndWait(gunKey, -1), -1);
  EXPECT_EQ(player.isPlaying(gunKey), 0);
}

TEST_F(SoundPlayerTest, ShutdownFreesTheWavesButKeepsTheEntries) {
  ASSERT_EQ(player.loadWave(longWave.c_str(), gunKey), gunKey);
  ASSERT_EQ(player.play(gunKey, 0, 0), 0);
  EXPECT_EQ(player.shutdown(), 0);
  EXPECT_FALSE(player.hasMixer());
  ASSERT_EQ(player.waves().entries(), 1u);
  EXPECT_EQ(player.waves()[0].wave, nullptr);
  EXPECT_EQ(player.play(gunKey, 0, 0), -1);
  EXPECT_EQ(player.isPlaying(gunKey), 0);

  ASSERT_EQ(player.init(), 0);
  ASSERT_EQ(player.loadWave(shortWave.c_str(), gunKey), gunKey);
  EXPECT_EQ(player.play(gunKey, 0, 0), 0);
}

TEST(SoundPlayerWithoutDevice, RunsSilentlyWhenNoMixerOpens) {
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  TempFile wave{"short.wav"};
  wave.write(pcmWaveBytes(shortSamples));
  SoundPlayer player;
  EXPECT_EQ(player.init(), 1);
  EXPECT_FALSE(player.hasMixer());
  EXPECT_EQ(player.loadWave(wave.c_str(), gunKey), -1);
  EXPECT_EQ(player.play(gunKey, 0, 1), -1);
  EXPECT_EQ(player.playAndWait(gunKey, 0), -1);
  player.flush(gunKey);
  player.flush(-1);
  player.pause(-1);
  player.restart(gunKey);
  EXPECT_EQ(player.isPlaying(gunKey), 0);
  EXPECT_EQ(player.shutdown(), 0);
  EXPECT_EQ(player.waves().entries(), 0u);
}

TEST(SoundPlayerOwnership, OnlyOnePlayerHoldsTheMixer) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  SoundPlayer first;
  SoundPlayer second;
  ASSERT_EQ(first.init(), 0);
  EXPECT_EQ(second.init(), 1);
  EXPECT_EQ(first.shutdown(), 0);
  EXPECT_EQ(second.init(), 0);
}

}  // namespace
