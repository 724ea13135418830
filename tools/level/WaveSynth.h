#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A short mono sound as signed 16-bit samples.
struct WaveSound {
  std::uint32_t sampleRate = 22050;
  std::vector<std::int16_t> samples;
};

// The game's three sound effects, synthesized: the same sound on every run.
class WaveSynth {
public:
  static constexpr std::uint32_t sampleRate = 22050;

  // A sharp crack with a falling thump: a projectile leaves.
  static WaveSound gunShot();
  // A sliding, fading tone: the level is lost.
  static WaveSound failure();
  // A rising arpeggio: the level is won.
  static WaveSound fanfare();

  // The sound as a PCM WAVE file: the RIFF header, the "fmt " chunk and the
  // "data" chunk with the samples little-endian.
  static std::vector<std::uint8_t> encode(const WaveSound& sound);
  // Writes the encoded sound; false when the file can't be written.
  static bool write(const WaveSound& sound, const std::string& path);
};
