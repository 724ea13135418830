#include "SoundPlayer.h"

#include <chrono>
#include <cstddef>
#include <thread>

SoundPlayer::~SoundPlayer() {
  if (mixer_.isOpen()) shutdown();
}

int SoundPlayer::init() {
  if (mixer_.isOpen()) return 0;
  return mixer_.open() ? 0 : 1;
}

int SoundPlayer::shutdown() {
  if (!mixer_.isOpen()) return 0;
  mixer_.flush(allChannels);
  freeWaves();
  mixer_.close();
  return 0;
}

int SoundPlayer::loadWave(const char* fileName, int key) {
  WaveEntry entry;
  entry.fileName = fileName != nullptr ? fileName : "";
  entry.key = key;
  entry.wave = mixer_.loadWave(fileName);
  if (entry.wave == nullptr) return -1;
  waves_.append(entry);
  return key;
}

int SoundPlayer::play(int key, int loops, std::uint32_t notifyWindow) {
  if (!mixer_.isOpen()) return -1;
  const int index = findPlayable(key);
  if (index == notFound) return -1;
  const int channel = mixer_.findFreeChannel();
  if (channel < 0) return channel;
  WaveEntry& entry = waves_[static_cast<std::size_t>(index)];
  if (!mixer_.play(channel, entry.wave, loops, notifyWindow)) return -1;
  entry.channel = channel;
  return channel;
}

int SoundPlayer::playAndWait(int key, int loops) {
  if (loops < 0) return -1;
  const int channel = play(key, loops, 0);
  if (channel < 0) return channel;
  while (mixer_.isOpen() && !mixer_.isChannelDone(channel)) {
    std::this_thread::sleep_for(std::chrono::milliseconds(waitStepMilliseconds));
  }
  return channel;
}

void SoundPlayer::flush(int key) {
  if (!mixer_.isOpen()) return;
  if (key == allChannels) {
    mixer_.flush(allChannels);
    return;
  }
  const int index = findWithChannel(key);
  if (index == notFound) return;
  WaveEntry& entry = waves_[static_cast<std::size_t>(index)];
  const int channel = liveChannel(entry);
  if (channel >= 0) mixer_.flush(channel);
  entry.channel = -1;
}

void SoundPlayer::pause(int key) {
  if (!mixer_.isOpen()) return;
  if (key == allChannels) {
    mixer_.pause(allChannels);
    return;
  }
  const int index = findKey(key);
  if (index == notFound) return;
  const int channel = liveChannel(waves_[static_cast<std::size_t>(index)]);
  if (channel >= 0) mixer_.pause(channel);
}

void SoundPlayer::restart(int key) {
  if (!mixer_.isOpen()) return;
  if (key == allChannels) {
    mixer_.resume(allChannels);
    return;
  }
  const int index = findKey(key);
  if (index == notFound) return;
  const int channel = liveChannel(waves_[static_cast<std::size_t>(index)]);
  if (channel >= 0) mixer_.resume(channel);
}

int SoundPlayer::isPlaying(int key) {
  const int index = findWithChannel(key);
  if (index == notFound) return 0;
  return liveChannel(waves_[static_cast<std::size_t>(index)]) >= 0 ? 1 : 0;
}

int SoundPlayer::findPlayable(int key) const {
  for (std::size_t i = 0; i < waves_.entries(); ++i) {
    if (waves_[i].key == key && waves_[i].wave != nullptr) return static_cast<int>(i);
  }
  return notFound;
}

int SoundPlayer::findWithChannel(int key) const {
  for (std::size_t i = 0; i < waves_.entries(); ++i) {
    if (waves_[i].key == key && waves_[i].channel != -1) return static_cast<int>(i);
  }
  return notFound;
}

int SoundPlayer::findKey(int key) const {
  for (std::size_t i = 0; i < waves_.entries(); ++i) {
    if (waves_[i].key == key) return static_cast<int>(i);
  }
  return notFound;
}

int SoundPlayer::liveChannel(const WaveEntry& entry) const {
  return mixer_.isPlayingWave(entry.channel, entry.wave) ? entry.channel : -1;
}

void SoundPlayer::freeWaves() {
  for (std::size_t i = 0; i < waves_.entries(); ++i) {
    WaveEntry& entry = waves_[i];
    mixer_.freeWave(entry.wave);
    entry.wave = nullptr;
    entry.channel = -1;
  }
}
