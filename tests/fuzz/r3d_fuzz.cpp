// Fuzzes the R3D record reader: the first four bytes are the offset from the
// object list, the rest is the mesh data file.
#include <cstdio>
#include <cstring>
#include <string>

#include "../../k3d/k3d.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 4) return 0;
    int32_t offset;
    std::memcpy(&offset, data, 4);
    std::string bytes(reinterpret_cast<const char*>(data + 4), size - 4);
    FILE* file = bytes.empty() ? nullptr : fmemopen(bytes.data(), bytes.size(), "rb");
    if (!file) return 0;
    model m;
    bool read = ReadR3DRecord(file, static_cast<long long>(bytes.size()), offset, &m);
    std::fclose(file);
    if (read) {
        // A record that is accepted must be drawable from its own arrays.
        for (int i = 0; i < 3 * m.numFaces; ++i)
            if (m.indices[i] >= static_cast<unsigned int>(m.numVertices)) __builtin_trap();
    }
    aseFree(&m);
    return 0;
}
