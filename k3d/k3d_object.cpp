// Mesh bank: the object list (name and byte offset per line) and R3D mesh
// records compiled into display lists, drawn by name.
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/data_file.h"
#include "platform/paths.h"
#include "k3d.h"

void aseFree(model* m) {
    delete[] m->texVertices;
    delete[] m->vertices;
    delete[] m->vertexNormals;
    delete[] m->indices;
    m->texVertices = nullptr;
    m->vertices = nullptr;
    m->vertexNormals = nullptr;
    m->indices = nullptr;
}

void Kestrel3D::setObjectListFile(const char* path) { OListFile = path; }
void Kestrel3D::set3DDataFile(const char* path) { ODataFile = path; }

// A second call replaces the table, releasing the first.
void Kestrel3D::InitObjects(int num) {
    for (int i = 0; i < numObjects && Objects; ++i) glDeleteLists(Objects[i], 1);
    delete[] Objects;
    if (num < 0) num = 0;
    numObjects = num;
    Objects = new GLuint[static_cast<size_t>(num)]();
}

void Kestrel3D::FreeObjects() {
    for (int i = 0; i < numObjects && Objects; ++i) glDeleteLists(Objects[i], 1);
    for (const std::string& name : OName.names) glDeleteLists(static_cast<GLuint>(OName.object[name]), 1);
    delete[] Objects;
    Objects = nullptr;
}

// A name listed again takes the later line's list and offset; the display
// list made for the earlier one is released.
void Kestrel3D::addObjectName(const std::string& name, int num, int offset) {
    auto known = OName.object.find(name);
    if (known != OName.object.end()) glDeleteLists(static_cast<GLuint>(known->second), 1);
    else OName.names.push_back(name);
    OName.object[name] = num;
    OName.offset[name] = offset;
}

// Reads one line of the list into `line` (at most 79 characters, without its
// end of line). A NUL byte ends the line's text: the rest of that line is
// skipped and reading goes on with the next. Returns false when the line was
// longer than 79 characters (its first 79 are kept), which ends the list.
static bool ReadListLine(FILE* file, char (&line)[80]) {
    size_t length = 0;
    bool textEnded = false;
    for (int c = std::fgetc(file); c != EOF && c != '\n'; c = std::fgetc(file)) {
        if (textEnded) continue;
        if (c == '\0') {
            textEnded = true;
        } else if (length == 79) {
            int after = c == '\r' ? std::fgetc(file) : c;  // a line of exactly 79 characters may end in CR LF
            line[length] = '\0';
            return after == '\n' || after == EOF;
        } else {
            line[length++] = static_cast<char>(c);
        }
    }
    if (length > 0 && line[length - 1] == '\r') --length;
    line[length] = '\0';
    return true;
}

// Offsets beyond the 32-bit range become the nearest bound, which no record fits.
std::vector<ObjectListEntry> ParseObjectList(FILE* file) {
    std::vector<ObjectListEntry> entries;
    char line[80];
    for (;;) {
        int next = std::fgetc(file);
        if (next == EOF) break;
        std::ungetc(next, file);
        bool complete = ReadListLine(file, line);
        char name[80];
        char number[80];
        if (std::sscanf(line, "%79s %79s", name, number) == 2) {
            char* end = nullptr;
            errno = 0;
            long long offset = std::strtoll(number, &end, 10);
            if (end != number) entries.push_back({name, static_cast<int>(std::clamp<long long>(offset, INT32_MIN, INT32_MAX))});
        }
        if (!complete) break;
    }
    return entries;
}

void Kestrel3D::readListFile() {
    FILE* file = platform::OpenRegularFile(platform::ResolveDataPath(OListFile));
    if (!file) {
        ow->WNDError("Could not open object list file!");
        return;
    }
    for (const ObjectListEntry& entry : ParseObjectList(file)) addObjectName(entry.name, static_cast<int>(glGenLists(1)), entry.offset);
    std::fclose(file);
}

bool Kestrel3D::loadObjects() {
    for (const std::string& name : OName.names) loadR3D(ODataFile, OName.object[name], OName.offset[name]);
    return true;
}

// Every record the entries name fits the mesh file as it is now; if not, what is wrong.
static bool RecordsReadable(const char* dataFile, const std::vector<ObjectListEntry>& entries, std::string* problem) {
    FILE* file = platform::OpenRegularFile(platform::ResolveDataPath(dataFile));
    if (!file) {
        *problem = "Could not open R3D file";
        return false;
    }
    std::fseek(file, 0, SEEK_END);
    long long fileSize = std::ftell(file);
    bool readable = true;
    for (const ObjectListEntry& entry : entries) {
        model m;
        readable = ReadR3DRecord(file, fileSize, entry.offset, &m);
        aseFree(&m);
        if (!readable) {
            char message[256];
            std::snprintf(message, sizeof message, "Bad R3D record at offset %d: it does not fit the file", entry.offset);
            *problem = message;
            break;
        }
    }
    std::fclose(file);
    return readable;
}

// The list and the records are both checked before anything is replaced, so
// a damaged pair leaves the bank as it was.
bool Kestrel3D::ReloadObjectList(std::string* problem) {
    FILE* file = platform::OpenRegularFile(platform::ResolveDataPath(OListFile));
    if (!file) {
        *problem = "Could not open object list file!";
        return false;
    }
    std::vector<ObjectListEntry> entries = ParseObjectList(file);
    std::fclose(file);
    if (!RecordsReadable(ODataFile, entries, problem)) return false;
    for (const std::string& name : OName.names) glDeleteLists(static_cast<GLuint>(OName.object[name]), 1);
    OName = ObjectNames();
    for (const ObjectListEntry& entry : entries) addObjectName(entry.name, static_cast<int>(glGenLists(1)), entry.offset);
    return loadObjects();
}

namespace {

int32_t ReadInt(const unsigned char* p) {
    return static_cast<int32_t>(p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24));
}

float ReadFloat(const unsigned char* p) {
    uint32_t bits = static_cast<uint32_t>(ReadInt(p));
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

void ReadFloats(const unsigned char* p, float* out, size_t count) {
    for (size_t i = 0; i < count; ++i) out[i] = ReadFloat(p + 4 * i);
}

}  // namespace

bool ReadR3DRecord(FILE* file, long long fileSize, int offset, model* m) {
    unsigned char header[20];
    if (offset < 0 || offset + 20LL > fileSize) return false;
    if (std::fseek(file, offset, SEEK_SET) != 0 || std::fread(header, 1, 20, file) != 20) return false;
    m->numVertices = ReadInt(&header[0]);
    m->numFaces = ReadInt(&header[4]);
    m->normals = ReadInt(&header[8]);
    m->numTexVertices = ReadInt(&header[12]);
    m->numTexFaces = ReadInt(&header[16]);
    if (m->numVertices < 0 || m->numFaces < 0 || m->numTexVertices < 0) return false;
    long long need = 12LL * m->numVertices + 12LL * m->numFaces + 8LL * m->numTexVertices + (m->normals ? 12LL * m->numVertices : 0);
    if (offset + 20LL + need > fileSize) return false;
    std::vector<unsigned char> body(static_cast<size_t>(need));
    if (std::fread(body.data(), 1, body.size(), file) != body.size()) return false;
    const unsigned char* p = body.data();
    m->vertices = new vector3[static_cast<size_t>(m->numVertices)];
    ReadFloats(p, &m->vertices[0].x, 3 * static_cast<size_t>(m->numVertices));
    p += 12 * static_cast<size_t>(m->numVertices);
    m->indices = new unsigned int[3 * static_cast<size_t>(m->numFaces)];
    bool indicesFit = true;
    for (size_t i = 0; i < 3 * static_cast<size_t>(m->numFaces); ++i) {
        m->indices[i] = static_cast<unsigned int>(ReadInt(p + 4 * i));
        indicesFit = indicesFit && m->indices[i] < static_cast<unsigned int>(m->numVertices);
    }
    p += 12 * static_cast<size_t>(m->numFaces);
    if (m->numTexVertices) {
        m->texVertices = new vector2[static_cast<size_t>(m->numTexVertices)];
        ReadFloats(p, &m->texVertices[0].u, 2 * static_cast<size_t>(m->numTexVertices));
        p += 8 * static_cast<size_t>(m->numTexVertices);
    }
    if (m->normals) {
        m->vertexNormals = new vector3[static_cast<size_t>(m->numVertices)];
        ReadFloats(p, &m->vertexNormals[0].x, 3 * static_cast<size_t>(m->numVertices));
    }
    return indicesFit;
}

// A record is compiled only when its counts and offset fit the file and every
// index names a vertex; otherwise its list stays empty and the viewer is told.
bool Kestrel3D::loadR3D(const char* fname, int list, int offset) {
    FILE* file = platform::OpenRegularFile(platform::ResolveDataPath(fname));
    if (!file) {
        ow->WNDError("Could not open R3D file");
        return false;
    }
    std::fseek(file, 0, SEEK_END);
    long long fileSize = std::ftell(file);
    model m;
    bool read = ReadR3DRecord(file, fileSize, offset, &m);
    std::fclose(file);
    if (!read) {
        aseFree(&m);
        char message[256];
        std::snprintf(message, sizeof message, "Bad R3D record at offset %d: it does not fit the file", offset);
        ow->WNDError(message);
        return false;
    }
    bool withTexture = m.texVertices && m.numTexVertices >= m.numVertices;
    bool withNormals = m.vertexNormals != nullptr;
    glNewList(static_cast<GLuint>(list), GL_COMPILE);
    glEnableClientState(GL_VERTEX_ARRAY);
    if (withTexture) glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    else glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    if (withNormals) glEnableClientState(GL_NORMAL_ARRAY);
    else glDisableClientState(GL_NORMAL_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, m.vertices);
    if (withTexture) glTexCoordPointer(2, GL_FLOAT, 0, m.texVertices);
    if (withNormals) glNormalPointer(GL_FLOAT, 0, m.vertexNormals);
    if (m.numFaces > 0) glDrawElements(GL_TRIANGLES, m.numFaces * 3, GL_UNSIGNED_INT, m.indices);
    glEndList();
    aseFree(&m);
    return true;
}

void Kestrel3D::drawObject(const std::string& name) { glCallList(static_cast<GLuint>(OName.object[name])); }
