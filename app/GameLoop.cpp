#include "GameLoop.h"

#include <exception>

#include "GameSession.h"
#include "GameWindowProcedure.h"
#include "RWErrors.h"

GameLoop::GameLoop(MessageSource& messages, GameWindowProcedure& procedure, GameSession& game,
                   InputDevices& devices)
    : messages_(messages), procedure_(procedure), game_(game), devices_(devices) {}

int GameLoop::run() {
  for (;;) {
    while (messages_.peekMessage()) {
      WindowMessage message;
      if (!messages_.getMessage(message)) return static_cast<int>(message.wParam);
      procedure_.handle(message);
    }
    if (!runFrame()) return frameFailed;
    game_.clearSoundRequests();
    if (game_.paused()) messages_.waitForMessage(pausedWaitMilliseconds);
  }
}

bool GameLoop::runFrame() {
  try {
    game_.tick(devices_);
    procedure_.serveSoundRequests();
    return true;
  } catch (const RWxmsg& error) {
    failure_ = std::string("the game stopped: ") + error.why();
  } catch (const std::exception& error) {
    failure_ = std::string("the game stopped: ") + error.what();
  } catch (...) {
    failure_ = "the game stopped";
  }
  return false;
}
