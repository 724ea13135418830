#include <gtest/gtest.h>

#include <SDL.h>

#include <vector>

#include "AudioMixer.h"
#include "Gamepads.h"
#include "InputDevices.h"
#include "Joystick.h"
#include "VirtualGamepad.h"
#include "WindowEventTranslator.h"

namespace {

constexpr std::uint32_t ownWindow = 7;
constexpr std::uint32_t otherWindow = 8;

SDL_Event windowEvent(SDL_WindowEventID id, int data1 = 0, int data2 = 0,
                      std::uint32_t window = ownWindow) {
  SDL_Event event{};
  event.type = SDL_WINDOWEVENT;
  event.window.windowID = window;
  event.window.event = static_cast<Uint8>(id);
  event.window.data1 = data1;
  event.window.data2 = data2;
  return event;
}

SDL_Event keyDown(SDL_Keycode key, bool repeat = false, std::uint32_t window = ownWindow) {
  SDL_Event event{};
  event.type = SDL_KEYDOWN;
  event.key.windowID = window;
  event.key.state = SDL_PRESSED;
  event.key.repeat = repeat ? 1 : 0;
  event.key.keysym.sym = key;
  return event;
}

SDL_Event mouseMotion(int x, int y, std::uint32_t window = ownWindow) {
  SDL_Event event{};
  event.type = SDL_MOUSEMOTION;
  event.motion.windowID = window;
  event.motion.x = x;
  event.motion.y = y;
  return event;
}

SDL_Event mouseButton(bool down, Uint8 button, std::uint32_t window = ownWindow) {
  SDL_Event event{};
  event.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
  event.button.windowID = window;
  event.button.button = button;
  event.button.state = down ? SDL_PRESSED : SDL_RELEASED;
  return event;
}

SDL_Event waveDone(int channel, std::uint32_t window = ownWindow) {
  SDL_Event event{};
  event.type = waveDoneEventType;
  event.user.windowID = window;
  event.user.code = channel;
  return event;
}

SDL_Event ofType(Uint32 type) {
  SDL_Event event{};
  event.type = type;
  return event;
}

std::vector<std::uint32_t> valuesOf(const std::vector<WindowMessage>& messages) {
  std::vector<std::uint32_t> values;
  for (const WindowMessage& message : messages) values.push_back(message.message);
  return values;
}

class WindowEventTranslatorTest : public testing::Test {
protected:
  WindowEventTranslatorTest() { translator_.setWindowId(ownWindow); }

  std::vector<WindowMessage> translate(const SDL_Event& event) {
    return translator_.translate(event);
  }
  // The one message the event gives.
  WindowMessage only(const SDL_Event& event) {
    const auto messages = translate(event);
    EXPECT_EQ(messages.size(), 1u);
    return messages.empty() ? WindowMessage{} : messages.front();
  }

  WindowEventTranslator translator_;
};

namespace msg = WindowMessages;

TEST_F(WindowEventTranslatorTest, FocusChangesActivateAndDeactivateOnce) {
  auto messages = translate(windowEvent(SDL_WINDOWEVENT_FOCUS_GAINED));
  EXPECT_EQ(valuesOf(messages), (std::vector<std::uint32_t>{msg::activate, msg::setFocus}));
  EXPECT_EQ(messages[0].wParam, 1u);
  EXPECT_TRUE(translate(windowEvent(SDL_WINDOWEVENT_FOCUS_GAINED)).empty());

  messages = translate(windowEvent(SDL_WINDOWEVENT_FOCUS_LOST));
  EXPECT_EQ(valuesOf(messages), (std::vector<std::uint32_t>{msg::activate, msg::killFocus}));
  EXPECT_EQ(messages[0].wParam, 0u);
  EXPECT_TRUE(translate(windowEvent(SDL_WINDOWEVENT_FOCUS_LOST)).empty());
}

TEST_F(WindowEventTranslatorTest, MinimisingDeactivatesBeforeTheFocusGoes) {
  translate(windowEvent(SDL_WINDOWEVENT_FOCUS_GAINED));
  const WindowMessage minimised = only(windowEvent(SDL_WINDOWEVENT_MINIMIZED));
  EXPECT_EQ(minimised.message, msg::activate);
  EXPECT_EQ(minimised.wParam, 0u);
  EXPECT_EQ(only(windowEvent(SDL_WINDOWEVENT_FOCUS_LOST)).message, msg::killFocus);
  EXPECT_TRUE(translate(windowEvent(SDL_WINDOWEVENT_MINIMIZED)).empty());

  EXPECT_TRUE(translate(windowEvent(SDL_WINDOWEVENT_RESTORED)).empty());
  EXPECT_EQ(valuesOf(translate(windowEvent(SDL_WINDOWEVENT_FOCUS_GAINED))),
            (std::vector<std::uint32_t>{msg::activate, msg::setFocus}));
}

TEST_F(WindowEventTranslatorTest, GeometryPaintAndCloseEvents) {
  WindowMessage message = only(windowEvent(SDL_WINDOWEVENT_SIZE_CHANGED, 800, 600));
  EXPECT_EQ(message.message, msg::size);
  EXPECT_EQ(lowWord(message.lParam), 800);
  EXPECT_EQ(highWord(message.lParam), 600);

  message = only(windowEvent(SDL_WINDOWEVENT_MOVED, 30, 40));
  EXPECT_EQ(message.message, msg::move);
  EXPECT_EQ(message.lParam, makeLParam(30, 40));

  EXPECT_EQ(only(windowEvent(SDL_WINDOWEVENT_EXPOSED)).message, msg::paint);
  EXPECT_EQ(only(windowEvent(SDL_WINDOWEVENT_CLOSE)).message, msg::close);
  EXPECT_TRUE(translate(windowEvent(SDL_WINDOWEVENT_RESIZED, 1, 1)).empty());
  EXPECT_TRUE(translate(windowEvent(SDL_WINDOWEVENT_SHOWN)).empty());
}

TEST_F(WindowEventTranslatorTest, ClosingTheWindowAndTheQuitItCausesAreOneCloseRequest) {
  EXPECT_EQ(only(windowEvent(SDL_WINDOWEVENT_CLOSE)).message, msg::close);
  EXPECT_TRUE(translate(ofType(SDL_QUIT)).empty());
  // A quit of its own, such as an interrupt signal, asks the window to close.
  EXPECT_EQ(only(ofType(SDL_QUIT)).message, msg::close);
  EXPECT_EQ(only(ofType(SDL_QUIT)).message, msg::close);
}

TEST_F(WindowEventTranslatorTest, KeysGiveTheirVirtualKeyCodes) {
  const std::vector<std::pair<SDL_Keycode, std::uint32_t>> keys = {
      {SDLK_ESCAPE, VirtualKeys::escape},
      {SDLK_F1, VirtualKeys::f1},
      {SDLK_F2, VirtualKeys::f2},
      {SDLK_F3, VirtualKeys::f3},
      {SDLK_F4, VirtualKeys::f4},
      {SDLK_F5, VirtualKeys::f5},
      {SDLK_F12, 123},
      {SDLK_LEFT, VirtualKey::left},
      {SDLK_UP, VirtualKey::up},
      {SDLK_RIGHT, VirtualKey::right},
      {SDLK_DOWN, VirtualKey::down},
      {SDLK_SPACE, VirtualKey::space},
      {SDLK_a, 'A'},
      {SDLK_z, 'Z'},
      {SDLK_0, '0'},
      {SDLK_9, '9'},
      {SDLK_RETURN, 0x0D},
  };
  for (const auto& [key, virtualKey] : keys) {
    SCOPED_TRACE(key);
    const WindowMessage message = only(keyDown(key));
    EXPECT_EQ(message.message, WindowMessages::keyDown);
    EXPECT_EQ(message.wParam, virtualKey);
  }
}

TEST_F(WindowEventTranslatorTest, KeysWithAltAreSystemKeysAndRepeatsCarryTheRepeatFlag) {
  SDL_Event altEnter = keyDown(SDLK_RETURN);
  altEnter.key.keysym.mod = KMOD_LALT;
  WindowMessage message = only(altEnter);
  EXPECT_EQ(message.message, WindowMessages::systemKeyDown);
  EXPECT_EQ(message.wParam, VirtualKeys::enter);
  EXPECT_EQ(message.lParam & keyRepeatFlag, 0);
  altEnter.key.repeat = 1;
  EXPECT_NE(only(altEnter).lParam & keyRepeatFlag, 0);

  SDL_Event altF4 = keyDown(SDLK_F4);
  altF4.key.keysym.mod = KMOD_RALT | KMOD_NUM;
  EXPECT_EQ(only(altF4).message, WindowMessages::systemKeyDown);

  SDL_Event plainEnter = keyDown(SDLK_KP_ENTER);
  plainEnter.key.keysym.mod = KMOD_LSHIFT | KMOD_NUM;
  message = only(plainEnter);
  EXPECT_EQ(message.message, WindowMessages::keyDown);
  EXPECT_EQ(message.wParam, VirtualKeys::enter);
  EXPECT_EQ(only(keyDown(SDLK_F11)).wParam, VirtualKeys::f11);
  EXPECT_EQ(only(keyDown(SDLK_F11)).lParam, 0);
  EXPECT_EQ(only(keyDown(SDLK_F11, true)).lParam, keyRepeatFlag);
}

TEST_F(WindowEventTranslatorTest, EveryAutoRepeatIsAKeyDownAndKeyUpsAndOtherKeysGiveNothing) {
  EXPECT_EQ(only(keyDown(SDLK_F5, true)).wParam, VirtualKeys::f5);
  EXPECT_EQ(only(keyDown(SDLK_F5, true)).wParam, VirtualKeys::f5);
  EXPECT_TRUE(translate(keyDown(SDLK_CAPSLOCK)).empty());
  EXPECT_TRUE(translate(keyDown(SDLK_F13)).empty());
  SDL_Event up = keyDown(SDLK_ESCAPE);
  up.type = SDL_KEYUP;
  up.key.state = SDL_RELEASED;
  EXPECT_TRUE(translate(up).empty());
}

TEST_F(WindowEventTranslatorTest, MousePositionsAreOnTheScreen) {
  translator_.setClientOrigin({100, 50});
  WindowMessage message = only(mouseMotion(10, 20));
  EXPECT_EQ(message.message, msg::mouseMove);
  EXPECT_EQ(lowWord(message.lParam), 110);
  EXPECT_EQ(highWord(message.lParam), 70);

  // A window move carries the client origin along.
  translate(windowEvent(SDL_WINDOWEVENT_MOVED, 300, 200));
  message = only(mouseMotion(1, 2));
  EXPECT_EQ(message.lParam, makeLParam(301, 202));

  message = only(mouseButton(true, SDL_BUTTON_LEFT));
  EXPECT_EQ(message.message, msg::leftButtonDown);
  EXPECT_EQ(message.lParam, makeLParam(300, 200));
  EXPECT_EQ(only(mouseButton(false, SDL_BUTTON_LEFT)).message, msg::leftButtonUp);
  EXPECT_TRUE(translate(mouseButton(true, SDL_BUTTON_RIGHT)).empty());
}

TEST_F(WindowEventTranslatorTest, PositionsOutsideAWordAreClamped) {
  translator_.setClientOrigin({-50, 70000});
  const WindowMessage message = only(mouseMotion(10, 10));
  EXPECT_EQ(lowWord(message.lParam), 0);
  EXPECT_EQ(highWord(message.lParam), 0xFFFF);
  EXPECT_EQ(only(windowEvent(SDL_WINDOWEVENT_MOVED, -8, 100000)).lParam, makeLParam(0, 0xFFFF));
  EXPECT_EQ(only(windowEvent(SDL_WINDOWEVENT_SIZE_CHANGED, 70000, 3)).lParam,
            makeLParam(0xFFFF, 3));
}

TEST_F(WindowEventTranslatorTest, WaveNoticesGiveTheChannel) {
  const WindowMessage message = only(waveDone(5));
  EXPECT_EQ(message.message, WindowMessages::waveDone);
  EXPECT_EQ(message.wParam, 5u);
}

TEST_F(WindowEventTranslatorTest, EventsOfOtherWindowsGiveNothing) {
  EXPECT_TRUE(translate(windowEvent(SDL_WINDOWEVENT_FOCUS_GAINED, 0, 0, otherWindow)).empty());
  EXPECT_TRUE(translate(windowEvent(SDL_WINDOWEVENT_CLOSE, 0, 0, otherWindow)).empty());
  EXPECT_TRUE(translate(keyDown(SDLK_ESCAPE, false, otherWindow)).empty());
  EXPECT_TRUE(translate(mouseMotion(1, 1, otherWindow)).empty());
  EXPECT_TRUE(translate(mouseButton(true, SDL_BUTTON_LEFT, otherWindow)).empty());
  EXPECT_TRUE(translate(waveDone(1, otherWindow)).empty());
  EXPECT_TRUE(translate(waveDone(1, 0)).empty());

  // Without a window no event is the window's own.
  WindowEventTranslator unbound;
  EXPECT_TRUE(unbound.translate(keyDown(SDLK_ESCAPE, false, 0)).empty());
}

TEST_F(WindowEventTranslatorTest, OtherEventsGiveNothing) {
  for (Uint32 type : {SDL_KEYUP, SDL_TEXTINPUT, SDL_MOUSEWHEEL, SDL_FINGERDOWN, SDL_USEREVENT}) {
    SDL_Event event = ofType(type);
    event.key.windowID = ownWindow;
    EXPECT_TRUE(translate(event).empty()) << type;
  }
  // Joystick events need a joystick.
  SDL_Event axis = ofType(SDL_JOYAXISMOTION);
  axis.jaxis.value = 32767;
  EXPECT_TRUE(translate(axis).empty());
}

// Joystick 1 played by SDL's virtual joystick.
class WindowEventTranslatorJoystickTest : public WindowEventTranslatorTest {
protected:
  void SetUp() override {
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_JOYSTICK), 0) << SDL_GetError();
    device_ = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_UNKNOWN, 2, 4, 0);
    ASSERT_GE(device_, 0) << SDL_GetError();
    ASSERT_EQ(SDL_NumJoysticks(), 1) << "a joystick is attached to this machine";
    ASSERT_TRUE(joystick_.capture());
    instance_ = SDL_JoystickGetDeviceInstanceID(0);
    translator_.setJoystick(&joystick_);
  }
  void TearDown() override {
    joystick_.release();
    if (device_ >= 0) SDL_JoystickDetachVirtual(device_);
    SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
  }

  SDL_Event axis(Uint8 index, Sint16 value) const {
    SDL_Event event = ofType(SDL_JOYAXISMOTION);
    event.jaxis.which = instance_;
    event.jaxis.axis = index;
    event.jaxis.value = value;
    return event;
  }
  SDL_Event button(Uint8 index, bool down) const {
    SDL_Event event = ofType(down ? SDL_JOYBUTTONDOWN : SDL_JOYBUTTONUP);
    event.jbutton.which = instance_;
    event.jbutton.button = index;
    event.jbutton.state = down ? SDL_PRESSED : SDL_RELEASED;
    return event;
  }

  Joystick joystick_;
  int device_ = -1;
  SDL_JoystickID instance_ = -1;
};

TEST_F(WindowEventTranslatorJoystickTest, StickAndButtonsGiveJoystickMessages) {
  const WindowMessage moved = only(axis(JoystickReporter::axisX, 32767));
  EXPECT_EQ(moved.message, msg::joystick1Move);
  EXPECT_EQ(lowWord(moved.lParam), 65535);
  EXPECT_EQ(highWord(moved.lParam), JoystickReporter::centrePosition);
  // Within the threshold of the last report.
  EXPECT_TRUE(translate(axis(JoystickReporter::axisX, 32767 - 100)).empty());

  const WindowMessage pressed = only(button(1, true));
  EXPECT_EQ(pressed.message, msg::joystick1ButtonDown);
  EXPECT_EQ(pressed.wParam, 0x200u | 0x2u);
  const WindowMessage released = only(button(1, false));
  EXPECT_EQ(released.message, msg::joystick1ButtonUp);
  EXPECT_EQ(released.wParam, 0x200u);
}

TEST_F(WindowEventTranslatorJoystickTest, OtherJoysticksAndNoJoystickGiveNothing) {
  SDL_Event other = axis(JoystickReporter::axisX, 32767);
  other.jaxis.which = instance_ + 100;
  EXPECT_TRUE(translate(other).empty());

  translator_.setJoystick(nullptr);
  EXPECT_TRUE(translate(button(0, true)).empty());
}

TEST_F(WindowEventTranslatorTest, GamepadsPluggedInAndOutAndTheirStartAndBackBecomeMessages) {
  Gamepads pads;
  ASSERT_EQ(pads.open(), "");
  translator_.setGamepads(&pads);
  const auto drain = [this] {
    std::vector<WindowMessage> messages;
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
      for (const WindowMessage& message : translate(event)) messages.push_back(message);
    }
    return messages;
  };
  VirtualGamepad first;
  ASSERT_TRUE(first.pluggedIn()) << first.error();
  EXPECT_EQ(valuesOf(drain()), std::vector<std::uint32_t>{msg::gamepadAttached});
  VirtualGamepad second;
  EXPECT_EQ(valuesOf(drain()), std::vector<std::uint32_t>{msg::gamepadAttached});

  second.setButton(VirtualGamepad::Button::start, true);
  auto messages = drain();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].message, msg::keyDown);
  EXPECT_EQ(messages[0].wParam, VirtualKeys::escape);
  first.setButton(VirtualGamepad::Button::back, true);
  EXPECT_TRUE(drain().empty()) << "only the pad in use leaves";

  second.unplug();
  EXPECT_TRUE(drain().empty());
  first.setButton(VirtualGamepad::Button::back, false);
  drain();
  first.setButton(VirtualGamepad::Button::back, true);
  EXPECT_EQ(valuesOf(drain()), std::vector<std::uint32_t>{msg::keyDown});
  first.unplug();
  EXPECT_EQ(valuesOf(drain()), std::vector<std::uint32_t>{msg::gamepadDetached});

  translator_.setGamepads(nullptr);
  VirtualGamepad unheard;
  EXPECT_TRUE(drain().empty());
}

}  // namespace
