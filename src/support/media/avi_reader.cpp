#include "support/media/avi_reader.h"

#include <dlfcn.h>

#include <mutex>
#include <string>
#include <vector>

#include "support/file_io.h"
#include "support/media/avi_module.h"
#include "support/media/media_error.h"

namespace celwright {

namespace {

constexpr char kOpenFileFailed[] = "Failed to open AVI file";
constexpr char kModuleName[] = "libcelwright_avi.so";

std::filesystem::path ExecutableFolder() {
  std::error_code error;
  const auto executable = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::filesystem::path() : executable.parent_path();
}

// Beside the executable, then where an installed copy keeps it, then where this build tree
// made it (tests and "make run" start from folders of their own).
std::vector<std::filesystem::path> ModuleCandidates() {
  std::vector<std::filesystem::path> candidates;
  const std::filesystem::path folder = ExecutableFolder();
  if (!folder.empty()) {
    candidates.push_back(folder / kModuleName);
    candidates.push_back(folder.parent_path() / "lib" / "celwright" / kModuleName);
  }
#ifdef CELWRIGHT_AVI_MODULE_PATH
  candidates.emplace_back(CELWRIGHT_AVI_MODULE_PATH);
#endif
  return candidates;
}

struct LoadedModule {
  AviModuleOpen open = nullptr;
  std::string failure;
};

const LoadedModule& Module() {
  static LoadedModule module;
  static std::once_flag once;
  std::call_once(once, [] {
    std::string reasons;
    for (const auto& candidate : ModuleCandidates()) {
      std::error_code error;
      if (!std::filesystem::exists(candidate, error)) continue;
      // Never closed: decoders and their code must outlive every reader.
      void* handle = dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL);
      if (!handle) {
        reasons += std::string("; ") + dlerror();
        continue;
      }
      module.open = reinterpret_cast<AviModuleOpen>(dlsym(handle, kAviModuleEntry));
      if (module.open) return;
      reasons += "; " + candidate.string() + " has no decoder";
    }
    module.failure = "video support is not installed (" + std::string(kModuleName) +
                     " with the FFmpeg libraries libavformat, libavcodec and libswscale)" +
                     reasons;
  });
  return module;
}

}  // namespace

struct AviReader::State {
  std::unique_ptr<AviModuleDecoder> decoder;
};

AviReader::AviReader(const std::filesystem::path& path) : state_(std::make_unique<State>()) {
  // Folders, FIFOs and devices would make the demuxer fail oddly or wait for ever.
  try {
    RequireRegularFile(path);
  } catch (const std::exception& error) {
    throw MediaError(std::string(kOpenFileFailed) + ": " + error.what());
  }
  const LoadedModule& module = Module();
  if (!module.open) throw MediaError(std::string(kOpenFileFailed) + ": " + module.failure);
  try {
    state_->decoder.reset(module.open(path.c_str()));
  } catch (const std::exception& error) {
    throw MediaError(error.what());
  }
}

AviReader::~AviReader() = default;

int AviReader::Width() const { return state_->decoder->Width(); }
int AviReader::Height() const { return state_->decoder->Height(); }
std::int64_t AviReader::DeclaredFrameCount() const {
  return state_->decoder->DeclaredFrameCount();
}

bool AviReader::ReadFrame(AviFrame& frame) {
  AviModuleFrame decoded;
  try {
    if (!state_->decoder->ReadFrame(decoded)) return false;
  } catch (const std::exception& error) {
    throw MediaError(error.what());
  }
  frame = AviFrame();
  frame.sample = decoded.sample;
  frame.is_placeholder = decoded.is_placeholder;
  if (decoded.is_placeholder) return true;
  if (decoded.paletted) {
    frame.picture.Reset(decoded.width, decoded.height, PixelFormat::Bits8);
    for (int i = 0; i < 256; ++i) {
      frame.picture.ColorTable()[i] = {decoded.palette[3 * i], decoded.palette[3 * i + 1],
                                       decoded.palette[3 * i + 2]};
    }
  } else {
    frame.picture.Reset(decoded.width, decoded.height, PixelFormat::Bits24);
  }
  if (decoded.pixels.size() != frame.picture.Pixels().size()) {
    throw MediaError("Failed to decompress AVI frame");
  }
  frame.picture.Pixels() = std::move(decoded.pixels);
  return true;
}

std::vector<AviFrame> ReadAviFrames(const std::filesystem::path& path) {
  AviReader reader(path);
  std::vector<AviFrame> frames;
  AviFrame frame;
  while (reader.ReadFrame(frame)) frames.push_back(std::move(frame));
  return frames;
}

}  // namespace celwright
