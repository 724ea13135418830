#include "MultiLevelWriter.h"

#include <cstdint>

#include "RWBinaryFile.h"
#include "RWObjectProtocol.h"

// The scene record of a multi-level file, which only ever gets written.
class MultiLevelWriter::Record : public RWCollectable {
public:
  explicit Record(const MultiLevelWriter& writer) : writer_(writer) {}

  RWClassID classId() const override { return FmScene::id; }
  using RWCollectable::saveFields;
  void saveFields(RWBinaryFile& file) const override;

private:
  void writeBody(RWBinaryFile& file, const FmScene& level) const;

  const MultiLevelWriter& writer_;
};

void MultiLevelWriter::Record::saveFields(RWBinaryFile& file) const {
  const auto& levels = writer_.levels_;
  file.write(FmScene::storedVersion);
  file.write(static_cast<std::int32_t>(levels.size()));
  const std::uint64_t tableOffset = file.currentOffset();
  std::vector<std::uint32_t> offsets(levels.size(), 0);
  file.write(offsets.data(), offsets.size());
  writeObject(file, &writer_.shared_);

  const std::uint32_t afterShared = writeTableMark();
  for (std::size_t i = 0; i < levels.size(); ++i) {
    rewindWriteTable(afterShared);
    offsets[i] = static_cast<std::uint32_t>(file.currentOffset());
    writeBody(file, *levels[i]);
  }
  file.seekTo(tableOffset);
  file.write(offsets.data(), offsets.size());
  file.seekToEnd();
}

void MultiLevelWriter::Record::writeBody(RWBinaryFile& file, const FmScene& level) const {
  writeObject(file, &level.worker());
  writeObject(file, &level.textures());
  writeObject(file, &level.fogs());
  level.ambient().saveOn(file);
  writeObject(file, level.auxiliaryNode());
  file.write(level.duration());
}

bool MultiLevelWriter::write(const std::string& path) const {
  if (levels_.size() < 2) return false;
  RWBinaryFile file(path.c_str(), "wb+");
  if (!file.isValid()) return false;
  const Record record(*this);
  writeObject(file, &record);
  return file.flush() && !file.error();
}
