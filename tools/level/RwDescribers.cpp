#include <vector>

#include "ObjectDescribers.h"
#include "RWCollection.h"
#include "RWHashTable.h"
#include "RWIdentitySet.h"
#include "RWOrdered.h"
#include "RWSet.h"
#include "RWSlistCollectables.h"
#include "RWSortedVector.h"

namespace {

void describeCollection(const RWCollectable& object, FieldWriter& out) {
  const auto& collection = static_cast<const CollectionBase&>(object);
  std::vector<const RWCollectable*> elements;
  elements.reserve(collection.entryCount());
  collection.apply(
      [](RWCollectable* element, void* list) {
        static_cast<std::vector<const RWCollectable*>*>(list)->push_back(element);
      },
      &elements);
  out.integer("count", static_cast<long long>(elements.size()));
  out.references("elements", elements);
}

constexpr DescriberEntry table[] = {
    {RWOrdered::id, describeCollection},     {RWSortedVector::id, describeCollection},
    {RWHashTable::id, describeCollection},   {RWSet::id, describeCollection},
    {RWIdentitySet::id, describeCollection}, {RWSlistCollectables::id, describeCollection},
};

}  // namespace

std::span<const DescriberEntry> rwDescribers() {
  return table;
}
