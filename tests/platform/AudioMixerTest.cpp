#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "AudioMixer.h"
#include "NamedPipe.h"
#include "SettingsSandbox.h"

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

TEST(AudioMixer, WavesThatAreNotRegularFilesAreRefusedWithTheReason) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  const SettingsSandbox sandbox;
  const NamedPipe pipe(sandbox.folder() / "Bgun.wav");
  ASSERT_TRUE(pipe.created());
  AudioMixer mixer;
  ASSERT_TRUE(mixer.open());
  for (const std::string& name : {pipe.path(), std::string("/dev/zero"),
                                  std::string("/dev/urandom"), sandbox.folder().string()}) {
    EXPECT_EQ(mixer.loadWave(name.c_str()), nullptr) << name;
    EXPECT_NE(mixer.lastError().find("not a regular file"), std::string::npos)
        << name << ": " << mixer.lastError();
  }
  EXPECT_FALSE(pipe.releasedAReader());
}
