// Texture upload: the engine's upload of an image with its whole mipmap chain (the
// chain computed by resampling), against bare glTexImage2D calls that send the same
// levels, computed beforehand, in the same offscreen context.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <iostream>
#include <memory>
#include <vector>

#include "BenchProgram.h"
#include "FmGLEngine.h"
#include "FmOpenGLTexture.h"
#include "GlBinding.h"
#include "OffscreenGlContext.h"
#include "ResidentGlDriver.h"
#include "TextureUpload.h"

namespace {

constexpr int contextSide = 64;
constexpr int trueColour = 32;

struct Level {
  int width;
  int height;
  std::vector<std::uint8_t> pixels;
};

// The images to upload, each as the engine receives it and as its chain of levels.
class TextureSet {
public:
  TextureSet(int count, int side) {
    for (int i = 0; i < count; ++i) images_.push_back(patterned(i, side));
    for (const auto& image : images_) chains_.push_back(chainOf(*image));
    names_.assign(images_.size(), 0);
    gl.glGenTextures(static_cast<GLsizei>(names_.size()), names_.data());
  }
  ~TextureSet() { gl.glDeleteTextures(static_cast<GLsizei>(names_.size()), names_.data()); }
  TextureSet(const TextureSet&) = delete;
  TextureSet& operator=(const TextureSet&) = delete;

  std::vector<std::unique_ptr<FmOpenGLTexture>> freshCopies() const {
    std::vector<std::unique_ptr<FmOpenGLTexture>> copies;
    for (const auto& image : images_) {
      copies.push_back(
          std::unique_ptr<FmOpenGLTexture>(static_cast<FmOpenGLTexture*>(image->clone())));
    }
    return copies;
  }
  const std::vector<std::vector<Level>>& chains() const { return chains_; }
  const std::vector<GLuint>& names() const { return names_; }

private:
  static std::unique_ptr<FmOpenGLTexture> patterned(int index, int side) {
    auto texture = std::make_unique<FmOpenGLTexture>("upload");
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(side) * side * 4);
    std::uint32_t state = 747796405u * static_cast<std::uint32_t>(index + 1);
    for (std::uint8_t& byte : pixels) {
      state = state * 1664525u + 1013904223u;
      byte = static_cast<std::uint8_t>(state >> 24);
    }
    (void)texture->setImage(side, side, std::move(pixels));
    return texture;
  }

  static std::vector<Level> chainOf(const FmOpenGLTexture& image) {
    std::unique_ptr<FmOpenGLTexture> copy(static_cast<FmOpenGLTexture*>(image.clone()));
    std::vector<Level> chain;
    while (true) {
      chain.push_back(
          {copy->width(), copy->height(),
           std::vector<std::uint8_t>(copy->pixels(), copy->pixels() + copy->pixelBytes())});
      if (copy->width() == 1 && copy->height() == 1) return chain;
      copy->resample(std::max(copy->width() / 2, 1), std::max(copy->height() / 2, 1));
    }
  }

  std::vector<std::unique_ptr<FmOpenGLTexture>> images_;
  std::vector<std::vector<Level>> chains_;
  std::vector<GLuint> names_;
};

void engineUpload(benchmark::State& state, const TextureSet& set) {
  const GLint storage = TextureUpload::storageFormat(FmGLEngine::pixelFormatColourBits());
  std::vector<std::unique_ptr<FmOpenGLTexture>> copies;
  for (auto _ : state) {
    state.PauseTiming();
    copies = set.freshCopies();  // the last ones go while the clock is stopped
    state.ResumeTiming();
    for (std::size_t i = 0; i < copies.size(); ++i) {
      TextureUpload::upload(*copies[i], set.names()[i], storage);
    }
    gl.glFinish();
  }
}

void bareUpload(benchmark::State& state, const TextureSet& set) {
  const GLint storage = TextureUpload::storageFormat(FmGLEngine::pixelFormatColourBits());
  for (auto _ : state) {
    for (std::size_t i = 0; i < set.chains().size(); ++i) {
      gl.glBindTexture(GL_TEXTURE_2D, set.names()[i]);
      const std::vector<Level>& chain = set.chains()[i];
      for (std::size_t level = 0; level < chain.size(); ++level) {
        gl.glTexImage2D(GL_TEXTURE_2D, static_cast<GLint>(level), storage, chain[level].width,
                        chain[level].height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                        chain[level].pixels.data());
      }
    }
    gl.glFinish();
  }
}

}  // namespace

int main(int argc, char** argv) {
  BenchProgram program(argc, argv);
  if (!program.argumentsValid()) return 1;
  keepGlDriverResident();
  const OffscreenGlContext context(contextSide, contextSide, trueColour);
  if (!context.isValid()) {
    std::cerr << "no OpenGL: " << context.error() << "\n";
    return 1;
  }
  gl.glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  {
    const TextureSet set(program.tiny() ? 2 : 8, program.tiny() ? 8 : 512);
    benchmark::RegisterBenchmark("engine_upload", engineUpload, std::cref(set))
        ->UseRealTime()
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("bare_teximage", bareUpload, std::cref(set))
        ->UseRealTime()
        ->Unit(benchmark::kMillisecond);
    program.runBenchmarks();
  }
  program.timeRatio("texture upload with mipmaps / bare glTexImage2D", "engine_upload",
                    "bare_teximage", 1.5);
  return program.finish(std::cout);
}
