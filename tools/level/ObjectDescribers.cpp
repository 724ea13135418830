#include "ObjectDescribers.h"

#include <unordered_map>

#include "RWFactory.h"

namespace {

const std::unordered_map<RWClassID, Describer>& describers() {
  static const auto all = [] {
    std::unordered_map<RWClassID, Describer> map;
    for (const auto& table : {rwDescribers(), animDescribers(), engineDescribers()}) {
      for (const DescriberEntry& entry : table) map.emplace(entry.id, entry.describe);
    }
    return map;
  }();
  return all;
}

}  // namespace

std::span<const float, 3> pointValues(const FmPoint& point) {
  static_assert(sizeof(FmPoint) == 3 * sizeof(float));
  return std::span<const float, 3>(&point.x, 3);
}

void describeObject(std::uint32_t number, const RWCollectable& object, FieldWriter& out) {
  const RWClassID id = object.classId();
  out.beginObject(number, stringIdOf(id).view(), id);
  const auto found = describers().find(id);
  if (found != describers().end()) found->second(object, out);
  out.endObject();
}
