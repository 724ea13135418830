#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "FmCamera.h"
#include "FmLight.h"
#include "FmNode.h"
#include "RWBinaryFile.h"
#include "RWErrors.h"
#include "RWObjectProtocol.h"
#include "RecordBytes.h"
#include "TempFile.h"

namespace {

constexpr std::uint16_t orderedId = 0x8028;

RecordBytes& nil(RecordBytes& bytes) {
  return bytes.u16(0xFFFF).u32(0);
}

// A node record without a controller; its children list follows.
RecordBytes& nodeHead(RecordBytes& bytes, std::uint32_t version, const std::string& name,
                      std::uint32_t parentNumber, std::uint32_t flags) {
  bytes.u16(FmNode::id).u32(version).text(name);
  nil(bytes);
  bytes.u16(0xFFFF).u32(parentNumber).u32(flags);
  return bytes;
}

void writeBytes(const TempFile& path, const RecordBytes& bytes) {
  RWBinaryFile file(path.c_str(), "wb");
  file.write(reinterpret_cast<const char*>(bytes.bytes().data()), bytes.bytes().size());
}

std::string readError(const TempFile& path) {
  RWBinaryFile file(path.c_str(), "rb");
  RWReadLog log;
  try {
    std::unique_ptr<RWCollectable> read(readObject(file));
  } catch (const RWxmsg& error) {
    log.destroyCreated();
    return error.why();
  }
  return "no error";
}

FmTransformController* movingController() {
  auto* controller = new FmTransformController;
  controller->addPositionKey({5, 0, 0}, 0.0f);
  controller->addPositionKey({10, 0, 0}, 1.0f);
  return controller;
}

TEST(NodeTest, ExpiryIsInclusiveAndMinusOneNeverExpires) {
  FmNode forever("a", nullptr, -1.0f);
  EXPECT_TRUE(forever.isAlive(1e9f));
  FmNode mortal("b", nullptr, 5.0f);
  EXPECT_TRUE(mortal.isAlive(5.0f));
  EXPECT_FALSE(mortal.isAlive(5.0001f));
}

TEST(NodeTest, UpdateClampsOffsetTimeAndPassesMatrixWithoutController) {
  FmNode parent("p", nullptr, -1.0f);
  parent.setTimeOffset(2.0f);
  auto* child = new FmNode("c", nullptr, -1.0f);
  child->setController(movingController());
  ASSERT_TRUE(parent.appendChild(child));
  const FmMatrix moved = FmMatrix::translation({1, 2, 3});
  EXPECT_EQ(parent.update(1.0f, moved), 0);
  FmPoint position;
  ASSERT_TRUE(child->getPosition(position));
  EXPECT_EQ(position, (FmPoint{5, 0, 0}));  // local time 0, not -1 (before the first key)
  FmMatrix world;
  ASSERT_TRUE(child->getWorldMatrix(world));
  EXPECT_FLOAT_EQ(world[12], 6.0f);
  EXPECT_FALSE(parent.getWorldMatrix(world));
}

TEST(NodeTest, CloneAndDuplicateCopyTheSubtree) {
  FmNode holder("holder", nullptr, -1.0f);
  auto* light = new FmLight("lamp", nullptr, 7.0f);
  light->setController(movingController());
  light->appendChild(new FmNode("bulb", nullptr, -1.0f));
  holder.appendChild(light);

  std::unique_ptr<FmNode> copy(light->duplicate());
  EXPECT_EQ(copy->classId(), FmNode::id);
  EXPECT_EQ(copy->name(), "lamp");
  EXPECT_EQ(copy->parent(), &holder);
  EXPECT_EQ(copy->expiryTime(), 7.0f);
  ASSERT_NE(copy->controller(), nullptr);
  EXPECT_NE(copy->controller(), light->controller());
  ASSERT_EQ(copy->childCount(), 1u);
  EXPECT_EQ(copy->childAt(0)->parent(), copy.get());
  EXPECT_EQ(holder.childCount(), 1u);

  std::unique_ptr<FmNode> cloned(static_cast<FmNode*>(light->clone()));
  EXPECT_EQ(cloned->classId(), FmLight::id);
  EXPECT_EQ(cloned->childAt(0)->name(), "bulb");

  FmNode bare("bare", nullptr, -1.0f);
  std::unique_ptr<FmNode> bareCopy(bare.duplicate());
  EXPECT_EQ(bareCopy->controller(), nullptr);
}

TEST(NodeTest, TreeSurvivesWriteAndRead) {
  TempFile path("tree");
  {
    FmNode root("root", nullptr, -1.0f);
    root.setController(movingController());
    auto* child = new FmNode("child", nullptr, 3.5f);
    root.appendChild(child);
    child->appendChild(new FmCamera("eye", nullptr, -1.0f));
    RWBinaryFile file(path.c_str(), "wb");
    writeObject(file, &root);
    EXPECT_EQ(file.currentOffset(), recursiveStoreSize(&root));
  }
  RWBinaryFile file(path.c_str(), "rb");
  std::unique_ptr<FmNode> read(dynamic_cast<FmNode*>(readObject(file)));
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(read->name(), "root");
  ASSERT_NE(read->controller(), nullptr);
  ASSERT_EQ(read->childCount(), 1u);
  const FmNode* child = read->childAt(0);
  EXPECT_EQ(child->parent(), read.get());
  EXPECT_EQ(child->expiryTime(), 3.5f);
  ASSERT_EQ(child->childCount(), 1u);
  EXPECT_EQ(child->childAt(0)->classId(), FmCamera::id);
}

TEST(NodeTest, OldVersionsForceFlagsAndExpiry) {
  for (const std::uint32_t version : {100u, 101u}) {
    TempFile path("old");
    RecordBytes bytes;
    bytes.u32(0x8888);
    nodeHead(bytes, version, "old", 0, 0).u16(orderedId).u32(0);
    if (version == 101) bytes.f32(4.0f);
    writeBytes(path, bytes);
    RWBinaryFile file(path.c_str(), "rb");
    std::unique_ptr<FmNode> read(dynamic_cast<FmNode*>(readObject(file)));
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->flags(), 3u);
    EXPECT_EQ(read->expiryTime(), version == 100 ? -1.0f : 4.0f);
  }
}

// Numbers: 1 the outer node, 2 its children list, 3 the first child.
TEST(NodeTest, HostileTreesAreRefused) {
  struct Case {
    const char* what;
    RecordBytes bytes;
  };
  RecordBytes twice;
  twice.u32(0x8888);
  nodeHead(twice, 102, "top", 0, 3).u16(orderedId).u32(2);
  nodeHead(twice, 102, "kid", 1, 3).u16(orderedId).u32(0).f32(-1.0f);
  twice.u16(0xFFFF).u32(3).f32(-1.0f);

  RecordBytes stranger;
  stranger.u32(0x8888);
  nodeHead(stranger, 102, "top", 0, 3).u16(orderedId).u32(1);
  nodeHead(stranger, 102, "kid", 0, 3).u16(orderedId).u32(0).f32(-1.0f).f32(-1.0f);

  RecordBytes cycle;  // the child lists the outer node, which names the child as parent
  cycle.u32(0x8888).u16(FmNode::id).u32(102).text("top");
  nil(cycle);
  nodeHead(cycle, 102, "kid", 1, 3).u16(orderedId).u32(1).u16(0xFFFF).u32(1).f32(-1.0f);
  cycle.u32(3).u16(orderedId).u32(1).u16(0xFFFF).u32(2).f32(-1.0f);

  RecordBytes notNode;
  notNode.u32(0x8888);
  nodeHead(notNode, 102, "top", 0, 3).u16(orderedId).u32(1).u16(FmTransformController::id);
  notNode.u32(100);

  for (const auto& [what, bytes] : {Case{"twice", twice}, Case{"stranger", stranger},
                                    Case{"cycle", cycle}, Case{"notNode", notNode}}) {
    TempFile path(what);
    writeBytes(path, bytes);
    const std::string error = readError(path);
    EXPECT_TRUE(error.find("[TREE]") != std::string::npos ||
                error.find("[TYPE]") != std::string::npos)
        << what << ": " << error;
  }
}

TEST(NodeTest, ControllerOfAnotherNodeIsNotOwnedTwice) {
  TempFile path("shared");
  {
    FmNode top("top", nullptr, -1.0f);
    top.setController(movingController());
    auto* kid = new FmNode("kid", nullptr, -1.0f);
    top.appendChild(kid);
    kid->setController(top.controller());  // stored with both ownership flags
    RWBinaryFile file(path.c_str(), "wb");
    writeObject(file, &top);
    kid->setFlags(FmNode::ownsChildrenFlag);
  }
  RWBinaryFile file(path.c_str(), "rb");
  std::unique_ptr<FmNode> read(dynamic_cast<FmNode*>(readObject(file)));
  ASSERT_NE(read, nullptr);
  ASSERT_EQ(read->childCount(), 1u);
  EXPECT_TRUE(read->ownsController());
  EXPECT_EQ(read->childAt(0)->controller(), read->controller());
  EXPECT_FALSE(read->childAt(0)->ownsController());
}

}  // namespace
