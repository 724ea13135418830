#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

// One flock of a level: how many members it flies with and what each costs.
struct FlockStats {
  std::string name;
  std::string prototype;
  std::int32_t members = 0;
  std::int32_t trianglesPerMember = 0;
  bool active = false;
};

// What one level holds and costs once it has started as the game starts it (the
// active flock's members are in the tree): the objects drawn and their triangles,
// the textures and the memory their mipmap chains take in OpenGL (4 bytes a pixel),
// the cameras, the lights and the flocks.
struct LevelStats {
  std::int32_t level = 1;
  std::int32_t objects = 0;
  std::int64_t triangles = 0;
  std::int32_t textures = 0;
  std::int32_t textureFrames = 0;
  std::uint64_t textureBytes = 0;
  std::int32_t cameras = 0;
  std::int32_t lights = 0;
  std::vector<FlockStats> flocks;
};

// The bytes that a texture of the size takes with its mipmap chain, down to 1 x 1.
std::uint64_t mipmapChainBytes(int width, int height);

// Every level of the file, in order. Load errors propagate as the persistence
// library's exceptions.
std::vector<LevelStats> levelStats(const std::string& levelFile);

void printStatsTable(const std::vector<LevelStats>& levels, std::ostream& out);
void printStatsJson(const std::vector<LevelStats>& levels, std::ostream& out);
