#include "AudioMixer.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <array>
#include <atomic>
#include <cstdio>
#include <string>

#include "FileNames.h"
#include "RegularFile.h"

static_assert(waveDoneEventType >= SDL_USEREVENT && waveDoneEventType < SDL_LASTEVENT);

namespace {

constexpr int sampleRate = 44100;
constexpr int outputChannels = 2;
constexpr int chunkBytes = 1024;

// SDL2_mixer's finish callback carries no user data, so the notification window of
// each channel lives here. The callback runs on the audio thread, hence atomics.
std::array<std::atomic<std::uint32_t>, AudioMixer::channelCount> notifyWindows{};
std::atomic<bool> anyMixerOpen{false};

void announceWaveDone(int channel) {
  if (channel < 0 || channel >= AudioMixer::channelCount) return;
  const std::uint32_t window = notifyWindows[channel].exchange(0);
  if (window == 0) return;
  SDL_Event event{};
  event.type = waveDoneEventType;
  event.user.windowID = window;
  event.user.code = channel;
  SDL_PushEvent(&event);
}

void clearNotifyWindows() {
  for (auto& window : notifyWindows) window = 0;
}

constexpr Uint32 audioSubsystems = SDL_INIT_AUDIO | SDL_INIT_EVENTS;

// SDL2_mixer marks a paused channel with the tick count of the pause, and a mark of
// 0 reads as "not paused". A pause within SDL's first millisecond would be lost.
void waitForFirstTick() {
  while (SDL_GetTicks() == 0) SDL_Delay(1);
}

}  // namespace

AudioMixer::~AudioMixer() {
  close();
}

bool AudioMixer::open() {
  if (open_ || anyMixerOpen.exchange(true)) return false;
  if (SDL_InitSubSystem(audioSubsystems) != 0) {
    anyMixerOpen = false;
    return false;
  }
  if (Mix_OpenAudio(sampleRate, MIX_DEFAULT_FORMAT, outputChannels, chunkBytes) != 0) {
    SDL_QuitSubSystem(audioSubsystems);
    anyMixerOpen = false;
    return false;
  }
  Mix_AllocateChannels(channelCount);
  clearNotifyWindows();
  Mix_ChannelFinished(announceWaveDone);
  open_ = true;
  return true;
}

void AudioMixer::close() {
  if (!open_) return;
  Mix_HaltChannel(-1);
  Mix_ChannelFinished(nullptr);
  Mix_CloseAudio();
  SDL_QuitSubSystem(audioSubsystems);
  clearNotifyWindows();
  open_ = false;
  anyMixerOpen = false;
}

AudioMixer::Wave AudioMixer::loadWave(const char* programFileName) {
  if (!open_ || programFileName == nullptr) return nullptr;
  const std::string name = nativeFileName(programFileName);
  std::string whyNot;
  std::FILE* stream = openRegularFile(name, whyNot);
  if (stream == nullptr) {
    SDL_SetError("Couldn't open %s: %s", name.c_str(), whyNot.c_str());
    return nullptr;
  }
  SDL_RWops* source = SDL_RWFromFP(stream, SDL_TRUE);
  if (source == nullptr) {
    std::fclose(stream);
    return nullptr;
  }
  return Mix_LoadWAV_RW(source, 1);
}

std::string AudioMixer::lastError() const {
  return open_ ? SDL_GetError() : "no sound device is open";
}

void AudioMixer::freeWave(Wave wave) {
  if (wave != nullptr) Mix_FreeChunk(wave);
}

int AudioMixer::findFreeChannel() const {
  return open_ ? Mix_GroupAvailable(-1) : -1;
}

bool AudioMixer::play(int channel, Wave wave, int loops, std::uint32_t notifyWindow) {
  if (!isChannel(channel) || wave == nullptr) return false;
  notifyWindows[channel] = notifyWindow;
  if (Mix_PlayChannel(channel, wave, loops) == channel) return true;
  notifyWindows[channel] = 0;
  return false;
}

bool AudioMixer::isChannelDone(int channel) const {
  return !isChannel(channel) || Mix_Playing(channel) == 0;
}

bool AudioMixer::isPlayingWave(int channel, Wave wave) const {
  return wave != nullptr && !isChannelDone(channel) && Mix_GetChunk(channel) == wave;
}

void AudioMixer::flush(int channel) {
  if (isChannelOrAll(channel)) Mix_HaltChannel(channel);
}

void AudioMixer::pause(int channel) {
  if (!isChannelOrAll(channel)) return;
  waitForFirstTick();
  Mix_Pause(channel);
}

void AudioMixer::resume(int channel) {
  if (isChannelOrAll(channel)) Mix_Resume(channel);
}
