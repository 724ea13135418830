#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "FmBillboardController.h"
#include "FmCamera.h"
#include "FmEnvironController.h"
#include "FmFlightController.h"
#include "FmMaterial.h"
#include "FmObject.h"
#include "FmOpenGLTexture.h"
#include "FmRocket.h"
#include "FmTimerBarController.h"
#include "FmTransformController.h"
#include "FmWorker.h"

namespace {

FmTransformController* placed(const FmPoint& position) {
  auto* controller = new FmTransformController;
  controller->position().setValue(position);
  return controller;
}

FmObject* objectAt(const char* name, const FmPoint& position, float expiry = -1.0f) {
  auto* object = new FmObject(name, nullptr, expiry);
  object->setController(placed(position));
  return object;
}

FmCamera* cameraAt(const char* name, const FmPoint& position, float expiry = -1.0f) {
  auto* camera = new FmCamera(name, nullptr, expiry);
  camera->setController(placed(position));
  camera->setFarClip(10000.0f);
  return camera;
}

FmNode* nodeWith(const char* name, FmTransformController* controller, float expiry = -1.0f) {
  auto* node = new FmNode(name, nullptr, expiry);
  node->setController(controller);
  return node;
}

std::vector<std::string> namesOf(const RWOrdered& list) {
  std::vector<std::string> names;
  for (std::size_t i = 0; i < list.entryCount(); ++i) {
    names.emplace_back(static_cast<const FmNode*>(list.elementAt(i))->name().view());
  }
  return names;
}

std::vector<std::string> namesOf(const FmNode& node) {
  return namesOf(node.children());
}

// ---- update and pruning ---------------------------------------------------------

TEST(WorkerUpdate, ExpiredNodesLeaveTreeAndListsInTheSameFrame) {
  FmWorker worker;
  FmNode* group = new FmNode("group", nullptr, -1.0f);
  worker.addNode(group, nullptr);
  worker.addNode(objectAt("early", {0, 0, -5}, 1.0f), nullptr);
  worker.addNode(objectAt("alsoEarly", {0, 0, -5}, 1.5f), nullptr);
  worker.addNode(objectAt("exact", {0, 0, -5}, 2.0f), nullptr);
  worker.addNode(new FmCamera("lens", nullptr, 1.0f), group);
  worker.addNode(objectAt("kept", {0, 0, -5}), group);
  worker.addNode(objectAt("carried", {0, 0, -5}), worker.root().childAt(1));

  worker.updateScene(2.0f);
  EXPECT_EQ(namesOf(worker.root()), (std::vector<std::string>{"group", "exact"}));
  EXPECT_EQ(namesOf(*group), (std::vector<std::string>{"kept"}));
  EXPECT_EQ(namesOf(worker.objects()), (std::vector<std::string>{"exact", "kept"}));
  EXPECT_EQ(worker.cameras().entryCount(), 0u);

  worker.updateScene(2.5f);
  EXPECT_EQ(namesOf(worker.root()), (std::vector<std::string>{"group"}));
}

TEST(WorkerUpdate, ViewerFollowsTheCameraController) {
  FmWorker worker;
  FmCamera* camera = cameraAt("eye", {1, 2, 3});
  camera->controller()->scale().setValue({3, 3, 3});
  worker.addNode(camera, nullptr);
  worker.setCamera(camera);
  worker.addNode(objectAt("ahead", {1, 2, -7}), nullptr);
  worker.addNode(objectAt("behind", {1, 2, 13}), nullptr);

  worker.updateScene(0.0f);
  EXPECT_EQ(worker.cameraMatrix().m, camera->controller()->matrix().m);
  EXPECT_EQ(worker.viewer().position, (FmPoint{1, 2, 3}));
  EXPECT_FLOAT_EQ(worker.viewer().direction.z, -1.0f);
  EXPECT_FLOAT_EQ(worker.viewer().direction.x, 0.0f);
  EXPECT_FLOAT_EQ(static_cast<FmObject*>(worker.objects().elementAt(0))->viewDistance(), 10.0f);
  EXPECT_EQ(static_cast<FmObject*>(worker.objects().elementAt(1))->viewDistance(), 0.0f);
}

TEST(WorkerUpdate, BlendedObjectsSortNearToFar) {
  FmWorker worker;
  FmCamera* camera = cameraAt("eye", {0, 0, 0});
  worker.addNode(camera, nullptr);
  worker.setCamera(camera);
  const std::vector<std::pair<const char*, float>> placements{
      {"mid", -10}, {"far", -30}, {"near", -2}, {"hidden", 40}, {"mid2", -10}, {"far2", -25}};
  for (const auto& [name, z] : placements) {
    FmObject* object = objectAt(name, {0, 0, z});
    object->setBlendMode(3);
    worker.addNode(object, nullptr);
  }
  worker.updateScene(0.0f);
  const std::vector<std::string> order = namesOf(worker.blendObjects());
  EXPECT_EQ(order.front(), "hidden");
  EXPECT_EQ(order[1], "near");
  EXPECT_EQ(std::vector<std::string>(order.begin() + 4, order.end()),
            (std::vector<std::string>{"far2", "far"}));
}

TEST(WorkerUpdate, LongBlendListsStaySortedFrameAfterFrame) {
  FmWorker worker;
  FmCamera* camera = cameraAt("eye", {0, 0, 0});
  worker.addNode(camera, nullptr);
  worker.setCamera(camera);
  constexpr int count = 3000;
  for (int i = 0; i < count; ++i) {
    const float z = -1.0f - static_cast<float>((i * 7919) % count);
    FmObject* object = objectAt("piece", {0, 0, z});
    object->setBlendMode(5);
    worker.addNode(object, nullptr);
  }
  for (int frame = 0; frame < 3; ++frame) {
    worker.updateScene(static_cast<float>(frame));
    const RWOrdered& list = worker.blendObjects();
    ASSERT_EQ(list.entryCount(), static_cast<std::size_t>(count));
    for (std::size_t i = 1; i < list.entryCount(); ++i) {
      ASSERT_LE(static_cast<const FmObject*>(list.elementAt(i - 1))->viewDistance(),
                static_cast<const FmObject*>(list.elementAt(i))->viewDistance());
    }
  }
}

TEST(WorkerUpdate, GroupingByMaterialPutsSharersTogether) {
  FmWorker worker;
  std::vector<FmObject*> objects;
  for (int i = 0; i < 6; ++i) {
    objects.push_back(new FmObject("piece", nullptr, -1.0f));
    worker.addNode(objects.back(), nullptr);
  }
  objects[0]->setMaterial(new FmMaterial);
  objects[3]->setMaterial(new FmMaterial);
  const FmMaterial* first = objects[0]->material();
  const FmMaterial* second = objects[3]->material();
  worker.groupByMaterial();
  std::vector<const FmMaterial*> materials;
  for (std::size_t i = 0; i < worker.objects().entryCount(); ++i) {
    materials.push_back(static_cast<const FmObject*>(worker.objects().elementAt(i))->material());
  }
  EXPECT_TRUE(std::is_sorted(materials.begin(), materials.end(), std::less<>()));
  EXPECT_EQ(std::count(materials.begin(), materials.end(), first), 1);
  EXPECT_EQ(std::count(materials.begin(), materials.end(), second), 1);
  EXPECT_TRUE(worker.sortByMaterial());
  worker.updateScene(0.0f);
  EXPECT_FALSE(worker.sortByMaterial());
}

// Opaque objects of two textures, each with a material of its own in one of two
// colours, and one untextured: grouped, the textures bind twice and the materials
// change only where the colour does.
TEST(WorkerUpdate, GroupingByMaterialPutsTexturesThenEqualMaterialsTogether) {
  FmOpenGLTexture sand("sand"), rock("rock");
  FmWorker worker;
  const struct {
    FmOpenGLTexture* texture;
    float red;
  } pieces[] = {{&sand, 1.0f}, {&rock, 0.5f}, {&sand, 0.5f}, {nullptr, 1.0f},
                {&rock, 1.0f}, {&sand, 1.0f}, {&rock, 0.5f}, {&sand, 0.5f}};
  for (const auto& piece : pieces) {
    FmObject* object = objectAt("piece", {0, 0, 0});
    if (piece.texture) object->addTexture(piece.texture);
    auto* material = new FmMaterial;
    material->setDiffuse({piece.red, 0.2f, 0.2f});
    object->setMaterial(material);
    worker.addNode(object, nullptr);
  }
  worker.groupByMaterial();
  const RWOrdered& list = worker.objects();
  ASSERT_EQ(list.entryCount(), std::size(pieces));
  int textureChanges = 0, materialChanges = 0;
  for (std::size_t i = 1; i < list.entryCount(); ++i) {
    const auto* before = static_cast<const FmObject*>(list.elementAt(i - 1));
    const auto* object = static_cast<const FmObject*>(list.elementAt(i));
    const auto textureOf = [](const FmObject* o) {
      return o->textureCount() ? o->textureAt(0) : nullptr;
    };
    if (textureOf(before) != textureOf(object)) {
      ++textureChanges;
    } else if (before->material()->diffuse() != object->material()->diffuse()) {
      ++materialChanges;
    }
  }
  // Untextured, sand and rock in some order; two colours under each of the textures.
  EXPECT_EQ(textureChanges, 2);
  EXPECT_EQ(materialChanges, 2);
}

// The plain quicksort with the first entry as the pivot, on a copy, for objects
// whose materials hold the same values: by first texture, then by material.
std::vector<const FmObject*> quicksortedByMaterial(std::vector<const FmObject*> entries) {
  const auto before = [](const FmObject* a, const FmObject* b) {
    const FmOpenGLTexture* left = a->textureAt(0);
    const FmOpenGLTexture* right = b->textureAt(0);
    if (left != right) return std::less<>()(left, right);
    return std::less<const FmMaterial*>()(a->material(), b->material());
  };
  const std::function<void(std::ptrdiff_t, std::ptrdiff_t)> sort = [&](std::ptrdiff_t first,
                                                                       std::ptrdiff_t last) {
    if (first >= last) return;
    const FmObject* pivot = entries[first];
    std::ptrdiff_t forward = first;
    std::ptrdiff_t backward = last + 1;
    for (;;) {
      do ++forward;
      while (forward <= last && !before(pivot, entries[forward]));
      do --backward;
      while (before(pivot, entries[backward]));
      if (forward >= backward) break;
      std::swap(entries[forward], entries[backward]);
    }
    std::swap(entries[first], entries[backward]);
    sort(first, backward - 1);
    sort(backward + 1, last);
  };
  sort(0, static_cast<std::ptrdiff_t>(entries.size()) - 1);
  return entries;
}

// Long runs of sharers (a flock's members among other objects) are grouped in the
// order that the plain quicksort gives them; sharing a material is not enough to be
// alike when the textures differ.
TEST(WorkerUpdate, GroupingManySharersKeepsTheQuicksortsOrder) {
  FmOpenGLTexture rock("rock");
  for (const int kinds : {1, 2, 5}) {
    // Duplicates share their source's material; the sources outlive the worker.
    std::vector<std::unique_ptr<FmObject>> sources;
    for (int k = 0; k < kinds; ++k) {
      sources.push_back(std::make_unique<FmObject>("source", nullptr, -1.0f));
      sources.back()->setMaterial(new FmMaterial);
    }
    sources.emplace_back(static_cast<FmObject*>(sources[0]->duplicate()));
    ASSERT_TRUE(sources.back()->addTexture(&rock));
    sources.push_back(std::make_unique<FmObject>("bare", nullptr, -1.0f));
    FmWorker worker;
    std::vector<const FmObject*> added;
    for (int i = 0; i < 400; ++i) {
      const int kind = i % 11 == 0   ? kinds + 1
                       : i % 13 == 5 ? kinds
                       : i % 7 == 3  ? (i / 7) % kinds
                                     : 0;
      auto* object = static_cast<FmObject*>(sources[kind]->duplicate());
      worker.addNode(object, nullptr);
      added.push_back(object);
    }
    worker.groupByMaterial();
    std::vector<const FmObject*> grouped;
    for (std::size_t i = 0; i < worker.objects().entryCount(); ++i) {
      grouped.push_back(static_cast<const FmObject*>(worker.objects().elementAt(i)));
    }
    EXPECT_EQ(grouped, quicksortedByMaterial(added)) << kinds << " materials";
  }
}

// ---- what the worker points at -------------------------------------------------

TEST(WorkerUpdate, LostCameraGivesWayToTheNextWithItsFollowers) {
  FmWorker worker;
  FmCamera* doomed = cameraAt("doomed", {0, 0, 0}, 1.0f);
  FmCamera* spare = cameraAt("spare", {5, 0, 0});
  worker.addNode(doomed, nullptr);
  worker.addNode(spare, nullptr);
  worker.addNode(nodeWith("sky", new FmEnvironController), doomed);
  worker.addNode(nodeWith("lamp", new FmTransformController), doomed);
  worker.setCamera(doomed);

  worker.updateScene(2.0f);
  EXPECT_EQ(worker.camera(), spare);
  EXPECT_EQ(namesOf(*spare), (std::vector<std::string>{"sky"}));
  EXPECT_EQ(worker.viewer().position, (FmPoint{5, 0, 0}));

  spare->setExpiryTime(3.0f);
  worker.updateScene(4.0f);
  EXPECT_EQ(worker.camera(), nullptr);
  EXPECT_EQ(worker.currentCameraController(), nullptr);
  EXPECT_EQ(worker.viewer().position, (FmPoint{5, 0, 0}));
  worker.updateScene(5.0f);
}

TEST(WorkerUpdate, ExpiredHoldersTakeTheirControllersAndObjectsAlong) {
  FmWorker worker;
  auto* bar = new FmTimerBarController;
  auto* flight = new FmFlightController;
  FmNode* panel = nodeWith("panel", new FmTransformController, 1.0f);
  worker.addNode(panel, nullptr);
  worker.addNode(nodeWith("bar", bar), panel);
  worker.addNode(nodeWith("craft", flight, 2.0f), nullptr);
  FmObject* backdrop = objectAt("backdrop", {0, 0, 0}, 3.0f);
  worker.addNode(backdrop, nullptr);
  worker.setTimerBar(bar);
  worker.setFlightController(flight);
  worker.setBackground(backdrop);
  auto* aux = new FmNode("aux", nullptr, -1.0f);
  worker.addNode(aux, backdrop);
  worker.setAuxNode(aux, true);

  worker.updateScene(1.5f);
  EXPECT_EQ(worker.timerBar(), nullptr);
  EXPECT_EQ(worker.flightController(), flight);
  worker.updateScene(2.5f);
  EXPECT_EQ(worker.flightController(), nullptr);
  worker.steer({0, 10, 0}, 1.0f, 2.6f);
  EXPECT_EQ(worker.background(), backdrop);
  worker.updateScene(3.5f);
  EXPECT_EQ(worker.background(), nullptr);
  EXPECT_EQ(worker.auxNode(), nullptr);
  worker.clear();
}

TEST(WorkerControls, SettersKeepOnlyTheirOwnClass) {
  FmWorker worker;
  FmTransformController plain;
  FmTimerBarController bar;
  FmFlightController flight;
  worker.setTimerBar(&bar);
  worker.setFlightController(&flight);
  EXPECT_EQ(worker.timerBar(), &bar);
  EXPECT_EQ(worker.flightController(), &flight);
  worker.setTimerBar(&plain);
  worker.setFlightController(&bar);
  EXPECT_EQ(worker.timerBar(), nullptr);
  EXPECT_EQ(worker.flightController(), nullptr);
}

TEST(WorkerControls, SteeringReachesTheFlightController) {
  FmWorker worker;
  auto* flight = new FmFlightController;
  flight->position().setValue({0, 0, 0});
  worker.addNode(nodeWith("craft", flight), nullptr);
  worker.setFlightController(flight);
  worker.updateScene(0.0f);
  worker.steer({0, 0, 0}, 2.0f, 1.0f);
  EXPECT_NEAR(flight->position().value().z, -2.0f, 1e-5f);
}

TEST(WorkerControls, FindTemplateTakesTheFirstRocketOfThatExactName) {
  FmWorker worker;
  const auto rocketNamed = [](const char* name) {
    auto* rocket = new FmRocket;
    rocket->setName(name);
    return rocket;
  };
  auto* plain = new FmNode("rocket", nullptr, -1.0f);
  auto* object = new FmObject("rocket", nullptr, -1.0f);
  FmRocket* longer = rocketNamed("rockets");
  FmRocket* rocket = rocketNamed("rocket");
  FmRocket* twin = rocketNamed("rocket");
  for (FmNode* node : {plain, static_cast<FmNode*>(object), static_cast<FmNode*>(longer),
                       static_cast<FmNode*>(rocket), static_cast<FmNode*>(twin)}) {
    ASSERT_TRUE(worker.addTemplate(node));
  }
  worker.findTemplate("rocket");
  EXPECT_EQ(worker.projectileTemplate(), rocket);
  worker.findTemplate("rock");
  EXPECT_EQ(worker.projectileTemplate(), rocket);
  worker.findTemplate("rockets");
  EXPECT_EQ(worker.projectileTemplate(), longer);
}

// ---- camera change ----------------------------------------------------------------

TEST(WorkerCamera, FollowersMoveToTheNewCamera) {
  FmWorker worker;
  FmCamera* first = cameraAt("first", {0, 0, 0});
  FmCamera* second = cameraAt("second", {0, 0, 0});
  worker.addNode(first, nullptr);
  worker.addNode(second, nullptr);
  worker.addNode(nodeWith("sky", new FmEnvironController), first);
  worker.addNode(nodeWith("plain", new FmTransformController), first);
  worker.addNode(nodeWith("sprite", new FmBillboardController), first);
  worker.addNode(new FmNode("bare", nullptr, -1.0f), first);
  worker.setCamera(first);
  worker.setCamera(second);
  EXPECT_EQ(namesOf(*first), (std::vector<std::string>{"plain", "bare"}));
  EXPECT_EQ(namesOf(*second), (std::vector<std::string>{"sky", "sprite"}));
  EXPECT_EQ(second->childAt(0)->parent(), second);
  worker.setCamera(nullptr);
  EXPECT_EQ(worker.camera(), second);
}

TEST(WorkerCamera, FollowerHoldingTheNewCameraStays) {
  FmWorker worker;
  FmCamera* outer = cameraAt("outer", {0, 0, 0});
  worker.addNode(outer, nullptr);
  FmNode* sky = nodeWith("sky", new FmEnvironController);
  worker.addNode(sky, outer);
  FmCamera* inner = cameraAt("inner", {0, 0, 0});
  worker.addNode(inner, sky);
  worker.setCamera(outer);
  worker.setCamera(inner);
  EXPECT_EQ(sky->parent(), outer);
  EXPECT_TRUE(worker.root().isAncestorOf(inner));
  EXPECT_EQ(inner->childCount(), 0u);
}

// ---- collision ------------------------------------------------------------------

// Records the contacts that the worker asks for; a hook may change the scene.
class RecordingObject : public FmObject {
public:
  RecordingObject(const char* name, std::uint32_t flags, std::vector<std::string>& log)
      : FmObject(name, nullptr, -1.0f), log_(log) {
    setContactFlags(flags);
  }
  bool contact(FmObject* other, float time) override {
    log_.push_back(std::string(name().view()) + ">" + std::string(other->name().view()) + "@" +
                   std::to_string(static_cast<int>(time)));
    if (onContact) onContact();
    return false;
  }
  std::function<void()> onContact;

private:
  std::vector<std::string>& log_;
};

TEST(WorkerCollision, CollidersMeetEveryTargetOfEveryListInOrder) {
  FmWorker worker;
  std::vector<std::string> log;
  auto* gun = new RecordingObject("gun", FmObject::colliderFlag, log);
  auto* both = new RecordingObject("both", FmObject::colliderFlag | FmObject::targetFlag, log);
  auto* wall = new RecordingObject("wall", FmObject::targetFlag, log);
  auto* inert = new RecordingObject("inert", 0, log);
  both->setBlendMode(8);
  wall->setBlendMode(2);
  for (FmObject* object : {static_cast<FmObject*>(wall), static_cast<FmObject*>(both),
                           static_cast<FmObject*>(inert), static_cast<FmObject*>(gun)}) {
    worker.addNode(object, nullptr);
  }
  worker.collide(7.0f);
  EXPECT_EQ(log,
            (std::vector<std::string>{"gun>both@7", "gun>wall@7", "both>both@7", "both>wall@7"}));
}

TEST(WorkerCollision, ObjectsAddedDuringThePassWaitForTheNext) {
  FmWorker worker;
  std::vector<std::string> log;
  auto* gun = new RecordingObject("gun", FmObject::colliderFlag, log);
  auto* wall = new RecordingObject("wall", FmObject::targetFlag, log);
  wall->setBlendMode(3);
  worker.addNode(gun, nullptr);
  worker.addNode(wall, nullptr);
  gun->onContact = [&] {
    // Enough entries that the lists move their storage while being walked.
    for (int i = 0; i < 100; ++i) {
      worker.addNode(new RecordingObject("shard", FmObject::targetFlag, log), nullptr);
    }
    worker.detachNode(wall);
    worker.addNode(wall, gun);
    gun->onContact = nullptr;
  };
  worker.collide(1.0f);
  EXPECT_EQ(log, (std::vector<std::string>{"gun>wall@1"}));
  log.clear();
  worker.collide(2.0f);
  EXPECT_EQ(log.size(), 101u);
}

TEST(WorkerCollision, ATargetMovedWithinTheTreeMakesNoColliderMissItsTurn) {
  FmWorker worker;
  std::vector<std::string> log;
  auto* group = new FmNode("group", nullptr, -1.0f);
  auto* wall = new RecordingObject("wall", FmObject::targetFlag, log);
  auto* first = new RecordingObject("first", FmObject::colliderFlag, log);
  auto* second = new RecordingObject("second", FmObject::colliderFlag, log);
  worker.addNode(group, nullptr);
  worker.addNode(wall, group);
  worker.addNode(first, nullptr);
  worker.addNode(second, nullptr);
  bool moved = false;
  first->onContact = [&] {
    if (moved) return;
    moved = true;
    worker.detachNode(wall);
    worker.addNode(wall, nullptr);
  };
  worker.collide(1.0f);
  EXPECT_EQ(log, (std::vector<std::string>{"first>wall@1", "second>wall@1"}));
}

}  // namespace
