#pragma once

#include <cstdint>
#include <vector>

// The bytes of a mono 16-bit PCM WAV file at 22050 Hz holding a square wave of
// the given number of samples.
inline std::vector<unsigned char> pcmWaveBytes(std::uint32_t samples) {
  constexpr std::uint32_t rate = 22050;
  constexpr std::uint16_t bytesPerSample = 2;
  const std::uint32_t dataBytes = samples * bytesPerSample;
  std::vector<unsigned char> bytes;
  auto put32 = [&bytes](std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) bytes.push_back((value >> shift) & 0xFF);
  };
  auto put16 = [&bytes](std::uint16_t value) {
    bytes.push_back(value & 0xFF);
    bytes.push_back(value >> 8);
  };
  auto putTag = [&bytes](const char* tag) {
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<unsigned char>(tag[i]));
  };
  putTag("RIFF");
  put32(36 + dataBytes);
  putTag("WAVE");
  putTag("fmt ");
  put32(16);
  put16(1);  // PCM
  put16(1);  // mono
  put32(rate);
  put32(rate * bytesPerSample);
  put16(bytesPerSample);
  put16(16);
  putTag("data");
  put32(dataBytes);
  for (std::uint32_t i = 0; i < samples; ++i) put16((i / 25) % 2 ? 0x2000 : 0xE000);
  return bytes;
}
