// A scratch folder for one fuzzing run: each input is written to a file
// there, so it is memory-backed when the machine has /dev/shm, and removed
// when the run ends.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace kelvora::fuzz {

// A plain array, so the folder name is still there for the exit hook.
inline char gScratchFolder[64];

inline void RemoveScratchFolder() { std::filesystem::remove_all(gScratchFolder); }

// The path of `fileName` inside the run's folder, made on first use.
inline std::filesystem::path ScratchFile(const char* prefix, const char* fileName) {
  if (gScratchFolder[0] == '\0') {
    const bool shm = std::filesystem::is_directory("/dev/shm");
    std::snprintf(gScratchFolder, sizeof gScratchFolder, "%s/%s_XXXXXX", shm ? "/dev/shm" : "/tmp",
                  prefix);
    if (mkdtemp(gScratchFolder) == nullptr) std::abort();
    std::atexit(RemoveScratchFolder);
  }
  return std::filesystem::path(gScratchFolder) / fileName;
}

inline void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace kelvora::fuzz
