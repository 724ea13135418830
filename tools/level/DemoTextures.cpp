#include "DemoTextures.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

namespace {

struct Rgba {
  float r, g, b, a;
};

using Painter = std::function<Rgba(float u, float v)>;

std::uint8_t toByte(float value) {
  return static_cast<std::uint8_t>(std::lround(std::clamp(value, 0.0f, 1.0f) * 255.0f));
}

FmOpenGLTexture* paint(FmOpenGLTexture* texture, int width, int height, bool withAlpha,
                       const Painter& painter) {
  std::vector<std::uint8_t> pixels;
  pixels.reserve(static_cast<std::size_t>(width) * height * FmOpenGLTexture::bytesPerPixel);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const Rgba c = painter((x + 0.5f) / width, (y + 0.5f) / height);
      for (float channel : {c.r, c.g, c.b, withAlpha ? c.a : 1.0f})
        pixels.push_back(toByte(channel));
    }
  }
  (void)texture->setImage(width, height, std::move(pixels));
  texture->setHasAlpha(withAlpha ? 1 : 0);
  return texture;
}

FmOpenGLTexture* painted(const std::string& name, int size, bool withAlpha,
                         const Painter& painter) {
  return paint(new FmOpenGLTexture(name.c_str()), size, size, withAlpha, painter);
}

// A value from 0 to 1 for a lattice point, the same for the same arguments.
float hash(int x, int y, std::uint32_t seed) {
  std::uint32_t h = static_cast<std::uint32_t>(x) * 374761393u +
                    static_cast<std::uint32_t>(y) * 668265263u + seed * 2246822519u;
  h = (h ^ (h >> 13)) * 1274126177u;
  return static_cast<float>((h ^ (h >> 16)) & 0xFFFF) / 65535.0f;
}

// Smoothly interpolated lattice noise that tiles with the period.
float smoothNoise(float u, float v, int period, std::uint32_t seed) {
  const float x = u * period, y = v * period;
  const int x0 = static_cast<int>(std::floor(x)), y0 = static_cast<int>(std::floor(y));
  const float fx = x - x0, fy = y - y0;
  const float sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
  auto at = [&](int i, int j) {
    return hash((i % period + period) % period, (j % period + period) % period, seed);
  };
  const float top = at(x0, y0) + (at(x0 + 1, y0) - at(x0, y0)) * sx;
  const float bottom = at(x0, y0 + 1) + (at(x0 + 1, y0 + 1) - at(x0, y0 + 1)) * sx;
  return top + (bottom - top) * sy;
}

// Noise summed over three octaves, from 0 to 1.
float fractal(float u, float v, std::uint32_t seed) {
  return (smoothNoise(u, v, 4, seed) * 4 + smoothNoise(u, v, 8, seed + 1) * 2 +
          smoothNoise(u, v, 16, seed + 2)) /
         7.0f;
}

FmPoint mix(const FmPoint& a, const FmPoint& b, float f) {
  return a + (b - a) * f;
}

Rgba opaque(const FmPoint& c) {
  return {c.x, c.y, c.z, 1.0f};
}

float distanceFromCentre(float u, float v) {
  return std::hypot(u - 0.5f, v - 0.5f) * 2.0f;
}

}  // namespace

namespace DemoTextures {

FmOpenGLTexture* ground(const std::string& name, const FmPoint& low, const FmPoint& high,
                        std::uint32_t seed) {
  return painted(name, 128, false, [=](float u, float v) {
    const float blend = fractal(u, v, seed);
    const float grain =
        0.85f + 0.15f * hash(static_cast<int>(u * 128), static_cast<int>(v * 128), seed + 7);
    return opaque(mix(low, high, blend) * grain);
  });
}

FmOpenGLTexture* rock(const std::string& name, const FmPoint& colour, std::uint32_t seed) {
  return painted(name, 64, false, [=](float u, float v) {
    const float layers = 0.5f + 0.5f * std::sin((v + 0.15f * fractal(u, v, seed)) * 40.0f);
    return opaque(colour * (0.6f + 0.4f * layers));
  });
}

FmOpenGLTexture* sky(const std::string& name, const FmPoint& horizon, const FmPoint& zenith) {
  return painted(name, 128, false, [=](float u, float v) {
    const float height = 1.0f - v;
    const float cloud = std::clamp((fractal(u, v * 2.0f, 31) - 0.55f) * 4.0f, 0.0f, 1.0f);
    return opaque(mix(mix(horizon, zenith, height), FmPoint{1, 1, 1}, cloud * height * 0.8f));
  });
}

FmOpenGLTexture* water(const std::string& name) {
  return painted(name, 64, true, [](float u, float v) {
    const float ripple = 0.5f + 0.5f * std::sin((u + 0.3f * fractal(u, v, 5)) * 25.0f);
    const FmPoint colour = mix({0.05f, 0.25f, 0.4f}, {0.3f, 0.6f, 0.75f}, ripple * 0.6f);
    return Rgba{colour.x, colour.y, colour.z, 0.7f};
  });
}

FmOpenGLTexture* leaves(const std::string& name) {
  return painted(name, 64, true, [](float u, float v) {
    const float crown = 1.0f - distanceFromCentre(u, v * 1.1f - 0.05f);
    const float clumps = fractal(u, v, 11);
    const bool trunk = std::abs(u - 0.5f) < 0.05f && v > 0.6f;
    if (trunk) return Rgba{0.35f, 0.22f, 0.1f, 1.0f};
    if (crown + 0.5f * (clumps - 0.5f) < 0.15f) return Rgba{0, 0, 0, 0};
    const FmPoint green = mix({0.1f, 0.35f, 0.08f}, {0.3f, 0.6f, 0.15f}, clumps);
    return opaque(green);
  });
}

FmOpenGLTexture* glow(const std::string& name, const FmPoint& colour) {
  return painted(name, 64, true, [=](float u, float v) {
    const float d = distanceFromCentre(u, v);
    const float core = std::clamp(1.0f - d, 0.0f, 1.0f);
    return Rgba{colour.x, colour.y, colour.z, core * core * (3 - 2 * core)};
  });
}

FmOpenGLTexture* skin(const std::string& name, const FmPoint& base, const FmPoint& stripe) {
  return painted(name, 64, false, [=](float u, float v) {
    const float bands = 0.5f + 0.5f * std::sin(u * 30.0f + 4.0f * fractal(u, v, 3));
    return opaque(mix(base, stripe, bands * bands) * (0.8f + 0.2f * v));
  });
}

FmOpenGLAnimatedTexture* explosion(const std::string& name, int frames, float interval) {
  auto* book = new FmOpenGLAnimatedTexture(name.c_str());
  book->setFrameInterval(interval);
  for (int i = 0; i < frames; ++i) {
    const float age = static_cast<float>(i) / static_cast<float>(std::max(frames - 1, 1));
    auto* frame = new FmOpenGLTexture((name + std::to_string(i)).c_str());
    frame->setKeyTime(static_cast<float>(i) * interval);
    paint(frame, 32, 32, true, [age](float u, float v) {
      const float radius = 0.35f + 0.6f * age;
      const float d = distanceFromCentre(u, v) / radius + 0.25f * (fractal(u, v, 17) - 0.5f);
      const float heat = std::clamp(1.0f - d, 0.0f, 1.0f);
      const FmPoint colour = mix({0.6f, 0.1f, 0.0f}, {1.0f, 0.9f, 0.4f}, heat * (1.0f - age));
      return Rgba{colour.x, colour.y, colour.z, std::min(1.0f, heat * 2.0f) * (1.0f - age * 0.7f)};
    });
    if (!book->addFrame(frame)) delete frame;
  }
  return book;
}

}  // namespace DemoTextures
