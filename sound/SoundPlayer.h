#pragma once

#include <cstdint>

#include "AudioMixer.h"
#include "SoundDevice.h"
#include "WaveTable.h"

// The game's sound effects over the platform mixer: eight channels, waves loaded
// under integer keys, each play on a free channel. Without a mixer (no audio
// device) every operation does nothing, play returns -1 and the game runs silently.
class SoundPlayer : public SoundDevice {
public:
  static constexpr int waitStepMilliseconds = 100;

  SoundPlayer() = default;
  // Releases the waves and the device when shutdown was never called.
  ~SoundPlayer() override;
  SoundPlayer(const SoundPlayer&) = delete;
  SoundPlayer& operator=(const SoundPlayer&) = delete;

  int init() override;
  int shutdown() override;
  int loadWave(const char* fileName, int key) override;
  std::string loadError() const override { return mixer_.lastError(); }
  int play(int key, int loops, std::uint32_t notifyWindow) override;
  // Never waits on a wave that loops forever: such a request plays nothing, -1.
  int playAndWait(int key, int loops) override;
  void flush(int key) override;
  void pause(int key) override;
  void restart(int key) override;
  // 1 while the key's last play is still going (paused counts as going).
  int isPlaying(int key) override;

  const WaveTable& waves() const { return waves_; }
  bool hasMixer() const { return mixer_.isOpen(); }

private:
  static constexpr int allChannels = -1;
  static constexpr int notFound = -1;

  int findPlayable(int key) const;
  int findWithChannel(int key) const;
  int findKey(int key) const;
  // The entry's channel, if the channel still carries the entry's wave; else -1.
  int liveChannel(const WaveEntry& entry) const;
  void freeWaves();

  AudioMixer mixer_;
  WaveTable waves_;
};
