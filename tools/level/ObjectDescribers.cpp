#include "ObjectDescribers.h"

#include <unordered_map>

#include "RWFactory.h"

namespace {

const std::unordered_map<RWClassID, Describer>& describers() {
  static const auto all = [] {
    std::unordered_map<RWClassID, Describer> map;
    for (const auto& table : {rwDescribers()}) {
      for (const DescriberEntry& entry : table) map.emplace(entry.id, entry.describe);
    }
    return map;
  }();
  return all;
}

}  // namespace

void describeObject(std::uint32_t number, const RWCollectable& object, FieldWriter& out) {
  const RWClassID id = object.classId();
  out.beginObject(number, stringIdOf(id).view(), id);
  const auto found = describers().find(id);
  if (found != describers().end()) found->second(object, out);
  out.endObject();
}
