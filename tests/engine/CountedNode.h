#pragma once

#include "FmNode.h"

// A node that counts its destructions, to show who destroys what hangs in a tree.
class CountedNode : public FmNode {
public:
  explicit CountedNode(int& destroyed) : destroyed_(destroyed) {}
  ~CountedNode() override { ++destroyed_; }
  CountedNode(const CountedNode&) = delete;
  CountedNode& operator=(const CountedNode&) = delete;

private:
  int& destroyed_;
};
