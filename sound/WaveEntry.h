#pragma once

#include <cstdint>

#include "AudioMixer.h"
#include "RWCString.h"

// One loaded wave: the file it came from, the key it is played by, the channel it
// last played on (-1: none) and the mixer's wave (nullptr: none).
struct WaveEntry {
  RWCString fileName;
  std::int32_t key = 0;
  std::int32_t channel = -1;
  AudioMixer::Wave wave = nullptr;

  // The channel does not take part: it changes with every play.
  bool operator==(const WaveEntry& other) const {
    return fileName == other.fileName && key == other.key && wave == other.wave;
  }
};
