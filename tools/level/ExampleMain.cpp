#include <iostream>

#include "ExampleLevel.h"

// Writes the example level's island model as DIR/models/island.glb and the level's
// text form, which imports the model, as DIR/example.json: what examples/ holds.
int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: zirrow-example DIR\n";
    return 2;
  }
  if (const std::string problem = writeExampleFiles(argv[1]); !problem.empty()) {
    std::cerr << "zirrow-example: " << problem << '\n';
    return 1;
  }
  return 0;
}
