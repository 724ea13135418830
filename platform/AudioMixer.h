#pragma once

#include <cstdint>
#include <string>

struct Mix_Chunk;

// The SDL event type of the completion notice: when a wave that was played with a
// notification window finishes (or its channel is stopped), the mixer pushes one
// SDL user event of this type, with user.windowID the notification window and
// user.code the channel. The window procedure turns it into the wave-done message.
inline constexpr std::uint32_t waveDoneEventType = 0x8000 + 0x57;  // SDL_USEREVENT + 0x57

// The sound mixer over SDL2_mixer: one audio device with eight channels, waves
// loaded from files, play with a completion notice, flush, pause, resume and free.
// SDL2_mixer is one per process, so only one AudioMixer can be open at a time.
class AudioMixer {
public:
  using Wave = Mix_Chunk*;
  static constexpr int channelCount = 8;

  AudioMixer() = default;
  ~AudioMixer();
  AudioMixer(const AudioMixer&) = delete;
  AudioMixer& operator=(const AudioMixer&) = delete;

  // Opens the audio device (SDL_AUDIODRIVER chooses the driver) and allocates the
  // channels. False when there is no device or another mixer is open.
  bool open();
  // Stops every channel and closes the device; nothing when not open.
  void close();
  bool isOpen() const { return open_; }

  // Loads a WAV file named as the program builds names ('\' separators allowed);
  // nullptr when the mixer is closed or the file can't be opened or decoded, or is
  // not a regular file (a named pipe or a device would block or read without end),
  // with SDL's error saying why.
  Wave loadWave(const char* programFileName);
  // What SDL said of the last failure.
  std::string lastError() const;
  void freeWave(Wave wave);

  // The lowest channel that plays nothing, or -1 when all are busy or the mixer is closed.
  int findFreeChannel() const;
  // Plays the wave once plus loops repeats (-1: forever) on the channel. A non-zero
  // notifyWindow receives the completion notice. False when the wave can't start.
  bool play(int channel, Wave wave, int loops, std::uint32_t notifyWindow);
  // True when the channel plays nothing (a paused channel is not done).
  bool isChannelDone(int channel) const;
  // True when the channel is still busy with this very wave.
  bool isPlayingWave(int channel, Wave wave) const;

  // Each of these takes a channel number or -1 for every channel.
  void flush(int channel);
  void pause(int channel);
  void resume(int channel);

private:
  bool isChannel(int channel) const { return open_ && channel >= 0 && channel < channelCount; }
  bool isChannelOrAll(int channel) const { return channel == -1 ? open_ : isChannel(channel); }

  bool open_ = false;
};
