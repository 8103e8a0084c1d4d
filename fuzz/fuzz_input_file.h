#pragma once

// The readers under test take file names, so each input goes through one file per process.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

// Writes the input to this process's file with the given extension; empty when it cannot.
inline std::string WriteFuzzInput(const std::uint8_t* data, std::size_t size,
                                  const std::string& extension) {
  const std::string path = "/tmp/celwright-fuzz-" + std::to_string(getpid()) + extension;
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return {};
  std::fwrite(data, 1, size, file);
  std::fclose(file);
  return path;
}
