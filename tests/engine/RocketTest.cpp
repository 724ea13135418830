#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "CountedNode.h"
#include "FakeClock.h"
#include "FmAnimatedMesh.h"
#include "FmBillboardController.h"
#include "FmBoidController.h"
#include "FmCamera.h"
#include "FmEngine.h"
#include "FmFace.h"
#include "FmFlightController.h"
#include "FmFlock.h"
#include "FmMesh.h"
#include "FmObject.h"
#include "FmOpenGLAnimatedTexture.h"
#include "FmOpenGLTexture.h"
#include "FmRocket.h"
#include "FmRocketController.h"
#include "FmWorker.h"
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

// A file may say that the explosion or its debris does not own its children; nothing
// else holds them, so the rocket takes them along all the same.
TEST(RocketRecord, AnExplosionThatSaysItOwnsNoChildrenStillGoesWithItsDebris) {
  int destroyed = 0;
  {
    const auto rocket = rocketTemplate();
    FmObject* explosion = rocket->explosion();
    auto* debris = new CountedNode(destroyed);
    ASSERT_TRUE(explosion->appendChild(debris));
    ASSERT_TRUE(debris->appendChild(new CountedNode(destroyed)));
    explosion->setFlags(0);
    debris->setFlags(0);
  }
  EXPECT_EQ(destroyed, 2);
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

// ---- hits ---------------------------------------------------------------------

namespace {

constexpr std::uint64_t frameMilliseconds = 40;
constexpr float birdSpeed = 2.0f;

FmMesh* triangleFrame(float size) {
  auto* frame = new FmMesh;
  EXPECT_TRUE(frame->setVertices({-size, -size, 0, size, -size, 0, 0, size, 0}));
  return frame;
}

// A target with one triangle around its origin in its xy plane, across the path of
// rockets flying along z. Its second animation is the knocked-out pose.
FmObject* birdNamed(const char* name) {
  auto* bird = new FmObject(name, nullptr, -1.0f);
  for (int i = 0; i < 2; ++i) {
    auto* animation = new FmAnimatedMesh;
    EXPECT_TRUE(animation->addFrame(triangleFrame(2.0f)));
    EXPECT_TRUE(bird->addAnimation(animation));
  }
  bird->selectAnimation(0);
  bird->setVertexCount(3);
  auto* faces = new RWOrdered;
  auto* face = new FmFace;
  face->setVertexIndex({0, 1, 2});
  faces->append(face);
  EXPECT_TRUE(bird->setFaces(faces));
  bird->setContactFlags(FmObject::targetFlag);
  bird->computeBounds(0);
  return bird;
}

void placeAt(FmNode& node, const FmPoint& position) {
  auto* controller = new FmTransformController;
  controller->position().setValue(position);
  node.setController(controller);
}

// A collider of radius 1 (its vertices one unit from its origin).
FmRocket* rocketNamed(const char* name) {
  auto* rocket = new FmRocket;
  rocket->setName(name);
  auto* frame = new FmMesh;
  EXPECT_TRUE(frame->setVertices({1, 0, 0, 0, 1, 0, 0, 0, 1}));
  rocket->setCurrentFrame(frame);
  rocket->setVertexCount(3);
  rocket->setContactFlags(FmObject::colliderFlag);
  rocket->computeBounds(0);
  return rocket;
}

// A rocket launched from the world origin frame: it sits at (1, 1, 1) until it
// has been updated twice.
FmRocket* launchedRocket(FmWorker& worker, float time) {
  FmRocket* rocket = rocketNamed("shot");
  worker.addNode(rocket, nullptr);
  rocket->launch(nullptr, time);
  rocket->update(time, FmMatrix::identity());
  return rocket;
}

FmNode* childNamed(const FmNode& node, const char* name) {
  for (std::size_t i = 0; i < node.childCount(); ++i) {
    if (node.childAt(i)->name().view() == name) return node.childAt(i);
  }
  return nullptr;
}

FmPoint translationOf(const FmMatrix& m) {
  return {m[12], m[13], m[14]};
}

void expectNear(const FmPoint& actual, const FmPoint& expected) {
  EXPECT_NEAR(actual.x, expected.x, 1e-4f);
  EXPECT_NEAR(actual.y, expected.y, 1e-4f);
  EXPECT_NEAR(actual.z, expected.z, 1e-4f);
}

// An engine over a scene built in code: a camera, a rocket template whose explosion
// flashes through a four-frame animated texture of 0.2 s frames and throws a piece
// of debris, and a flock of two birds.
class RocketHit : public ::testing::Test {
protected:
  void SetUp() override {
    camera = new FmCamera("eye", nullptr, -1.0f);
    worker.addNode(camera, nullptr);
    worker.setCamera(camera);
    auto* flash = new FmOpenGLAnimatedTexture("flash");
    for (int i = 0; i < 4; ++i) ASSERT_TRUE(flash->addFrame(new FmOpenGLTexture("frame")));
    flash->setFrameInterval(0.2f);
    ASSERT_TRUE(engine.scene().addTexture(flash));
    auto* explosion = new FmObject("bang", nullptr, -1.0f);
    ASSERT_TRUE(explosion->addTexture(flash));
    explosion->appendChild(new FmObject("debris", nullptr, -1.0f));
    FmRocket* shot = rocketNamed("shot");
    shot->setExplosion(explosion);
    ASSERT_TRUE(worker.addTemplate(shot));
    worker.findTemplate("shot");
  }

  // Two birds flying straight along -z: the hunted one in the line of fire at z =
  // -10, the other far to the side.
  void startWithFlock() {
    flock = new FmFlock;
    flock->setName("birds");
    flock->setPrototype(birdNamed("bird"), true);
    ASSERT_TRUE(flock->setMemberCount(2));
    flock->setNeighbourRadius(1.0f);
    flock->setRepelThreshold(0.5f);
    flock->setCruiseFactor(1.0f);
    placeAt(*flock, {1, 1, -10});
    worker.addNode(flock, nullptr);
    engine.start(640, 480);
    ASSERT_EQ(flock->childCount(), 2u);
    hunted = static_cast<FmObject*>(flock->childAt(0));
    spared = static_cast<FmObject*>(flock->childAt(1));
    fly(*hunted, {1, 1, -10});
    fly(*spared, {30, 1, -10});
  }

  static void fly(FmNode& member, const FmPoint& position) {
    auto* boid = static_cast<FmBoidController*>(member.controller());
    boid->position().setValue(position);
    boid->setHeading({0, 0, -1});
    boid->setSpeed(birdSpeed);
    boid->setCruiseSpeed(birdSpeed);
    member.setTimeOffset(0);
  }

  float nextFrame() {
    clock.advanceMilliseconds(frameMilliseconds);
    const float time = engine.currentTime();
    engine.frame(0, 0, 0, 0, 0, 0);
    return time;
  }

  FakeClock clock;
  FmEngine engine{clock};
  FmWorker& worker = engine.scene().worker();
  FmCamera* camera = nullptr;
  FmFlock* flock = nullptr;
  FmObject* hunted = nullptr;
  FmObject* spared = nullptr;
};

}  // namespace

TEST_F(RocketHit, AHitCreatureLeavesItsFlockCoastsAndExplodesUntilEachIsPruned) {
  startWithFlock();
  clock.advanceMilliseconds(frameMilliseconds);
  FmRocket* rocket = worker.launchProjectile(engine.currentTime());
  ASSERT_NE(rocket, nullptr);
  engine.frame(0, 0, 0, 0, 0, 0);
  float hitTime = -1;
  for (int frame = 0; frame < 60 && flock->childCount() == 2; ++frame) hitTime = nextFrame();
  ASSERT_EQ(flock->childCount(), 1u) << "the rocket never hit";
  EXPECT_EQ(flock->childAt(0), spared);
  EXPECT_EQ(rocket->expiryTime(), 0.0f);
  EXPECT_EQ(rocket->contactFlags(), 0u);

  // The creature, knocked out, under the root and in the lists once.
  EXPECT_EQ(hunted->parent(), &worker.root());
  EXPECT_EQ(worker.objects().occurrencesOf(hunted), 1u);
  EXPECT_EQ(hunted->contactFlags(), 0u);
  EXPECT_EQ(hunted->timeOffset(), hitTime);
  EXPECT_EQ(hunted->expiryTime(), hitTime + 2.0f);
  EXPECT_EQ(hunted->currentAnimation(), 1);
  EXPECT_EQ(hunted->currentFrame(), hunted->animationAt(1)->frameAt(0));
  const auto* coasting = dynamic_cast<FmRocketController*>(hunted->controller());
  ASSERT_NE(coasting, nullptr);
  EXPECT_FLOAT_EQ(coasting->speed(), birdSpeed);
  const FmMatrix hitMatrix = coasting->launchMatrix();
  const FmPoint hitPoint = translationOf(hitMatrix);
  EXPECT_NEAR(hitPoint.x, 1.0f, 1e-4f);
  EXPECT_NEAR(hitPoint.y, 1.0f, 1e-4f);
  EXPECT_LT(hitPoint.z, -10.0f);

  // The explosion under the camera, facing it at the hit point; its debris under
  // the root, placed there in world coordinates.
  ASSERT_EQ(camera->childCount(), 1u);
  auto* explosion = dynamic_cast<FmObject*>(camera->childAt(0));
  ASSERT_NE(explosion, nullptr);
  EXPECT_EQ(explosion->name(), RWCString("bang"));
  EXPECT_EQ(explosion->timeOffset(), hitTime);
  EXPECT_EQ(explosion->expiryTime(), hitTime + 0.8f);
  EXPECT_EQ(explosion->childCount(), 0u);
  EXPECT_EQ(worker.objects().occurrencesOf(explosion), 1u);
  const auto* billboard = dynamic_cast<FmBillboardController*>(explosion->controller());
  ASSERT_NE(billboard, nullptr);
  EXPECT_EQ(billboard->faceCamera(), 1);
  expectNear(billboard->position().value(), hitPoint);
  auto* debris = dynamic_cast<FmObject*>(childNamed(worker.root(), "debris"));
  ASSERT_NE(debris, nullptr);
  EXPECT_EQ(debris->expiryTime(), hitTime + 0.8f);
  EXPECT_EQ(debris->timeOffset(), hitTime);
  EXPECT_EQ(debris->doubleSided(), 1);
  EXPECT_EQ(worker.objects().occurrencesOf(debris), 1u);
  ASSERT_NE(debris->controller(), nullptr);
  expectNear(debris->controller()->position().value(), hitPoint);

  // The rocket goes at once; the creature flies on along its -z axis.
  nextFrame();
  EXPECT_EQ(worker.root().children().occurrencesOf(rocket), 0u);
  nextFrame();
  FmMatrix world;
  ASSERT_TRUE(hunted->getWorldMatrix(world));
  expectNear(translationOf(world), hitPoint);
  for (int frame = 3; frame <= 19; ++frame) nextFrame();
  ASSERT_TRUE(hunted->getWorldMatrix(world));
  const float coasted = birdSpeed * 0.04f * 17;
  expectNear(translationOf(world), {hitPoint.x, hitPoint.y, hitPoint.z - coasted});
  EXPECT_EQ(camera->childAt(0), explosion);
  EXPECT_EQ(childNamed(worker.root(), "debris"), debris);

  // The explosion lives its texture's animation length, the creature 2 s.
  nextFrame();
  nextFrame();
  EXPECT_EQ(camera->childCount(), 0u);
  EXPECT_EQ(childNamed(worker.root(), "debris"), nullptr);
  EXPECT_EQ(worker.objects().occurrencesOf(hunted), 1u);
  for (int frame = 22; frame <= 49; ++frame) nextFrame();
  EXPECT_EQ(hunted->parent(), &worker.root());
  nextFrame();
  nextFrame();
  EXPECT_EQ(childNamed(worker.root(), "bird"), nullptr);
  EXPECT_EQ(worker.objects().entryCount(), 1u);
  EXPECT_EQ(flock->childCount(), 1u);
  EXPECT_FALSE(engine.winEvent());
}

TEST_F(RocketHit, ATargetIsKnockedOutOnceWhenTwoRocketsHitItInOnePass) {
  FmObject* target = birdNamed("target");
  placeAt(*target, {1, 1, 1});
  worker.addNode(target, nullptr);
  target->update(3, FmMatrix::identity());
  FmRocket* first = launchedRocket(worker, 3);
  FmRocket* second = launchedRocket(worker, 3);
  first->setExplosion(new FmObject("bang", nullptr, -1.0f));
  second->setExplosion(new FmObject("bang", nullptr, -1.0f));
  worker.collide(3);
  EXPECT_EQ(first->expiryTime(), 0.0f);
  EXPECT_EQ(second->expiryTime(), 13.0f);
  EXPECT_EQ(second->contactFlags(), FmObject::colliderFlag);
  EXPECT_EQ(target->expiryTime(), 5.0f);
  EXPECT_EQ(camera->childCount(), 1u);
}

TEST(RocketHitWithoutCamera, TheExplosionHangsUnderTheRootAndStillExpires) {
  FakeClock clock;
  FmEngine engine(clock);
  FmWorker& worker = engine.scene().worker();
  FmObject* target = birdNamed("target");
  placeAt(*target, {1, 1, 1});
  worker.addNode(target, nullptr);
  target->update(3, FmMatrix::identity());
  FmRocket* rocket = launchedRocket(worker, 3);
  auto* explosion = new FmObject("bang", nullptr, -1.0f);
  explosion->appendChild(new FmObject("debris", nullptr, -1.0f));
  rocket->setExplosion(explosion);
  worker.collide(3);
  auto* placed = dynamic_cast<FmObject*>(childNamed(worker.root(), "bang"));
  ASSERT_NE(placed, nullptr);
  EXPECT_NE(placed, explosion);
  EXPECT_EQ(placed->expiryTime(), 5.0f);
  EXPECT_NE(childNamed(worker.root(), "debris"), nullptr);
  EXPECT_EQ(explosion->childCount(), 1u);
  worker.updateScene(5.5f);
  EXPECT_EQ(worker.root().childCount(), 0u);
}

TEST_F(RocketHit, ARocketWithoutExplosionKnocksOutATargetOutsideAFlockWhereItIs) {
  auto* group = new FmNode("group", nullptr, -1.0f);
  worker.addNode(group, nullptr);
  FmObject* target = birdNamed("target");
  placeAt(*target, {1, 1, 1});
  auto* part = new FmObject("wing", nullptr, -1.0f);
  target->appendChild(part);
  worker.addNode(target, group);
  target->update(3, FmMatrix::identity());
  FmRocket* rocket = launchedRocket(worker, 3);
  worker.collide(3);
  EXPECT_EQ(rocket->expiryTime(), 0.0f);
  EXPECT_EQ(target->parent(), group);
  EXPECT_EQ(target->expiryTime(), 5.0f);
  EXPECT_EQ(target->timeOffset(), 3.0f);
  EXPECT_EQ(part->timeOffset(), 3.0f);
  EXPECT_EQ(part->visibilityTrack().value(), 0.0f);
  EXPECT_EQ(target->visibilityTrack().value(), 1.0f);
  const auto* coasting = dynamic_cast<FmRocketController*>(target->controller());
  ASSERT_NE(coasting, nullptr);
  EXPECT_EQ(coasting->speed(), 0.0f);
  EXPECT_TRUE(target->ownsController());
  EXPECT_EQ(camera->childCount(), 0u);
  worker.updateScene(3.5f);
  worker.updateScene(4.0f);
  FmMatrix world;
  ASSERT_TRUE(target->getWorldMatrix(world));
  expectNear(translationOf(world), {1, 1, 1});
}

TEST_F(RocketHit, ATargetCarryingTheFlightControllerMakesTheWorkerForgetIt) {
  FmObject* craft = birdNamed("craft");
  auto* flight = new FmFlightController;
  craft->setController(flight);
  worker.setFlightController(flight);
  worker.addNode(craft, nullptr);
  craft->update(3, FmMatrix::identity());
  ASSERT_EQ(worker.flightController(), flight);
  launchedRocket(worker, 3);
  worker.collide(3);
  EXPECT_EQ(craft->expiryTime(), 5.0f);
  EXPECT_EQ(worker.flightController(), nullptr);
  worker.steer({10, 0, 0}, 1, 4);
}

TEST(RocketHitWithoutEngine, TheTargetIsKnockedOutAndNothingExplodes) {
  ASSERT_EQ(FmEngine::instance(), nullptr);
  FmNode group("group", nullptr, -1.0f);
  auto* flock = new FmFlock;
  group.appendChild(flock);
  FmObject* target = birdNamed("target");
  placeAt(*target, {1, 1, 1});
  flock->appendChild(target);
  target->update(3, FmMatrix::identity());
  FmRocket* rocket = rocketNamed("shot");
  group.appendChild(rocket);
  rocket->setExplosion(new FmObject("bang", nullptr, -1.0f));
  rocket->launch(nullptr, 3);
  rocket->update(3, FmMatrix::identity());
  EXPECT_TRUE(rocket->contact(target, 3));
  EXPECT_EQ(rocket->expiryTime(), 0.0f);
  EXPECT_EQ(target->expiryTime(), 5.0f);
  EXPECT_EQ(target->contactFlags(), 0u);
  EXPECT_EQ(target->parent(), flock);
  EXPECT_EQ(group.childCount(), 2u);
  EXPECT_FALSE(rocket->contact(target, 3));
}

TEST_F(RocketHit, EmptyingTheFlockWinsTheLevelExactlyOnce) {
  startWithFlock();
  fly(*spared, {1, 1, -20});
  int wins = 0;
  for (int frame = 0; frame < 150; ++frame) {
    if (frame == 0 || frame == 40) worker.launchProjectile(engine.currentTime());
    nextFrame();
    if (engine.winEvent()) {
      ++wins;
      engine.setWinEvent(false);
    }
  }
  EXPECT_EQ(flock->childCount(), 0u);
  EXPECT_EQ(wins, 1);
  EXPECT_FALSE(engine.failEvent());
}
