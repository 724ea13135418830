#pragma once

#include <cstdint>
#include <string>

#include "FmNode.h"
#include "FmOpenGLTexture.h"
#include "FmScene.h"
#include "FmWorker.h"
#include "RecordBytes.h"

// Hand-made scene records: a multi-level file and its parts.
namespace SceneBytes {

inline constexpr std::uint16_t orderedListId = 0x8028;

inline RecordBytes& nil(RecordBytes& bytes) {
  return bytes.u16(0xFFFF).u32(0);
}

inline RecordBytes& emptyList(RecordBytes& bytes) {
  return bytes.u16(orderedListId).u32(0);
}

inline RecordBytes& texture(RecordBytes& bytes, const std::string& name) {
  bytes.u16(FmOpenGLTexture::id).u32(111).text(name).text("").u32(0).u32(1).u32(1).u32(1);
  return bytes.f32(0.0f).u32(4).raw({10, 20, 30, 40});
}

// A level body whose worker holds a root named after the level and whose texture
// list refers to the given object number (0: empty list).
inline RecordBytes& body(RecordBytes& bytes, const std::string& name, std::uint32_t textureNumber) {
  bytes.u16(FmWorker::id).u32(107).u16(FmNode::id).u32(102).text(name);
  nil(nil(bytes)).u32(3);
  emptyList(bytes).f32(-1.0f);
  for (int list = 0; list < 7; ++list) emptyList(bytes);
  nil(nil(bytes)).f32(0).f32(0).f32(0).f32(0).f32(0).f32(0);
  nil(nil(nil(nil(bytes))));
  if (textureNumber == 0) {
    emptyList(bytes);
  } else {
    bytes.u16(orderedListId).u32(1).u16(0xFFFF).u32(textureNumber);
  }
  emptyList(bytes).f32(0).f32(0).f32(0);
  return nil(bytes).f32(5.0f);
}

// Three levels sharing two textures (numbers 3 and 4); level 2 lists the second.
inline RecordBytes multiLevel() {
  RecordBytes head;
  head.u32(0x8888).u16(FmScene::id).u32(103).u32(3);
  RecordBytes shared;
  texture(texture(shared.u16(orderedListId).u32(2), "one"), "two");
  RecordBytes level1, level2, level3;
  body(level1, "first", 3);
  body(level2, "second", 4);
  body(level3, "third", 0);
  const auto start = static_cast<std::uint32_t>(head.bytes().size() + 12 + shared.bytes().size());
  const auto second = start + static_cast<std::uint32_t>(level1.bytes().size());
  const auto third = second + static_cast<std::uint32_t>(level2.bytes().size());
  head.u32(start).u32(second).u32(third).raw(shared.bytes());
  return head.raw(level1.bytes()).raw(level2.bytes()).raw(level3.bytes());
}

}  // namespace SceneBytes
