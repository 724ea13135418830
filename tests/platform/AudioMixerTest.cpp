#include <gtest/gtest.h>

#include <cstdlib>

#include "AudioMixer.h"

TEST(AudioMixer, AClosedMixerRefusesEverythingSafely) {
  AudioMixer mixer;
  EXPECT_FALSE(mixer.isOpen());
  EXPECT_EQ(mixer.loadWave("sounds\\Bgun.wav"), nullptr);
  EXPECT_EQ(mixer.findFreeChannel(), -1);
  EXPECT_TRUE(mixer.isChannelDone(0));
  mixer.flush(-1);
  mixer.pause(0);
  mixer.resume(-1);
  mixer.freeWave(nullptr);
  mixer.close();
}

TEST(AudioMixer, ChannelNumbersOutsideTheEightAreIgnored) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  AudioMixer mixer;
  ASSERT_TRUE(mixer.open());
  EXPECT_EQ(mixer.findFreeChannel(), 0);
  EXPECT_FALSE(mixer.play(AudioMixer::channelCount, nullptr, 0, 0));
  EXPECT_TRUE(mixer.isChannelDone(AudioMixer::channelCount));
  EXPECT_TRUE(mixer.isChannelDone(-2));
  mixer.pause(-2);
  mixer.flush(AudioMixer::channelCount);
  EXPECT_EQ(mixer.findFreeChannel(), 0);
}

TEST(AudioMixer, OpeningFailsWithoutAnAudioDriver) {
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  AudioMixer mixer;
  EXPECT_FALSE(mixer.open());
  EXPECT_FALSE(mixer.isOpen());
}
