#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

union SDL_Event;
struct _SDL_GameController;

// What the gamepad in use holds at the moment: the left stick (-32768 to 32767, right and
// down positive), the d-pad, the A button and the right trigger (0 to 32767).
struct GamepadState {
  std::int16_t leftX = 0;
  std::int16_t leftY = 0;
  bool dpadLeft = false;
  bool dpadRight = false;
  bool dpadUp = false;
  bool dpadDown = false;
  bool a = false;
  std::int16_t rightTrigger = 0;
};

// The gamepads of SDL's game controller API: every joystick that SDL's mapping database
// knows, together with the mappings of gamecontrollerdb.txt in the game's configuration
// folder and of SDL_GAMECONTROLLERCONFIG. A pad plugged in takes over at once, also those
// plugged in before the game started; when the pad in use goes, the one plugged in before
// it takes over again, until none is left.
class Gamepads {
public:
  // The largest mapping file read.
  static constexpr std::uintmax_t largestMappingFile = 8 * 1024 * 1024;
  static constexpr const char* mappingFileName = "gamecontrollerdb.txt";

  // What an event did to the pads: one came into use, or the last one went.
  enum class Change { none, attached, detached };
  // What a button press of the pad in use asks the game for.
  enum class Command { none, leave };

  Gamepads() = default;
  ~Gamepads();
  Gamepads(const Gamepads&) = delete;
  Gamepads& operator=(const Gamepads&) = delete;

  // $XDG_CONFIG_HOME/zirrow/gamecontrollerdb.txt, or under ~/.config without it; empty
  // when neither is known.
  static std::string mappingFilePath();

  // Starts SDL's game controller API and adds the mapping file's mappings when the file
  // exists. Empty on success; otherwise what went wrong, and the pads still work with the
  // mappings SDL has. The pads present are reported as attached by the events that follow.
  std::string open();
  void close();
  bool isOpen() const { return open_; }

  // Follows pads plugged in and out; other events change nothing.
  Change handleEvent(const SDL_Event& event);
  // Start or Back on the pad in use leave the game.
  Command commandOf(const SDL_Event& event) const;

  bool inUse() const { return !pads_.empty(); }
  // The pad in use; nothing without one.
  std::optional<GamepadState> state() const;
  // A short rumble of the pad in use; false when there is none or it can't rumble.
  bool rumble() const;

private:
  std::string addMappingFile();
  Change attach(int deviceIndex);
  Change detach(std::int32_t instanceId);
  _SDL_GameController* active() const;

  bool open_ = false;
  std::vector<_SDL_GameController*> pads_;  // in the order they were plugged in
};
