#pragma once

// A position on the screen, in pixels.
struct ScreenPoint {
  int x = 0;
  int y = 0;

  friend bool operator==(const ScreenPoint&, const ScreenPoint&) = default;
};

// A screen rectangle; left and top are inside it, right and bottom just outside.
struct ScreenRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;

  bool contains(ScreenPoint point) const {
    return point.x >= left && point.x < right && point.y >= top && point.y < bottom;
  }

  friend bool operator==(const ScreenRect&, const ScreenRect&) = default;
};
