#pragma once

#include <cstdint>
#include <string>

// A gamepad made in software through SDL's virtual joysticks, with a standard layout that
// SDL maps by itself, or none (a plain joystick that needs a mapping). Headless runs
// and tests plug it in and out and move it like a real pad; its rumbles are counted.
class VirtualGamepad {
public:
  enum class Layout { mapped, unmapped };
  enum class Button { a, back, start, dpadUp, dpadDown, dpadLeft, dpadRight };
  enum class Axis { leftX, leftY, rightTrigger };

  // Plugs the pad in; SDL's joystick subsystem runs while it is plugged in.
  explicit VirtualGamepad(Layout layout = Layout::mapped, const char* name = "Zirrow virtual pad");
  ~VirtualGamepad();
  VirtualGamepad(const VirtualGamepad&) = delete;
  VirtualGamepad& operator=(const VirtualGamepad&) = delete;

  // False when SDL could not plug it in; error() then says why.
  bool pluggedIn() const { return deviceIndex_ >= 0; }
  const std::string& error() const { return error_; }
  void unplug();

  // SDL's GUID of the pad, the key of its mapping, as text.
  std::string guid() const;

  // Raw joystick values: axes from -32768 to 32767 (a trigger rests at -32768), buttons
  // 1 or 0. They reach the game when SDL next reads its joysticks.
  void setAxis(Axis axis, std::int16_t value);
  void setButton(Button button, bool pressed);

  int rumbleCount() const { return rumbles_; }

private:
  static int onRumble(void* self, std::uint16_t low, std::uint16_t high);

  int deviceIndex_ = -1;
  void* joystick_ = nullptr;
  bool joystickStarted_ = false;
  int rumbles_ = 0;
  std::string error_;
};
