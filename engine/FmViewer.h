#pragma once

#include "FmPoint.h"

// What the visibility pass knows about the viewer: where it stands, where it looks,
// the cosine, squared cosine and sine of the camera's view angle and how far it sees.
struct FmViewer {
  FmPoint position;
  FmPoint direction;
  float coneCos = 0;
  float coneCos2 = 0;
  float coneSin = 0;
  float farDistance = 0;
};
