#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "FmCamera.h"
#include "FmScene.h"
#include "ImageFile.h"
#include "LevelParts.h"
#include "LevelShot.h"
#include "LevelToolRun.h"
#include "TempFile.h"

namespace {

using LevelParts::cameraAt;

// A white square two units wide, facing +z, at (0, 0, -5); the camera "eye" at the
// origin looks at it, the camera "aside" at (30, 0, 0) looks past it.
void writeSquareLevel(const TempFile& path) {
  FmScene scene;
  FmWorker& worker = scene.worker();
  FmCamera* eye = cameraAt("eye", {0, 0, 0});
  worker.addNode(eye, nullptr);
  worker.addNode(cameraAt("aside", {30, 0, 0}), nullptr);
  worker.setCamera(eye);
  worker.addNode(LevelParts::squareWall("wall"), nullptr);
  LevelParts::writeLevel(path.c_str(), scene);
}

// The pixel at x, y counted from the top left, as a viewer sees the picture.
std::vector<std::uint8_t> pixelAt(const ShotPicture& picture, int x, int y) {
  const auto row = static_cast<std::size_t>(picture.height - 1 - y);
  const auto at = (row * static_cast<std::size_t>(picture.width) + static_cast<std::size_t>(x)) * 3;
  return {picture.rgb.begin() + static_cast<std::ptrdiff_t>(at),
          picture.rgb.begin() + static_cast<std::ptrdiff_t>(at) + 3};
}

const std::vector<std::uint8_t> white{255, 255, 255};

class LevelShot : public ::testing::Test {
protected:
  void SetUp() override { writeSquareLevel(level); }
  TempFile level{"square"};
};

}  // namespace

TEST_F(LevelShot, TheLevelsCameraSeesTheSquareInTheMiddleAndTheClearColourAround) {
  const ShotPicture picture = takeLevelShot(level.c_str(), 1, ShotView{});
  ASSERT_EQ(picture.width, 800);
  ASSERT_EQ(picture.height, 600);
  EXPECT_EQ(picture.triangles, 2);
  EXPECT_TRUE(showsMoreThanOneColour(picture));
  EXPECT_EQ(pixelAt(picture, 400, 300), white);
  EXPECT_NE(pixelAt(picture, 10, 10), white);
}

TEST_F(LevelShot, ACameraChosenByNameLooksFromItsOwnPlace) {
  ShotView aside;
  aside.camera = "aside";
  const ShotPicture picture = takeLevelShot(level.c_str(), 1, aside);
  EXPECT_FALSE(showsMoreThanOneColour(picture));
  ShotView eye;
  eye.camera = "eye";
  EXPECT_TRUE(showsMoreThanOneColour(takeLevelShot(level.c_str(), 1, eye)));
}

TEST_F(LevelShot, AViewpointLooksAtThePointItIsGiven) {
  ShotView ahead;
  ahead.from = FmPoint{0, 0, 5};
  ahead.at = {0, 0, -5};
  const ShotPicture straight = takeLevelShot(level.c_str(), 1, ahead);
  EXPECT_EQ(pixelAt(straight, 400, 300), white);

  // Looking 16.7 degrees to the left puts the square right of the middle.
  ShotView left = ahead;
  left.at = {-3, 0, -5};
  const ShotPicture turned = takeLevelShot(level.c_str(), 1, left);
  EXPECT_EQ(pixelAt(turned, 617, 300), white);
  EXPECT_NE(pixelAt(turned, 400, 300), white);
  EXPECT_NE(pixelAt(turned, 183, 300), white);

  // Looking down at the square from above puts it in the middle again.
  ShotView down;
  down.from = FmPoint{0, 4, 5};
  down.at = {0, 0, -5};
  const ShotPicture slanted = takeLevelShot(level.c_str(), 1, down);
  EXPECT_EQ(pixelAt(slanted, 400, 300), white);
  EXPECT_NE(pixelAt(slanted, 400, 100), white);

  ShotView away;
  away.from = FmPoint{0, 0, 5};
  away.at = {0, 0, 10};
  EXPECT_FALSE(showsMoreThanOneColour(takeLevelShot(level.c_str(), 1, away)));
}

TEST_F(LevelShot, TheCommandWritesAPngOfTheFrame) {
  TempFile png("shot.png");
  const ToolRun run = levelTool({"shot", level.c_str(), "-o", png.c_str(), "--camera", "eye"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("800x600, 2 triangles"), std::string::npos) << run.out;
  std::string problem;
  const auto image = ImageFile::decodeFile(png.c_str(), problem);
  ASSERT_TRUE(image) << problem;
  EXPECT_EQ(image->width, 800);
  EXPECT_EQ(image->height, 600);
  const std::size_t middle = (300 * 800 + 400) * 4;
  EXPECT_EQ(image->rgba[middle], 255);
  EXPECT_NE(image->rgba[0], 255);
}

TEST_F(LevelShot, TheCommandSaysWhatStandsInTheWay) {
  TempFile png("shot.png");
  const ToolRun unknownCamera =
      levelTool({"shot", level.c_str(), "-o", png.c_str(), "--camera", "nope"});
  EXPECT_EQ(unknownCamera.status, 1);
  EXPECT_NE(unknownCamera.err.find("no camera named 'nope'; its cameras: 'eye', 'aside'"),
            std::string::npos)
      << unknownCamera.err;

  const ToolRun samePoint =
      levelTool({"shot", level.c_str(), "-o", png.c_str(), "--from", "1,2,3", "--at", "1,2,3"});
  EXPECT_EQ(samePoint.status, 1);
  EXPECT_NE(samePoint.err.find("same point"), std::string::npos) << samePoint.err;

  TempFile missing("missing");
  const ToolRun noLevel = levelTool({"shot", missing.c_str(), "-o", png.c_str()});
  EXPECT_EQ(noLevel.status, 1);
  EXPECT_NE(noLevel.err.find("[OPERR]"), std::string::npos) << noLevel.err;

  const ToolRun noDirectory =
      levelTool({"shot", level.c_str(), "-o", (missing.path() / "shot.png").string()});
  EXPECT_EQ(noDirectory.status, 1);
  EXPECT_NE(noDirectory.err.find("can't write"), std::string::npos) << noDirectory.err;
  EXPECT_FALSE(std::filesystem::exists(png.path()));
}

TEST_F(LevelShot, BadCommandLinesAreUsageErrors) {
  for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{
           {"shot", level.c_str()},
           {"shot", "-o", "x.png"},
           {"shot", level.c_str(), "-o", "x.png", "--from", "1,2,3"},
           {"shot", level.c_str(), "-o", "x.png", "--from", "1,2", "--at", "0,0,0"},
           {"shot", level.c_str(), "-o", "x.png", "--from", "1,2,3", "--at", "0,0,0", "--camera",
            "eye"},
           {"shot", level.c_str(), "-o", "x.png", "--level", "two"},
       }) {
    const ToolRun run = levelTool(arguments);
    EXPECT_EQ(run.status, 2) << arguments.back();
    EXPECT_NE(run.err.find("zirrow-level: "), std::string::npos) << run.err;
  }
  EXPECT_FALSE(std::filesystem::exists("x.png"));
  const ToolRun help = levelTool({"shot", "--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("--camera"), std::string::npos) << help.out;
}
