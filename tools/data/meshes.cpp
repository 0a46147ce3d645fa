// The show's meshes, built from boxes, spheres, tubes and cones: the robot,
// two knotted shapes, two spiky balls, the letter cube, and the greeting
// panel with its frame. Each sized for the camera of the scene that draws it.
#include "meshes.h"

#include <cmath>
#include <cstring>
#include <functional>

namespace gen {

namespace {

constexpr float kPi = 3.14159265f;

Vec3 Add(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vec3 Sub(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec3 Mul(Vec3 a, float k) { return {a.x * k, a.y * k, a.z * k}; }
Vec3 Cross(Vec3 a, Vec3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
float Dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec3 Normalize(Vec3 a) {
    float length = std::sqrt(Dot(a, a));
    return length > 0 ? Mul(a, 1 / length) : Vec3{0, 0, 1};
}

uint32_t Vertex(Mesh& m, Vec3 p, Vec3 n, Vec2 uv) {
    m.positions.push_back(p);
    m.normals.push_back(Normalize(n));
    m.uvs.push_back(uv);
    return static_cast<uint32_t>(m.positions.size() - 1);
}

void Triangle(Mesh& m, uint32_t a, uint32_t b, uint32_t c) {
    m.indices.insert(m.indices.end(), {a, b, c});
}

// A flat-shaded quad; corners counter-clockwise seen from outside.
void Quad(Mesh& m, Vec3 a, Vec3 b, Vec3 c, Vec3 d) {
    Vec3 n = Normalize(Cross(Sub(b, a), Sub(c, a)));
    uint32_t i = Vertex(m, a, n, {0, 1}), j = Vertex(m, b, n, {1, 1}), k = Vertex(m, c, n, {1, 0}), l = Vertex(m, d, n, {0, 0});
    Triangle(m, i, j, k);
    Triangle(m, i, k, l);
}

void Box(Mesh& m, Vec3 c, Vec3 h) {
    Vec3 p[8];
    for (int i = 0; i < 8; ++i) p[i] = {c.x + (i & 1 ? h.x : -h.x), c.y + (i & 2 ? h.y : -h.y), c.z + (i & 4 ? h.z : -h.z)};
    Quad(m, p[4], p[5], p[7], p[6]);  // +z
    Quad(m, p[1], p[0], p[2], p[3]);  // -z
    Quad(m, p[5], p[1], p[3], p[7]);  // +x
    Quad(m, p[0], p[4], p[6], p[2]);  // -x
    Quad(m, p[6], p[7], p[3], p[2]);  // +y
    Quad(m, p[0], p[1], p[5], p[4]);  // -y
}

// A smooth surface over (s, t) in [0,1]^2, closed in s (and in t when `closedT`);
// normals from the surface's partial derivatives.
void Surface(Mesh& m, int segmentsS, int segmentsT, bool closedT, const std::function<Vec3(float, float)>& at,
             float uvRepeatS = 1, float uvRepeatT = 1) {
    uint32_t base = static_cast<uint32_t>(m.positions.size());
    int rowsT = segmentsT + 1;
    const float e = 1e-3f;
    for (int i = 0; i <= segmentsS; ++i) {
        for (int j = 0; j < rowsT; ++j) {
            float s = static_cast<float>(i) / segmentsS, t = static_cast<float>(j) / segmentsT;
            Vec3 p = at(s, t);
            Vec3 ds = Sub(at(s + e, t), at(s - e, t));
            float t0 = closedT ? t - e : std::max(t - e, 0.0f), t1 = closedT ? t + e : std::min(t + e, 1.0f);
            Vec3 dt = Sub(at(s, t1), at(s, t0));
            Vertex(m, p, Cross(ds, dt), {s * uvRepeatS, t * uvRepeatT});
        }
    }
    for (int i = 0; i < segmentsS; ++i)
        for (int j = 0; j < segmentsT; ++j) {
            uint32_t a = base + i * rowsT + j, b = base + (i + 1) * rowsT + j;
            Triangle(m, a, b, b + 1);
            Triangle(m, a, b + 1, a + 1);
        }
}

void Sphere(Mesh& m, Vec3 c, float r, int segments = 16) {
    Surface(m, segments, segments / 2, false, [=](float s, float t) {
        float theta = s * 2 * kPi, phi = t * kPi;
        return Vec3{c.x + r * std::sin(phi) * std::cos(theta), c.y + r * std::cos(phi), c.z + r * std::sin(phi) * std::sin(theta)};
    });
}

// A box with rounded edges and smooth normals (a superellipsoid), the shape
// of the robot's parts in its pictures.
void RoundBox(Mesh& m, Vec3 c, Vec3 h, float roundness = 0.35f) {
    auto signedPow = [](float v, float e) { return std::copysign(std::pow(std::fabs(v), e), v); };
    Surface(m, 24, 12, false, [=](float s, float t) {
        float theta = s * 2 * kPi, phi = t * kPi;
        float ring = signedPow(std::sin(phi), roundness);
        return Vec3{c.x + h.x * ring * signedPow(std::cos(theta), roundness), c.y + h.y * signedPow(std::cos(phi), roundness),
                    c.z + h.z * ring * signedPow(std::sin(theta), roundness)};
    });
}

void Cylinder(Mesh& m, Vec3 a, Vec3 b, float r, int segments = 12) {
    Vec3 axis = Normalize(Sub(b, a));
    Vec3 side = Normalize(Cross(axis, std::fabs(axis.y) < 0.9f ? Vec3{0, 1, 0} : Vec3{1, 0, 0}));
    Vec3 up = Cross(axis, side);
    Surface(m, segments, 1, false, [=](float s, float t) {
        float angle = s * 2 * kPi;
        Vec3 ring = Add(Mul(side, r * std::cos(angle)), Mul(up, r * std::sin(angle)));
        return Add(Add(a, Mul(Sub(b, a), t)), ring);
    });
}

// A faceted cone from a circle around `base`, square to the axis, up to `tip`.
void Cone(Mesh& m, Vec3 base, Vec3 tip, float radius, int sides) {
    Vec3 axis = Normalize(Sub(tip, base));
    Vec3 side = Normalize(Cross(axis, std::fabs(axis.y) < 0.9f ? Vec3{0, 1, 0} : Vec3{1, 0, 0}));
    Vec3 up = Cross(axis, side);
    for (int k = 0; k < sides; ++k) {
        float a0 = 2 * kPi * k / sides, a1 = 2 * kPi * (k + 1) / sides;
        Vec3 p0 = Add(base, Add(Mul(side, radius * std::cos(a0)), Mul(up, radius * std::sin(a0))));
        Vec3 p1 = Add(base, Add(Mul(side, radius * std::cos(a1)), Mul(up, radius * std::sin(a1))));
        Vec3 n = Normalize(Cross(Sub(p1, p0), Sub(tip, p0)));
        uint32_t i = Vertex(m, p0, n, {0, 1}), j = Vertex(m, p1, n, {1, 1}), l = Vertex(m, tip, n, {0.5f, 0});
        Triangle(m, i, j, l);
    }
}

// Points spread over a sphere (a golden spiral), for the spikes.
std::vector<Vec3> SpreadDirections(int count) {
    std::vector<Vec3> directions;
    for (int i = 0; i < count; ++i) {
        float y = 1 - 2 * (i + 0.5f) / count;
        float r = std::sqrt(1 - y * y), angle = i * 2.3999632f;
        directions.push_back({r * std::cos(angle), y, r * std::sin(angle)});
    }
    return directions;
}

Mesh Spiky(const char* name, int spikes, float spikeLength) {
    Mesh m;
    m.name = name;
    Sphere(m, {0, 0, 0}, 0.22f, 24);
    for (Vec3 d : SpreadDirections(spikes)) Cone(m, Mul(d, 0.19f), Mul(d, spikeLength), 0.065f, 8);
    return m;
}

Vec3 KnotPoint(float t) {
    float r = 2 + std::cos(3 * t);
    return Mul(Vec3{r * std::cos(2 * t), r * std::sin(2 * t), std::sin(3 * t)}, 0.14f);
}

Mesh TorusKnot() {
    Mesh m;
    m.name = "trendy01";
    Surface(m, 160, 14, true, [](float s, float t) {
        float u = s * 2 * kPi;
        Vec3 p = KnotPoint(u);
        Vec3 tangent = Normalize(Sub(KnotPoint(u + 0.01f), KnotPoint(u - 0.01f)));
        Vec3 normal = Normalize(Cross(tangent, Vec3{0, 0, 1}));
        Vec3 binormal = Cross(normal, tangent);
        float angle = t * 2 * kPi;
        return Add(p, Add(Mul(normal, 0.075f * std::cos(angle)), Mul(binormal, 0.075f * std::sin(angle))));
    }, 8, 1);
    return m;
}

Mesh TwistedTorus() {
    Mesh m;
    m.name = "trendy02_t";
    Surface(m, 96, 32, true, [](float s, float t) {
        float u = s * 2 * kPi, a = t * 2 * kPi;
        // A rounded square cross-section turning three times around the ring.
        float twist = a + 1.5f * u;
        float radius = 0.13f / std::pow(std::pow(std::fabs(std::cos(a)), 4.0f) + std::pow(std::fabs(std::sin(a)), 4.0f), 0.25f);
        float cx = radius * std::cos(twist), cy = radius * std::sin(twist);
        float ring = 0.33f + cx;
        return Vec3{ring * std::cos(u), cy, -ring * std::sin(u)};
    }, 4, 1);
    return m;
}

// The letter cube's corners carry normals leaning out towards the corner, so
// a face's light changes across it as a light passes the plane of the
// faces, where flat normals would switch the whole grid's faces in one frame
// (which a shininess of almost 0 makes a step from dark to lit).
Mesh Cube() {
    Mesh m;
    m.name = "cuube";
    Box(m, {0, 0, 0}, {0.08f, 0.08f, 0.08f});
    for (size_t i = 0; i < m.positions.size(); ++i)
        m.normals[i] = Normalize(Add(m.normals[i], Mul(Normalize(m.positions[i]), 0.8f)));
    return m;
}

// Built upright in x right, y up, z towards the viewer; stored with y forward
// and -z up, the way the robot scene turns it.
Mesh Robot() {
    Mesh m;
    m.name = "robot01";
    const float lift = -1.35f;
    for (float side : {-1.0f, 1.0f}) {
        RoundBox(m, {side * 0.24f, lift + 0.5f, 0}, {0.13f, 0.5f, 0.15f});           // leg
        RoundBox(m, {side * 0.26f, lift + 0.06f, 0.08f}, {0.18f, 0.07f, 0.25f});      // foot
        Sphere(m, {side * 0.62f, lift + 1.88f, 0}, 0.14f);                           // shoulder
        Cylinder(m, {side * 0.66f, lift + 1.85f, 0}, {side * 0.78f, lift + 1.3f, 0.08f}, 0.09f);
        Sphere(m, {side * 0.78f, lift + 1.3f, 0.08f}, 0.1f);                         // elbow
        Cylinder(m, {side * 0.78f, lift + 1.3f, 0.08f}, {side * 0.76f, lift + 0.88f, 0.28f}, 0.08f);
        Sphere(m, {side * 0.76f, lift + 0.84f, 0.3f}, 0.13f);                        // hand
    }
    RoundBox(m, {0, lift + 1.05f, 0}, {0.36f, 0.1f, 0.2f});                          // hips
    RoundBox(m, {0, lift + 1.6f, 0}, {0.5f, 0.45f, 0.3f}, 0.3f);                     // chest
    RoundBox(m, {0, lift + 1.62f, 0.27f}, {0.3f, 0.2f, 0.06f});                      // chest panel
    for (int i = 0; i < 3; ++i) Sphere(m, {-0.16f + 0.16f * i, lift + 1.68f, 0.33f}, 0.05f, 12);  // lights
    Cylinder(m, {0, lift + 2.04f, 0}, {0, lift + 2.16f, 0}, 0.11f);                  // neck
    RoundBox(m, {0, lift + 2.42f, 0}, {0.34f, 0.26f, 0.28f}, 0.3f);                  // head
    RoundBox(m, {0, lift + 2.45f, 0.22f}, {0.26f, 0.1f, 0.08f});                     // visor
    Sphere(m, {-0.12f, lift + 2.45f, 0.3f}, 0.06f);                                  // eyes
    Sphere(m, {0.12f, lift + 2.45f, 0.3f}, 0.06f);
    Cylinder(m, {0, lift + 2.66f, 0}, {0, lift + 2.92f, 0}, 0.025f, 8);              // antenna
    Sphere(m, {0, lift + 2.96f, 0}, 0.06f);
    RoundBox(m, {-0.36f, lift + 2.42f, 0}, {0.05f, 0.1f, 0.1f});                     // ears
    RoundBox(m, {0.36f, lift + 2.42f, 0}, {0.05f, 0.1f, 0.1f});
    // Its glowing copy is drawn with the background bound, the nebula: every
    // vertex reads the nebula's bright pink heart, so the copy glows in one
    // colour as the robot pictures' glows do.
    for (Vec2& uv : m.uvs) uv = {0.56f + 0.06f * uv.u, 0.45f + 0.06f * uv.v};
    for (size_t i = 0; i < m.positions.size(); ++i) {
        Vec3 p = m.positions[i], n = m.normals[i];
        m.positions[i] = {p.x, p.z, -p.y};
        m.normals[i] = {n.x, n.z, -n.y};
    }
    return m;
}

// The panel shows its picture upright and unmirrored after the scene's half
// turn about z, from the front and, through a second face, from behind. The
// scene turns it right of the band's middle: it is small enough, with its
// frame, to stay inside the band as it turns.
Mesh GreetingPanel() {
    Mesh m;
    m.name = "greetings1";
    const float w = 0.5f, h = 0.25f, gap = 0.004f;
    Vec3 n{0, 0, 1};
    uint32_t a = Vertex(m, {w, -h, gap}, n, {0, 0}), b = Vertex(m, {-w, -h, gap}, n, {1, 0});
    uint32_t c = Vertex(m, {-w, h, gap}, n, {1, 1}), d = Vertex(m, {w, h, gap}, n, {0, 1});
    Triangle(m, a, d, c);
    Triangle(m, a, c, b);
    Vec3 back{0, 0, -1};
    a = Vertex(m, {-w, -h, -gap}, back, {0, 0});
    b = Vertex(m, {w, -h, -gap}, back, {1, 0});
    c = Vertex(m, {w, h, -gap}, back, {1, 1});
    d = Vertex(m, {-w, h, -gap}, back, {0, 1});
    Triangle(m, a, d, c);
    Triangle(m, a, c, b);
    return m;
}

Mesh GreetingFrame() {
    Mesh m;
    m.name = "greetings2";
    const float w = 0.5f, h = 0.25f, bar = 0.04f, depth = 0.045f;
    Box(m, {0, h + bar, 0}, {w + 2 * bar, bar, depth});
    Box(m, {0, -h - bar, 0}, {w + 2 * bar, bar, depth});
    Box(m, {w + bar, 0, 0}, {bar, h, depth});
    Box(m, {-w - bar, 0, 0}, {bar, h, depth});
    for (float x : {-1.0f, 1.0f})
        for (float y : {-1.0f, 1.0f}) Sphere(m, {x * (w + bar), y * (h + bar), 0}, 0.065f, 12);
    return m;
}

void PutInt(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void PutFloat(std::vector<uint8_t>& out, float f) {
    uint32_t bits;
    std::memcpy(&bits, &f, 4);
    PutInt(out, bits);
}

}  // namespace

std::vector<Mesh> MakeMeshes() {
    return {Robot(), TwistedTorus(), TorusKnot(), Spiky("piikki1", 14, 0.5f), Spiky("piikki2", 34, 0.42f), Cube(),
            GreetingPanel(), GreetingFrame()};
}

std::vector<uint8_t> EncodeR3D(const Mesh& mesh) {
    std::vector<uint8_t> out;
    uint32_t vertices = static_cast<uint32_t>(mesh.positions.size());
    uint32_t faces = static_cast<uint32_t>(mesh.indices.size() / 3);
    PutInt(out, vertices);
    PutInt(out, faces);
    PutInt(out, 1);
    PutInt(out, vertices);
    PutInt(out, faces);
    for (const Vec3& p : mesh.positions) {
        PutFloat(out, p.x);
        PutFloat(out, p.y);
        PutFloat(out, p.z);
    }
    for (size_t f = 0; f < faces; ++f) {
        PutInt(out, mesh.indices[3 * f]);
        PutInt(out, mesh.indices[3 * f + 2]);
        PutInt(out, mesh.indices[3 * f + 1]);
    }
    for (const Vec2& uv : mesh.uvs) {
        PutFloat(out, uv.u);
        PutFloat(out, uv.v);
    }
    for (const Vec3& n : mesh.normals) {
        PutFloat(out, n.x);
        PutFloat(out, n.y);
        PutFloat(out, n.z);
    }
    return out;
}

}  // namespace gen
