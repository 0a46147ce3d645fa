// Opening the files the show reads (pictures, glyphs, the mesh list and mesh
// file, the module, the font) without ever blocking: only a regular file is
// opened. A named pipe, socket, device, folder or symbolic-link loop is
// refused as a missing file is, so a data set can never hang the program.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace platform {

// A stdio stream for reading, or null. The file is opened without blocking
// and checked on the opened descriptor, so nothing can swap it in between.
FILE* OpenRegularFile(const std::string& path);

// The whole file, or false when it cannot be opened or read.
bool ReadRegularFile(const std::string& path, std::vector<uint8_t>* bytes);

}  // namespace platform
