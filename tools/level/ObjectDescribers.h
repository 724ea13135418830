#pragma once

#include <cstdint>
#include <span>

#include "FieldWriter.h"
#include "FmPoint.h"
#include "FmTransformController.h"
#include "RWCollectable.h"

// Prints the stored fields of one object of a known class.
using Describer = void (*)(const RWCollectable& object, FieldWriter& out);

struct DescriberEntry {
  RWClassID id;
  Describer describe;
};

// The describers of each area's persistent classes.
std::span<const DescriberEntry> rwDescribers();
std::span<const DescriberEntry> animDescribers();
std::span<const DescriberEntry> engineDescribers();

// The points of a value as the floats that a writer prints.
std::span<const float, 3> pointValues(const FmPoint& point);

// The fields that every controller stores: its three tracks.
void controllerFields(const FmTransformController& controller, FieldWriter& out);

// The object as the class its describer was registered for.
template <class T>
const T& as(const RWCollectable& object) {
  return static_cast<const T&>(object);
}

// Prints one object: its number, its class name and, for a known class, its fields.
void describeObject(std::uint32_t number, const RWCollectable& object, FieldWriter& out);
