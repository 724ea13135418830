#pragma once

#include <cstdint>
#include <string>

// The game's sound effect device. Keys name loaded waves; a key of -1 given to
// flush, pause or restart means every channel. The notification window is the
// window identifier that receives the wave-done message (0 for none).
class SoundDevice {
public:
  virtual ~SoundDevice() = default;

  // 0 on success, 1 when no mixer could be opened.
  virtual int init() = 0;
  virtual int shutdown() = 0;
  // The key, or -1 when the file can't be opened.
  virtual int loadWave(const char* fileName, int key) = 0;
  // Why the last load that gave -1 failed.
  virtual std::string loadError() const = 0;
  // The channel, a negative mixer result when no channel is free, or -1.
  virtual int play(int key, int loops, std::uint32_t notifyWindow) = 0;
  virtual int playAndWait(int key, int loops) = 0;
  virtual void flush(int key) = 0;
  virtual void pause(int key) = 0;
  virtual void restart(int key) = 0;
  virtual int isPlaying(int key) = 0;
};
