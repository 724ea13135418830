#pragma once

#include "RWOrdered.h"

// An indexed list kept in compare order; an element goes after every element that
// compares equal to it. Positional insertion is not allowed.
class RWSortedVector : public RWOrdered {
public:
  static constexpr RWClassID id = 0x804A;

  using RWOrdered::RWOrdered;

  RWCollectable* newInstance() const override;
  RWCollectable* clone() const override;
  RWClassID classId() const override;

  RWCollectable* insert(RWCollectable* item) override;
  std::size_t occurrencesOf(const RWCollectable* item) const override;
  std::size_t indexOf(const RWCollectable* item) const override;

  // Each of these raises RWInternalErr [NOTALLOW].
  RWCollectable* append(RWCollectable* item) override;
  RWCollectable*& elementRefAt(std::size_t index) override;
  RWCollectable* insertAt(std::size_t index, RWCollectable* item) override;
  RWCollectable* prepend(RWCollectable* item) override;
  RWCollectable* insertAfter(std::size_t index, RWCollectable* item) override;

protected:
  bool acceptsNil() const override { return false; }

private:
  // Binary search: the position reached, and whether it holds an equal element.
  std::size_t search(const RWCollectable* item, bool& found) const;
};
