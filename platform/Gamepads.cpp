#include "Gamepads.h"

#include <SDL.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

namespace {

constexpr Uint16 rumbleLowFrequency = 0x6000;
constexpr Uint16 rumbleHighFrequency = 0xC000;
constexpr Uint32 rumbleMilliseconds = 180;

std::string environmentValue(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

std::int32_t instanceOf(SDL_GameController* pad) {
  return SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(pad));
}

}  // namespace

Gamepads::~Gamepads() {
  close();
}

std::string Gamepads::mappingFilePath() {
  // Relative configuration homes are to be ignored.
  if (const std::string config = environmentValue("XDG_CONFIG_HOME");
      !config.empty() && config[0] == '/') {
    return config + "/zirrow/" + mappingFileName;
  }
  if (const std::string home = environmentValue("HOME"); !home.empty()) {
    return home + "/.config/zirrow/" + mappingFileName;
  }
  return {};
}

std::string Gamepads::open() {
  if (open_) return {};
  if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) {
    return std::string("Gamepads can't be used: ") + SDL_GetError();
  }
  open_ = true;
  return addMappingFile();
}

void Gamepads::close() {
  if (!open_) return;
  for (SDL_GameController* pad : pads_) SDL_GameControllerClose(pad);
  pads_.clear();
  SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
  open_ = false;
}

// The file is read whole, and only when it is a regular file of a sensible size: a named
// pipe or a device in its place must not stall the game.
std::string Gamepads::addMappingFile() {
  const std::string path = mappingFilePath();
  if (path.empty()) return {};
  std::error_code error;
  const auto status = std::filesystem::status(path, error);
  if (status.type() == std::filesystem::file_type::not_found) return {};
  const std::string failure = "The gamepad mappings in " + path + " can't be used: ";
  if (error) return failure + error.message();
  if (status.type() != std::filesystem::file_type::regular) return failure + "not a plain file";
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  if (error) return failure + error.message();
  if (size > largestMappingFile) return failure + "the file is larger than 8 MiB";
  std::ifstream in(path, std::ios::binary);
  const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (!in.good() && !in.eof()) return failure + "the file can't be read";
  if (text.empty()) return {};
  SDL_RWops* source = SDL_RWFromConstMem(text.data(), static_cast<int>(text.size()));
  if (!source || SDL_GameControllerAddMappingsFromRW(source, 1) < 0) {
    return failure + SDL_GetError();
  }
  return {};
}

Gamepads::Change Gamepads::handleEvent(const SDL_Event& event) {
  if (!open_) return Change::none;
  switch (event.type) {
    case SDL_CONTROLLERDEVICEADDED:
      return attach(event.cdevice.which);
    case SDL_CONTROLLERDEVICEREMOVED:
      return detach(event.cdevice.which);
    default:
      return Change::none;
  }
}

Gamepads::Command Gamepads::commandOf(const SDL_Event& event) const {
  SDL_GameController* pad = active();
  if (!pad || event.type != SDL_CONTROLLERBUTTONDOWN || event.cbutton.which != instanceOf(pad)) {
    return Command::none;
  }
  const bool leaves = event.cbutton.button == SDL_CONTROLLER_BUTTON_START ||
                      event.cbutton.button == SDL_CONTROLLER_BUTTON_BACK;
  return leaves ? Command::leave : Command::none;
}

Gamepads::Change Gamepads::attach(int deviceIndex) {
  const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(deviceIndex);
  // A pad already open (reported again) stays where it is.
  if (std::any_of(pads_.begin(), pads_.end(),
                  [id](SDL_GameController* pad) { return instanceOf(pad) == id; })) {
    return Change::none;
  }
  SDL_GameController* pad = SDL_GameControllerOpen(deviceIndex);
  if (!pad) return Change::none;
  pads_.push_back(pad);
  return Change::attached;
}

Gamepads::Change Gamepads::detach(std::int32_t instanceId) {
  const auto gone = std::find_if(pads_.begin(), pads_.end(), [instanceId](SDL_GameController* pad) {
    return instanceOf(pad) == instanceId;
  });
  if (gone == pads_.end()) return Change::none;
  SDL_GameControllerClose(*gone);
  pads_.erase(gone);
  return pads_.empty() ? Change::detached : Change::none;
}

SDL_GameController* Gamepads::active() const {
  return pads_.empty() ? nullptr : pads_.back();
}

std::optional<GamepadState> Gamepads::state() const {
  SDL_GameController* pad = active();
  if (!pad) return std::nullopt;
  const auto button = [pad](SDL_GameControllerButton which) {
    return SDL_GameControllerGetButton(pad, which) != 0;
  };
  GamepadState state;
  state.leftX = SDL_GameControllerGetAxis(pad, SDL_CONTROLLER_AXIS_LEFTX);
  state.leftY = SDL_GameControllerGetAxis(pad, SDL_CONTROLLER_AXIS_LEFTY);
  state.dpadLeft = button(SDL_CONTROLLER_BUTTON_DPAD_LEFT);
  state.dpadRight = button(SDL_CONTROLLER_BUTTON_DPAD_RIGHT);
  state.dpadUp = button(SDL_CONTROLLER_BUTTON_DPAD_UP);
  state.dpadDown = button(SDL_CONTROLLER_BUTTON_DPAD_DOWN);
  state.a = button(SDL_CONTROLLER_BUTTON_A);
  state.rightTrigger = SDL_GameControllerGetAxis(pad, SDL_CONTROLLER_AXIS_TRIGGERRIGHT);
  return state;
}

bool Gamepads::rumble() const {
  SDL_GameController* pad = active();
  if (!pad || !SDL_GameControllerHasRumble(pad)) return false;
  return SDL_GameControllerRumble(pad, rumbleLowFrequency, rumbleHighFrequency,
                                  rumbleMilliseconds) == 0;
}
