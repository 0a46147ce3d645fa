// Fuzzes the object list parser: any bytes as the text of "objects\r3d.log".
#include <cstdio>

#include "../../k3d/k3d.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    FILE* file = fmemopen(const_cast<uint8_t*>(data), size, "r");
    if (!file) return 0;
    std::vector<ObjectListEntry> entries = ParseObjectList(file);
    std::fclose(file);
    for (const ObjectListEntry& entry : entries)
        if (entry.name.empty() || entry.name.size() > 79) __builtin_trap();
    return 0;
}
