#include "ResidentGlDriver.h"

#include "HiddenGlWindow.h"
#include "OffscreenVideo.h"

void keepGlDriverResident() {
  preferOffscreenVideo();
  // Never destroyed, and reachable until the end: the driver stays in use.
  static const HiddenGlWindow* const resident = new HiddenGlWindow(1, 1);
  (void)resident;
}
