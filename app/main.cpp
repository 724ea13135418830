#include "GameProgram.h"

int main(int argc, char** argv) {
  GameProgram program;
  return program.run(GameProgram::sceneFileFrom(argc, argv));
}
