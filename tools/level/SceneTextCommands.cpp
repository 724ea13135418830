#include "SceneTextCommands.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <random>
#include <system_error>
#include <vector>

#include "RegularFile.h"
#include "SceneText.h"

namespace {

namespace fs = std::filesystem;

constexpr int statusOk = 0;
constexpr int statusProblem = 1;

// The whole of a regular file, or nothing with `problem` saying why.
std::optional<std::string> readWhole(const std::string& path, std::string& problem) {
  std::string whyNot;
  std::FILE* stream = openRegularFile(path, whyNot);
  if (!stream) {
    problem = "cannot open: " + whyNot;
    return std::nullopt;
  }
  std::string bytes;
  char buffer[65536];
  for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, stream)) > 0;) {
    bytes.append(buffer, got);
  }
  const bool failed = std::ferror(stream) != 0;
  std::fclose(stream);
  if (failed) {
    problem = "cannot read: read error";
    return std::nullopt;
  }
  return bytes;
}

// A name for a temporary file beside `path` that does not exist yet.
fs::path temporaryBeside(const fs::path& path) {
  std::random_device random;
  for (;;) {
    fs::path candidate = path;
    candidate += ".tmp-" + std::to_string(random());
    std::error_code error;
    if (!fs::exists(candidate, error)) return candidate;
  }
}

// Writes the bytes to `path` through a temporary file and a rename; the problem, or
// an empty string.
std::string writeAtomically(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
  const fs::path temporary = temporaryBeside(path);
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out) return "cannot create " + temporary.string();
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    out.flush();
    if (!out) {
      out.close();
      std::error_code ignored;
      fs::remove(temporary, ignored);
      return "cannot write " + temporary.string() + " (disk full?)";
    }
  }
  std::error_code error;
  fs::rename(temporary, path, error);
  if (error) {
    std::error_code ignored;
    fs::remove(temporary, ignored);
    return "cannot rename " + temporary.string() + " to " + path.string() + ": " + error.message();
  }
  return {};
}

}  // namespace

namespace SceneTextCommands {

int dump(const std::string& path, std::ostream& out, std::ostream& err, bool byName) {
  std::string problem;
  const auto bytes = readWhole(path, problem);
  if (!bytes) {
    err << "zirrow-level dump: " << path << ": " << problem << '\n';
    return statusProblem;
  }
  try {
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes->data());
    const std::span<const std::uint8_t> file(data, bytes->size());
    SceneText::print(byName ? SceneText::fromBytesWithNames(file) : SceneText::fromBytes(file),
                     out);
  } catch (const SceneText::Error& error) {
    err << "zirrow-level dump: " << path << ": " << error.what() << '\n';
    return statusProblem;
  }
  return statusOk;
}

int build(const std::string& textPath, const std::string& outputPath, std::ostream& out,
          std::ostream& err, const TextBuilder& textBuilder) {
  std::string problem;
  const auto text = readWhole(textPath, problem);
  if (!text) {
    err << "zirrow-level build: " << textPath << ": " << problem << '\n';
    return statusProblem;
  }
  std::vector<std::uint8_t> bytes;
  try {
    const SceneText::Json json = SceneText::Json::parse(*text);
    bytes = textBuilder ? textBuilder(json, textPath, err) : SceneText::toBytes(json);
  } catch (const SceneText::Json::parse_error& error) {
    // nlohmann's message: "[json.exception.parse_error.101] parse error at line 3, ..."
    std::string why = error.what();
    if (const std::size_t at = why.find("] "); at != std::string::npos) why.erase(0, at + 2);
    err << "zirrow-level build: " << textPath << ": not JSON: " << why << '\n';
    return statusProblem;
  } catch (const SceneText::Error& error) {
    err << "zirrow-level build: " << textPath << ": " << error.what() << '\n';
    return statusProblem;
  }
  if (const std::string failed = writeAtomically(outputPath, bytes); !failed.empty()) {
    err << "zirrow-level build: " << failed << '\n';
    return statusProblem;
  }
  out << "wrote " << outputPath << " (" << bytes.size() << " bytes)\n";
  return statusOk;
}

}  // namespace SceneTextCommands
