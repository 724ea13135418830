#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "FmObject.h"
#include "FmOpenGLTexture.h"
#include "FmRocket.h"
#include "FmRocketController.h"
#include "RWBinaryFile.h"
#include "RWErrors.h"
#include "RWFactory.h"
#include "RWObjectProtocol.h"
#include "RecordBytes.h"
#include "TempFile.h"

namespace {

using Bytes = std::vector<unsigned char>;

constexpr std::size_t versionOffset = 6;  // after the magic number and the class identifier
constexpr std::size_t nilSize = 6;

// A template with a triangle of its own and an explosion named "bang".
std::unique_ptr<FmRocket> rocketTemplate() {
  auto rocket = std::make_unique<FmRocket>();
  rocket->setName("Bouncer");
  rocket->setSpeed(35);
  auto* frame = new FmMesh;
  EXPECT_TRUE(frame->setVertices({0, 0, 0, 1, 0, 0, 0, 1, 0}));
  rocket->setCurrentFrame(frame);
  rocket->setVertexCount(3);
  rocket->setExplosion(new FmObject("bang", nullptr, -1.0f));
  return rocket;
}

Bytes bytesOf(const RWCollectable& object) {
  TempFile path("record");
  {
    RWBinaryFile file(path.c_str(), "wb");
    writeObject(file, &object);
  }
  return path.bytes();
}

void setU32(Bytes& bytes, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<unsigned char>(value >> (8 * i));
}

// Replaces the record's closing nil explosion with other bytes.
Bytes withTail(Bytes bytes, const RecordBytes& tail) {
  bytes.resize(bytes.size() - nilSize);
  bytes.insert(bytes.end(), tail.bytes().begin(), tail.bytes().end());
  return bytes;
}

// Reads the file's outermost object under a read log; after an error, releases
// what was read and gives the error's text.
std::string readLogged(const Bytes& bytes, std::unique_ptr<RWCollectable>& result) {
  TempFile path("hostile");
  path.write(bytes);
  RWReadLog log;
  RWBinaryFile file(path.c_str(), "rb");
  try {
    result.reset(readObject(file));
  } catch (const RWxmsg& error) {
    log.destroyCreated();
    return error.why();
  }
  return {};
}

std::unique_ptr<FmRocket> readRocket(const Bytes& bytes) {
  std::unique_ptr<RWCollectable> read;
  EXPECT_EQ(readLogged(bytes, read), "");
  auto* rocket = dynamic_cast<FmRocket*>(read.get());
  EXPECT_NE(rocket, nullptr);
  if (rocket) read.release();
  return std::unique_ptr<FmRocket>(rocket);
}

}  // namespace

TEST(Rocket, DefaultsAndRegistration) {
  const FmRocket rocket;
  EXPECT_EQ(rocket.speed(), 20.0f);
  EXPECT_EQ(rocket.expiryTime(), 10.0f);
  EXPECT_EQ(rocket.name(), RWCString());
  EXPECT_EQ(rocket.parent(), nullptr);
  EXPECT_EQ(rocket.explosion(), nullptr);
  EXPECT_EQ(rocket.formatVersion(), FmNode().formatVersion());
  EXPECT_EQ(stringIdOf(FmRocket::id), RWCString("FmRocket"));
  const std::unique_ptr<RWCollectable> made(createByName("FmRocket"));
  ASSERT_NE(dynamic_cast<FmRocket*>(made.get()), nullptr);
  EXPECT_EQ(made->classId(), FmRocket::id);
}

TEST(RocketLaunch, TheLifetimeBecomesAnExpiryTimeAndTheRocketFliesFromTheLauncher) {
  const auto rocket = rocketTemplate();
  std::unique_ptr<FmNode> copy(rocket->duplicate());
  auto* fired = dynamic_cast<FmRocket*>(copy.get());
  ASSERT_NE(fired, nullptr);
  FmTransformController launcher;
  launcher.position().setValue({4, 5, 6});
  launcher.update(0, FmMatrix::identity());

  fired->launch(&launcher, 3);
  EXPECT_EQ(fired->expiryTime(), 13.0f);
  EXPECT_TRUE(fired->isAlive(13));
  EXPECT_FALSE(fired->isAlive(13.01f));
  EXPECT_EQ(rocket->expiryTime(), 10.0f);
  const auto* controller = dynamic_cast<FmRocketController*>(fired->controller());
  ASSERT_NE(controller, nullptr);
  EXPECT_EQ(controller->launchMatrix(), launcher.matrix());
  EXPECT_EQ(controller->speed(), 35.0f);
  EXPECT_EQ(controller->lastTime(), 0.0f);

  fired->update(3, FmMatrix::identity());
  fired->update(4, FmMatrix::identity());
  FmMatrix world;
  ASSERT_TRUE(fired->getWorldMatrix(world));
  EXPECT_EQ(world, FmMatrix::translation({5, 6, 7}));
  fired->update(5, FmMatrix::identity());
  ASSERT_TRUE(fired->getWorldMatrix(world));
  EXPECT_EQ(world, FmMatrix::translation({5, 6, -28}));
}

TEST(RocketLaunch, WithoutALauncherTheRocketOwnsAControllerAtTheWorldOrigin) {
  FmTransformController shared;
  FmRocket rocket;
  rocket.setFlags(0);
  rocket.setController(&shared);
  rocket.launch(nullptr, 1);
  const auto* controller = dynamic_cast<FmRocketController*>(rocket.controller());
  ASSERT_NE(controller, nullptr);
  EXPECT_EQ(controller->launchMatrix(), FmMatrix::identity());
  EXPECT_TRUE(rocket.ownsController());
  rocket.launch(nullptr, 2);              // destroys the first rocket controller, once
  EXPECT_EQ(rocket.expiryTime(), 13.0f);  // 1 + 10, then 2 + 11
}

TEST(RocketCopies, DuplicatesShareTheExplosionAndClonesOwnACopy) {
  const auto rocket = rocketTemplate();
  {
    std::unique_ptr<FmNode> node(rocket->duplicate());
    const auto* copy = dynamic_cast<FmRocket*>(node.get());
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->speed(), 35.0f);
    EXPECT_EQ(copy->explosion(), rocket->explosion());
    EXPECT_FALSE(copy->ownsExplosion());
    EXPECT_EQ(copy->ownsGeometry(), 0);
    EXPECT_EQ(copy->currentFrame(), rocket->currentFrame());
  }
  std::unique_ptr<RWCollectable> cloned(rocket->clone());
  const auto* copy = dynamic_cast<FmRocket*>(cloned.get());
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->speed(), 35.0f);
  ASSERT_NE(copy->explosion(), nullptr);
  EXPECT_NE(copy->explosion(), rocket->explosion());
  EXPECT_EQ(copy->explosion()->name(), RWCString("bang"));
  EXPECT_TRUE(copy->ownsExplosion());
  ASSERT_NE(rocket->explosion(), nullptr);
  EXPECT_EQ(rocket->explosion()->name(), RWCString("bang"));
}

TEST(RocketCopies, ReplacementReachesTheExplosion) {
  FmOpenGLTexture oldTexture("old");
  FmOpenGLTexture newTexture("new");
  const auto rocket = rocketTemplate();
  ASSERT_TRUE(rocket->addTexture(&oldTexture));
  ASSERT_TRUE(rocket->explosion()->addTexture(&oldTexture));
  rocket->replaceReference(&oldTexture, &newTexture);
  EXPECT_EQ(rocket->textureAt(0), &newTexture);
  EXPECT_EQ(rocket->explosion()->textureAt(0), &newTexture);
}

TEST(RocketRecord, WritesVersion102AndReadsBackItsExplosion) {
  const auto rocket = rocketTemplate();
  rocket->setExpiryTime(6);
  const Bytes bytes = bytesOf(*rocket);
  EXPECT_EQ(recursiveStoreSize(rocket.get()), bytes.size());
  RecordBytes head;
  head.u32(0x8888).u16(FmRocket::id).u32(102).u32(100).u32(102);
  ASSERT_GT(bytes.size(), head.bytes().size());
  EXPECT_TRUE(std::equal(head.bytes().begin(), head.bytes().end(), bytes.begin()));

  const auto back = readRocket(bytes);
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->speed(), 35.0f);
  EXPECT_EQ(back->expiryTime(), 6.0f);
  EXPECT_EQ(back->name(), RWCString("Bouncer"));
  ASSERT_NE(back->explosion(), nullptr);
  EXPECT_EQ(back->explosion()->name(), RWCString("bang"));
  EXPECT_TRUE(back->ownsExplosion());
  EXPECT_EQ(bytesOf(*back), bytes);
}

TEST(RocketRecord, OlderVersionsCarryTheLifetimeOrNothingAndNewerOnesStop) {
  FmRocket rocket;
  rocket.setSpeed(12);
  rocket.setExpiryTime(6);
  const Bytes written = bytesOf(rocket);
  ASSERT_EQ(recursiveStoreSize(&rocket), written.size());

  Bytes v100 = withTail(written, RecordBytes().f32(8.5f));
  setU32(v100, versionOffset, 100);
  auto back = readRocket(v100);
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->speed(), 12.0f);
  EXPECT_EQ(back->expiryTime(), 8.5f);

  Bytes v101 = withTail(written, RecordBytes());
  setU32(v101, versionOffset, 101);
  back = readRocket(v101);
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->speed(), 12.0f);
  EXPECT_EQ(back->expiryTime(), 6.0f);

  Bytes v103 = written;
  setU32(v103, versionOffset, 103);
  TempFile path("v103");
  path.write(v103);
  RWBinaryFile file(path.c_str(), "rb");
  const std::unique_ptr<RWCollectable> read(readObject(file));
  const auto* stopped = dynamic_cast<const FmRocket*>(read.get());
  ASSERT_NE(stopped, nullptr);
  EXPECT_EQ(stopped->speed(), 20.0f);
  std::uint32_t next = 0;
  ASSERT_TRUE(file.read(next));
  EXPECT_EQ(next, 100u);
}

TEST(RocketRecord, ReadingIntoARocketFirstLetsGoOfItsExplosion) {
  auto rocket = rocketTemplate();
  FmRocket plain;
  plain.setSpeed(3);
  TempFile path("into");
  path.write(bytesOf(plain));
  RWBinaryFile file(path.c_str(), "rb");
  readObject(file, rocket.get());
  EXPECT_EQ(rocket->explosion(), nullptr);
  EXPECT_EQ(rocket->speed(), 3.0f);
  EXPECT_EQ(rocket->positions().size(), 0u);
}

TEST(RocketHostileRecords, AnExplosionOfAnotherClassIsRefused) {
  RecordBytes node;
  node.u16(FmNode::id).u32(102).text("node").u16(0xFFFF).u32(0).u16(0xFFFF).u32(0).u32(3);
  node.u16(0x8028).u32(0).f32(-1.0f);
  std::unique_ptr<RWCollectable> read;
  EXPECT_NE(readLogged(withTail(bytesOf(FmRocket()), node), read).find("[TYPE]"),
            std::string::npos);
}

TEST(RocketHostileRecords, AnExplosionReadBeforeIsSharedNotOwned) {
  RWOrdered list;
  FmObject first("first", nullptr, -1.0f);
  FmRocket rocket;
  list.append(&first);
  list.append(&rocket);
  // The list is number 1 and the first object number 2.
  const Bytes bytes = withTail(bytesOf(list), RecordBytes().u16(0xFFFF).u32(2));
  std::unique_ptr<RWCollectable> read;
  ASSERT_EQ(readLogged(bytes, read), "");
  auto* back = static_cast<RWOrdered*>(read.get());
  const auto* backRocket = dynamic_cast<FmRocket*>(back->elementAt(1));
  ASSERT_NE(backRocket, nullptr);
  EXPECT_EQ(backRocket->explosion(), back->elementAt(0));
  EXPECT_FALSE(backRocket->ownsExplosion());
  back->clearAndDestroy();
}

TEST(RocketHostileRecords, AnExplosionLeadingBackToTheRocketIsCopiedAndReplacedOnce) {
  const Bytes bytes = withTail(bytesOf(FmRocket()), RecordBytes().u16(0xFFFF).u32(1));
  auto rocket = readRocket(bytes);
  ASSERT_NE(rocket, nullptr);
  ASSERT_EQ(rocket->explosion(), rocket.get());
  FmOpenGLTexture oldTexture("old");
  FmOpenGLTexture newTexture("new");
  ASSERT_TRUE(rocket->addTexture(&oldTexture));
  rocket->replaceReference(&oldTexture, &newTexture);
  EXPECT_EQ(rocket->textureAt(0), &newTexture);
  const std::unique_ptr<RWCollectable> cloned(rocket->clone());
  const auto* copy = dynamic_cast<const FmRocket*>(cloned.get());
  ASSERT_NE(copy, nullptr);
  ASSERT_NE(copy->explosion(), nullptr);
  EXPECT_TRUE(copy->ownsExplosion());
  const auto* inner = dynamic_cast<const FmRocket*>(copy->explosion());
  ASSERT_NE(inner, nullptr);
  EXPECT_EQ(inner->explosion(), rocket.get());
  EXPECT_FALSE(inner->ownsExplosion());
}

TEST(RocketHostileRecords, ANewExplosionInsideATreeIsRefusedAndReleasedOnce) {
  FmNode holder("holder", nullptr, -1.0f);
  FmRocket rocket;
  auto* explosion = new FmObject("bang", nullptr, -1.0f);
  explosion->setParent(&holder);
  rocket.setExplosion(explosion);
  std::unique_ptr<RWCollectable> read;
  EXPECT_NE(readLogged(bytesOf(rocket), read).find("[TREE]"), std::string::npos);
  EXPECT_EQ(read, nullptr);
}
