#include "WaveSynth.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <numbers>

namespace {

constexpr double twoPi = 2.0 * std::numbers::pi;
constexpr std::uint16_t pcmFormat = 1;
constexpr std::uint16_t channelCount = 1;
constexpr std::uint16_t bitsPerSample = 16;
constexpr std::uint32_t fmtChunkSize = 16;
constexpr std::uint32_t headerBytes = 44;

// A small generator of its own, so that the noise is the same on every run and
// the engine's random sequence is left alone.
class Noise {
public:
  double next() {
    state_ = state_ * 1664525u + 1013904223u;
    return static_cast<double>(state_ >> 8) / static_cast<double>(1u << 24) * 2.0 - 1.0;
  }

private:
  std::uint32_t state_ = 12345;
};

std::size_t sampleCount(double seconds) {
  return static_cast<std::size_t>(seconds * WaveSynth::sampleRate);
}

std::int16_t toSample(double value) {
  return static_cast<std::int16_t>(std::lround(std::clamp(value, -1.0, 1.0) * 32767.0));
}

// Rises over the first `attack` seconds, then decays exponentially.
double envelope(double t, double attack, double decay) {
  const double rise = attack > 0 ? std::min(1.0, t / attack) : 1.0;
  return rise * std::exp(-t / decay);
}

void put16(std::vector<std::uint8_t>& bytes, std::uint16_t value) {
  bytes.push_back(static_cast<std::uint8_t>(value & 0xFF));
  bytes.push_back(static_cast<std::uint8_t>(value >> 8));
}

void put32(std::vector<std::uint8_t>& bytes, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) {
    bytes.push_back(static_cast<std::uint8_t>((value >> shift) & 0xFF));
  }
}

void putTag(std::vector<std::uint8_t>& bytes, const char (&tag)[5]) {
  for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<std::uint8_t>(tag[i]));
}

}  // namespace

WaveSound WaveSynth::gunShot() {
  WaveSound sound;
  Noise noise;
  double phase = 0.0;
  const std::size_t count = sampleCount(0.28);
  for (std::size_t i = 0; i < count; ++i) {
    const double t = static_cast<double>(i) / sampleRate;
    const double frequency = 180.0 * std::exp(-t * 9.0) + 45.0;
    phase += twoPi * frequency / sampleRate;
    const double crack = noise.next() * envelope(t, 0.002, 0.03);
    const double thump = std::sin(phase) * envelope(t, 0.004, 0.09);
    sound.samples.push_back(toSample(0.55 * crack + 0.6 * thump));
  }
  return sound;
}

WaveSound WaveSynth::failure() {
  WaveSound sound;
  double phase = 0.0;
  const std::size_t count = sampleCount(1.1);
  for (std::size_t i = 0; i < count; ++i) {
    const double t = static_cast<double>(i) / sampleRate;
    const double frequency =
        440.0 * std::pow(0.5, t / 0.9) * (1.0 + 0.02 * std::sin(twoPi * 6 * t));
    phase += twoPi * frequency / sampleRate;
    const double tone = std::sin(phase) + 0.3 * std::sin(3.0 * phase);
    sound.samples.push_back(toSample(0.5 * tone * envelope(t, 0.02, 0.6)));
  }
  return sound;
}

WaveSound WaveSynth::fanfare() {
  constexpr double notes[] = {523.25, 659.25, 783.99, 1046.5};
  constexpr double noteLength = 0.16;
  WaveSound sound;
  const std::size_t count = sampleCount(1.3);
  for (std::size_t i = 0; i < count; ++i) {
    const double t = static_cast<double>(i) / sampleRate;
    double value = 0.0;
    for (std::size_t n = 0; n < std::size(notes); ++n) {
      const double start = static_cast<double>(n) * noteLength;
      if (t < start) break;
      const double local = t - start;
      const double decay = n + 1 == std::size(notes) ? 0.45 : 0.2;
      value += std::sin(twoPi * notes[n] * local) * envelope(local, 0.01, decay);
    }
    sound.samples.push_back(toSample(0.4 * value));
  }
  return sound;
}

std::vector<std::uint8_t> WaveSynth::encode(const WaveSound& sound) {
  const std::uint16_t blockAlign = channelCount * bitsPerSample / 8;
  const auto dataBytes = static_cast<std::uint32_t>(sound.samples.size() * blockAlign);
  std::vector<std::uint8_t> bytes;
  bytes.reserve(headerBytes + dataBytes);
  putTag(bytes, "RIFF");
  put32(bytes, headerBytes - 8 + dataBytes);
  putTag(bytes, "WAVE");
  putTag(bytes, "fmt ");
  put32(bytes, fmtChunkSize);
  put16(bytes, pcmFormat);
  put16(bytes, channelCount);
  put32(bytes, sound.sampleRate);
  put32(bytes, sound.sampleRate * blockAlign);
  put16(bytes, blockAlign);
  put16(bytes, bitsPerSample);
  putTag(bytes, "data");
  put32(bytes, dataBytes);
  for (const std::int16_t sample : sound.samples) put16(bytes, static_cast<std::uint16_t>(sample));
  return bytes;
}

bool WaveSynth::write(const WaveSound& sound, const std::string& path) {
  const std::vector<std::uint8_t> bytes = encode(sound);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  out.close();  // a full disk may fail only the last bytes, written on closing
  return !out.fail();
}
