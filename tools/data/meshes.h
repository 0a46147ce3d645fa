// The meshes of the default data set and their R3D encoding.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace gen {

struct Vec3 {
    float x, y, z;
};
struct Vec2 {
    float u, v;
};

struct Mesh {
    std::string name;
    std::vector<Vec3> positions, normals;
    std::vector<Vec2> uvs;
    std::vector<uint32_t> indices;  // triangles, counter-clockwise seen from outside
};

std::vector<Mesh> MakeMeshes();

// One R3D record: counts, vertices, faces, texture coordinates, normals,
// little-endian. Faces are stored clockwise seen from outside, because the
// engine culls the faces that turn counter-clockwise on screen.
std::vector<uint8_t> EncodeR3D(const Mesh& mesh);

}  // namespace gen
