#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "FmOpenGLAnimatedTexture.h"
#include "RWBinaryFile.h"
#include "RWErrors.h"
#include "RWObjectProtocol.h"
#include "RecordBytes.h"
#include "TempFile.h"

namespace {

// Frames named f0, f1, ... at the key times, with OpenGL names 1, 2, ... and 2 x 2 pixels.
std::unique_ptr<FmOpenGLAnimatedTexture> makeAnimated(std::initializer_list<float> keyTimes,
                                                      float interval) {
  auto animated = std::make_unique<FmOpenGLAnimatedTexture>("flip");
  animated->setFrameInterval(interval);
  for (const float keyTime : keyTimes) {
    const int index = animated->frameCount();
    auto* frame = new FmOpenGLTexture(("f" + std::to_string(index)).c_str());
    frame->setKeyTime(keyTime);
    frame->setGlName(index + 1);
    EXPECT_TRUE(frame->setImage(2, 2, std::vector<std::uint8_t>(16, 1)));
    EXPECT_TRUE(animated->addFrame(frame));
  }
  return animated;
}

// A top-level animated texture record with stored values 1, 2, 3, frame interval 1
// and an empty base texture, then its frame list: the list's class and these bytes.
RecordBytes animatedRecord(const RecordBytes& frameList) {
  RecordBytes record;
  record.u32(0x8888).u16(FmOpenGLAnimatedTexture::id).u32(100);
  record.u32(111).text("flip").text("").u32(0).u32(0).u32(0).u32(0).f32(0.0f).u32(0);
  record.u32(1).u32(3).f32(1.0f).u32(2).u16(0x8028);
  return record.raw(frameList.bytes());
}

RecordBytes& appendFrame(RecordBytes& bytes, const std::string& name) {
  bytes.u16(FmOpenGLTexture::id).u32(111).text(name).text("").u32(0).u32(1).u32(1).u32(1);
  return bytes.f32(0.0f).u32(4).raw({10, 20, 30, 40});
}

std::string readErrorOf(const TempFile& path) {
  RWBinaryFile file(path.c_str(), "rb");
  RWReadLog log;
  try {
    std::unique_ptr<RWCollectable> read(readObject(file));
  } catch (const RWInternalErr& error) {
    log.destroyCreated();
    return error.why();
  }
  return "no error";
}

}  // namespace

TEST(AnimatedTextureFrames, FrameAtWrapsAfterTheLastFramesInterval) {
  auto animated = makeAnimated({0.0f, 1.0f, 2.0f}, 1.0f);
  EXPECT_EQ(animated->glNameAt(2.5f), 3);
  EXPECT_EQ(animated->glNameAt(3.0f), 3);
  EXPECT_EQ(animated->glNameAt(3.5f), 1);
  EXPECT_EQ(animated->glNameAt(7.0f), 2);
  EXPECT_EQ(animated->frameAt(1.0f), animated->frameAtIndex(1));
  EXPECT_EQ(animated->frameAtIndex(3), nullptr);
  EXPECT_EQ(animated->frameAtIndex(-1), nullptr);
  EXPECT_FLOAT_EQ(animated->animationLength(), 3.0f);
}

TEST(AnimatedTextureFrames, NoFrameBeforeTheFirstKeyTimeAndNoWrapForAZeroLoop) {
  auto late = makeAnimated({0.5f, 1.0f}, 1.0f);
  EXPECT_EQ(late->frameAt(0.2f), nullptr);
  EXPECT_EQ(late->glNameAt(0.2f), -1);
  EXPECT_EQ(FmOpenGLAnimatedTexture().glNameAt(1.0f), -1);
  auto still = makeAnimated({0.0f}, 0.0f);
  EXPECT_EQ(still->glNameAt(5.0f), 1);
}

TEST(AnimatedTextureFrames, AddFrameTakesOnlyNewStillTextures) {
  FmOpenGLAnimatedTexture animated, nested;
  auto* frame = new FmOpenGLTexture("f");
  EXPECT_FALSE(animated.addFrame(nullptr));
  EXPECT_FALSE(animated.addFrame(&nested));
  EXPECT_TRUE(animated.addFrame(frame));
  EXPECT_FALSE(animated.addFrame(frame));
  EXPECT_EQ(animated.frameCount(), 1);
}

TEST(AnimatedTextureFrames, ResampleCompactAndCloneReachEveryFrame) {
  auto animated = makeAnimated({0.0f, 1.0f, 2.0f}, 1.0f);
  animated->compact();
  EXPECT_EQ(animated->textureFrames().capacity(), 3u);
  std::unique_ptr<RWCollectable> copy(animated->clone());
  animated->resample(1, 1);
  const auto* cloned = dynamic_cast<FmOpenGLAnimatedTexture*>(copy.get());
  ASSERT_NE(cloned, nullptr);
  ASSERT_EQ(cloned->frameCount(), 3);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(animated->frameAtIndex(i)->width(), 1);
    EXPECT_TRUE(cloned->textureFrames()[i]->equals(animated->frameAtIndex(i)));
    EXPECT_EQ(static_cast<FmOpenGLTexture*>(cloned->textureFrames()[i])->width(), 2);
  }
}

TEST(AnimatedTextureRecord, WritesTheStoredLayoutAndReadsBackEqual) {
  TempFile path("animated");
  FmOpenGLAnimatedTexture original("flip");
  original.setStoredValues(1, 2, 3);
  original.setFrameInterval(1.0f);
  auto* frame = new FmOpenGLTexture("f0");
  frame->setHasAlpha(1);
  ASSERT_TRUE(frame->setImage(1, 1, {10, 20, 30, 40}));
  ASSERT_TRUE(original.addFrame(frame));
  {
    RWBinaryFile file(path.c_str(), "wb");
    writeObject(file, &original);
  }
  RecordBytes frames;
  EXPECT_EQ(path.bytes(), animatedRecord(appendFrame(frames.u32(1), "f0")).bytes());
  EXPECT_EQ(path.bytes().size(), recursiveStoreSize(&original));

  RWBinaryFile file(path.c_str(), "rb");
  std::unique_ptr<RWCollectable> object(readObject(file));
  auto* read = dynamic_cast<FmOpenGLAnimatedTexture*>(object.get());
  ASSERT_NE(read, nullptr);
  EXPECT_TRUE(read->equals(&original));
  EXPECT_EQ(read->secondStoredValue(), 2);
  EXPECT_EQ(read->thirdStoredValue(), 3);
  ASSERT_EQ(read->frameCount(), 1);
  EXPECT_TRUE(read->frameAtIndex(0)->equals(frame));
  EXPECT_EQ(read->frameAtIndex(0)->pixels()[3], 40);
}

TEST(AnimatedTextureRecord, FrameListsHoldingAnythingButDistinctStillTexturesAreRefused) {
  RecordBytes plain, nil, itself, twice;
  plain.u32(1).u16(0x8007);
  nil.u32(1).u16(0xFFFF).u32(0);
  itself.u32(1).u16(0xFFFF).u32(1);                    // the animated texture is number 1
  appendFrame(twice.u32(2), "f0").u16(0xFFFF).u32(3);  // its first frame is number 3
  for (const auto& [frames, message] :
       {std::pair{&plain, "[TYPE]"}, std::pair{&nil, "[TYPE]"}, std::pair{&itself, "[TYPE]"},
        std::pair{&twice, "[FRAME]"}}) {
    TempFile path("refused");
    path.write(animatedRecord(*frames).bytes());
    const std::string error = readErrorOf(path);
    EXPECT_EQ(error.rfind(message, 0), 0u) << error;
  }
}
