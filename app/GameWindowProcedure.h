#pragma once

#include <cstdint>

#include "GlDriver.h"
#include "WindowMessage.h"

class GameSession;
class InputDevices;
class SoundDevice;
class WindowHost;

// The game window's procedure: turns window, keyboard, mouse, joystick and sound
// messages into calls on the game, its input state, the rendering context and the
// sound player, and keeps the window's activation state.
class GameWindowProcedure {
public:
  // What a message handled by the default procedure gives back.
  static constexpr std::int64_t defaultResult = 0;
  static constexpr int joystickThreshold = 999;
  // The button parameter of a button-down report that changes button 1 while no
  // button is held: not a press.
  static constexpr std::uint32_t releasedButtonChange = 0x100;

  // Keys of the sound effects and the files they are loaded from.
  static constexpr int gunKey = 2;
  static constexpr int failKey = 3;
  static constexpr int winKey = 4;
  static constexpr const char* gunSoundFile = "sounds\\Bgun.wav";
  static constexpr const char* failSoundFile = "sounds\\fail.wav";
  static constexpr const char* winSoundFile = "sounds\\winner.wav";
  // The titles of the message boxes that tell the player of a failure.
  static constexpr const char* soundTitle = "Sound";
  static constexpr const char* settingsTitle = "Settings";

  GameWindowProcedure(GameSession& game, SoundDevice& sound, InputDevices& devices,
                      WindowHost& host);

  // The pixel format for the window was set before the window was made; only then
  // does the create message make a rendering context and start the engine.
  void setPixelFormatReady(bool ready) { pixelFormatReady_ = ready; }
  // The configured display mode is in force.
  void setDisplayModeSet(bool set) { displayModeSet_ = set; }
  // The window exists as far as the program knows: set once its creation returned.
  void setWindowOpen(bool open) { windowOpen_ = open; }

  std::int64_t handle(const WindowMessage& message);

  // The main loop's part after each frame: plays the sounds that the frame asked for and
  // rumbles the gamepad when the frame's rockets hit.
  void serveSoundRequests();

  bool displayModeSet() const { return displayModeSet_; }
  // Set once the player has switched between window and full screen.
  bool fullScreenChosen() const { return fullScreenChosen_; }
  bool windowActivated() const { return windowActivated_; }
  GlContextHandle renderingContext() const { return renderingContext_; }

private:
  void create();
  void startDrawing();
  void captureInputDevice();
  void loadSoundEffects();
  void close();
  void updateWindowRect();
  void activate(bool activated);
  void deactivate();
  void reactivate();
  void setFocus();
  void killFocus();
  void paint();
  void keyDown(std::uint32_t virtualKey, std::int64_t keyFlags);
  std::int64_t systemKeyDown(std::uint32_t virtualKey, std::int64_t keyFlags);
  void toggleFullScreen();
  void escape();
  void mouseMove(std::int64_t position);
  void joystickButtonDown(std::uint32_t buttons);

  GameSession& game_;
  SoundDevice& sound_;
  InputDevices& devices_;
  WindowHost& host_;
  GlContextHandle renderingContext_ = nullptr;
  bool pixelFormatReady_ = false;
  bool windowOpen_ = false;
  bool displayModeSet_ = false;
  bool windowActivated_ = false;
  bool firstMouseMove_ = true;
  bool fullScreenChosen_ = false;  // the player switched full screen on or off
  int menuHeight_ = 0;
  int frameWidth_ = 0;
  int frameHeight_ = 0;
};
