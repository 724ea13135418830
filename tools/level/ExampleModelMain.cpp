#include <iostream>

#include "ExampleModel.h"
#include "ModelWriter.h"

// Writes the example level's island model, whose format the file name's extension
// chooses: zirrow-example-model examples/models/island.glb
int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: zirrow-example-model MODEL\n";
    return 2;
  }
  const std::string problem = writeModel(exampleIsland(), argv[1]);
  if (!problem.empty()) {
    std::cerr << "zirrow-example-model: " << problem << '\n';
    return 1;
  }
  return 0;
}
