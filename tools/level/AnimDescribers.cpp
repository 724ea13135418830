#include "FmAnimatedFloat.h"
#include "FmAnimatedPoint.h"
#include "FmAnimatedQuat.h"
#include "FmBillboardController.h"
#include "FmEnvironController.h"
#include "FmFlightController.h"
#include "FmFloatKey.h"
#include "FmPositionKey.h"
#include "FmQuat.h"
#include "FmRocketController.h"
#include "FmRotationKey.h"
#include "FmTimerBarController.h"
#include "FmTransformController.h"
#include "ObjectDescribers.h"

namespace {

void quatFields(const FmQuat& q, FieldWriter& out) {
  out.real("x", q.x);
  out.real("y", q.y);
  out.real("z", q.z);
  out.real("w", q.w);
}

void describeQuat(const RWCollectable& object, FieldWriter& out) {
  quatFields(as<FmQuat>(object), out);
}

void describeFloatKey(const RWCollectable& object, FieldWriter& out) {
  const auto& key = as<FmFloatKey>(object);
  out.real("value", key.value);
  out.real("time", key.time);
}

void describePositionKey(const RWCollectable& object, FieldWriter& out) {
  const auto& key = as<FmPositionKey>(object);
  out.reals("position", pointValues(key.position));
  out.real("time", key.time);
}

void describeRotationKey(const RWCollectable& object, FieldWriter& out) {
  const auto& key = as<FmRotationKey>(object);
  out.reference("rotation", &key.rotation);
  out.real("time", key.time);
}

void describeAnimatedPoint(const RWCollectable& object, FieldWriter& out) {
  const auto& track = as<FmAnimatedPoint>(object);
  out.reals("value", pointValues(track.value()));
  out.reference("keys", track.keys());
}

void describeAnimatedQuat(const RWCollectable& object, FieldWriter& out) {
  const auto& track = as<FmAnimatedQuat>(object);
  const FmQuat& q = track.value();
  const float value[] = {q.x, q.y, q.z, q.w};
  out.reals("value", value);
  out.reference("keys", track.keys());
}

void describeAnimatedFloat(const RWCollectable& object, FieldWriter& out) {
  const auto& track = as<FmAnimatedFloat>(object);
  out.real("value", track.value());
  out.integer("interpolate", track.interpolate());
  out.reference("keys", track.keys());
}

void describeTransformController(const RWCollectable& object, FieldWriter& out) {
  controllerFields(as<FmTransformController>(object), out);
}

void describeFlightController(const RWCollectable& object, FieldWriter& out) {
  const auto& controller = as<FmFlightController>(object);
  controllerFields(controller, out);
  out.integer("mode", controller.mode());
}

void describeRocketController(const RWCollectable& object, FieldWriter& out) {
  const auto& controller = as<FmRocketController>(object);
  controllerFields(controller, out);
  out.real("speed", controller.speed());
}

void describeBillboardController(const RWCollectable& object, FieldWriter& out) {
  const auto& controller = as<FmBillboardController>(object);
  controllerFields(controller, out);
  out.integer("faceCamera", controller.faceCamera());
}

constexpr DescriberEntry table[] = {
    {FmQuat::id, describeQuat},
    {FmFloatKey::id, describeFloatKey},
    {FmPositionKey::id, describePositionKey},
    {FmRotationKey::id, describeRotationKey},
    {FmAnimatedPoint::id, describeAnimatedPoint},
    {FmAnimatedQuat::id, describeAnimatedQuat},
    {FmAnimatedFloat::id, describeAnimatedFloat},
    {FmTransformController::id, describeTransformController},
    {FmFlightController::id, describeFlightController},
    {FmTimerBarController::id, describeTransformController},
    {FmBillboardController::id, describeBillboardController},
    {FmEnvironController::id, describeTransformController},
    {FmRocketController::id, describeRocketController},
};

}  // namespace

std::span<const DescriberEntry> animDescribers() {
  return table;
}

void controllerFields(const FmTransformController& controller, FieldWriter& out) {
  out.reference("position", &controller.position());
  out.reference("rotation", &controller.rotation());
  out.reference("scale", &controller.scale());
}
