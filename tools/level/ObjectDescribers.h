#pragma once

#include <cstdint>
#include <span>

#include "FieldWriter.h"
#include "RWCollectable.h"

// Prints the stored fields of one object of a known class.
using Describer = void (*)(const RWCollectable& object, FieldWriter& out);

struct DescriberEntry {
  RWClassID id;
  Describer describe;
};

// The describers of each area's persistent classes.
std::span<const DescriberEntry> rwDescribers();

// Prints one object: its number, its class name and, for a known class, its fields.
void describeObject(std::uint32_t number, const RWCollectable& object, FieldWriter& out);
