// Broken data sets, one kind of damage each: pqn runs the whole show headless
// on each, shows exactly the expected messages, never crashes or hangs, and
// exits 0.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "sound/xm_sync.h"
#include "support.h"

namespace fs = std::filesystem;

namespace {

void Write(const fs::path& path, const std::string& bytes) {
    fs::remove_all(path);
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string Read(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

void Resize(const fs::path& path, uintmax_t size) { fs::resize_file(path, size); }

// Puts a symbolic link to `target` where a file was.
void Link(const fs::path& path, const fs::path& target) {
    fs::remove_all(path);
    fs::create_symlink(target, path);
}

// Puts a named pipe where a file was: opening it for reading would wait for a writer for ever.
void Pipe(const fs::path& path) {
    fs::remove_all(path);
    ASSERT_EQ(mkfifo(path.c_str(), 0644), 0) << path;
}

std::string Int(int32_t v) { return std::string(reinterpret_cast<const char*>(&v), 4); }

// An R3D record header with the given counts, followed by `body` bytes.
std::string Record(int32_t vertices, int32_t faces, int32_t normals, int32_t texVertices, const std::string& body) {
    return Int(vertices) + Int(faces) + Int(normals) + Int(texVertices) + Int(faces) + body;
}

// Appends a line to the object list.
void AddListLine(const fs::path& data, const std::string& line) {
    fs::path list = data / "objects" / "r3d.log";
    Write(list, Read(list) + line);
}

// Appends a record to the mesh data and lists it as "extra".
void AddRecord(const fs::path& data, const std::string& record) {
    fs::path meshes = data / "objects" / "objects.r3d";
    std::string bytes = Read(meshes);
    Write(meshes, bytes + record);
    AddListLine(data, "extra " + std::to_string(bytes.size()) + "\n");
}

// Keeps the module's first `orders` orders (its patterns stay), and sets its restart position.
void ShortenModule(const fs::path& data, uint16_t orders, uint16_t restart) {
    fs::path module = data / "biisi.xm";
    std::string bytes = Read(module);
    std::memcpy(&bytes[64], &orders, 2);
    std::memcpy(&bytes[66], &restart, 2);
    Write(module, bytes);
}

// Clears every E8x cell of the module.
void RemoveCues(const fs::path& data) {
    std::string raw = Read(data / "biisi.xm");
    std::vector<uint8_t> bytes(raw.begin(), raw.end());
    xmsync::CueTable cues;
    xmsync::ClearSyncEffects(&bytes, &cues);
    Write(data / "biisi.xm", std::string(bytes.begin(), bytes.end()));
}

struct Damage {
    const char* name;
    std::function<void(const fs::path&)> apply;
    std::vector<std::string> messages;  // exactly these boxes, in order
};

// A case reads as its name in the test's output.
void PrintTo(const Damage& damage, std::ostream* out) { *out << damage.name; }

const std::string kBadRecord = "Bad R3D record at offset ";

std::vector<std::string> Times(int n, const std::string& text) { return std::vector<std::string>(n, text); }

const Damage kCatalogue[] = {
    {"EmptyPicture", [](const fs::path& d) { Write(d / "images" / "tausta1.raw", ""); }, {}},
    {"PictureOneByteShort", [](const fs::path& d) { Resize(d / "images" / "robo1.raw", 512 * 256 * 4 - 1); }, {}},
    {"PictureMuchLarger", [](const fs::path& d) { Resize(d / "images" / "rengas.raw", 8 << 20); }, {}},
    {"FolderInsteadOfAPicture",
     [](const fs::path& d) {
         fs::remove(d / "images" / "tausta2.raw");
         fs::create_directory(d / "images" / "tausta2.raw");
     },
     {"Can't open image file!"}},
    {"UnreadableGreyPicture", [](const fs::path& d) { Link(d / "images" / "nelio.raw", "/nonexistent/nelio.raw"); },
     {"Can't open raw image file!"}},
    {"PicturesInOtherCase", [](const fs::path& d) { fs::rename(d / "images", d / "IMAGES"); }, {}},
    {"EmptyObjectList", [](const fs::path& d) { Write(d / "objects" / "r3d.log", ""); }, {}},
    {"ObjectListNameOnlyLines", [](const fs::path& d) { AddListLine(d, "nameonly\n\n   \nanother\n"); }, {}},
    {"ObjectListOverlongLine", [](const fs::path& d) { AddListLine(d, std::string(300, 'x') + " 0\nextra 0\n"); }, {}},
    {"ObjectListNegativeAndHugeOffsets", [](const fs::path& d) { AddListLine(d, "neg -1000\nhuge 2147483647\n"); },
     {kBadRecord + "-1000: it does not fit the file", kBadRecord + "2147483647: it does not fit the file"}},
    {"ObjectListDuplicateNames", [](const fs::path& d) { AddListLine(d, "greetings2 0\n"); }, {}},
    {"ObjectListCrlfWithoutFinalNewline",
     [](const fs::path& d) {
         std::string list = Read(d / "objects" / "r3d.log"), crlf;
         for (char c : list) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
         Write(d / "objects" / "r3d.log", crlf.substr(0, crlf.size() - 2));
     },
     {}},
    {"DirectoryInsteadOfMeshData",
     [](const fs::path& d) {
         fs::remove(d / "objects" / "objects.r3d");
         fs::create_directory(d / "objects" / "objects.r3d");
     },
     Times(8, "Could not open R3D file")},
    {"RecordWithNegativeCounts", [](const fs::path& d) { AddRecord(d, Record(-3, 1, 1, 3, std::string(64, '\0'))); }, {}},
    {"RecordWithHugeCounts", [](const fs::path& d) { AddRecord(d, Record(0x7fffffff, 0x7fffffff, 1, 0x7fffffff, "")); }, {}},
    {"RecordWithIndexOutOfRange",
     [](const fs::path& d) { AddRecord(d, Record(3, 1, 0, 0, std::string(36, '\0') + Int(0) + Int(1) + Int(9))); }, {}},
    {"RecordPastTheEnd", [](const fs::path& d) { AddRecord(d, Record(100, 100, 1, 100, std::string(40, '\0'))); }, {}},
    {"NotAModule", [](const fs::path& d) { Write(d / "biisi.xm", "this is not a module"); }, {}},
    {"TruncatedModule", [](const fs::path& d) { Resize(d / "biisi.xm", 5000); }, {}},
    {"ModuleWithoutCues", RemoveCues, {}},
    {"ModuleEndingAtOrder10", [](const fs::path& d) { ShortenModule(d, 10, 0); }, {}},
    {"ModuleWithARestartPosition", [](const fs::path& d) { ShortenModule(d, 20, 12); }, {}},
    {"PipeInsteadOfAPicture", [](const fs::path& d) { Pipe(d / "images" / "tausta1.raw"); }, {"Can't open image file!"}},
    {"PipeInsteadOfAGreyPicture", [](const fs::path& d) { Pipe(d / "images" / "nelio.raw"); },
     {"Can't open raw image file!"}},
    {"PipeInsteadOfAGlyph", [](const fs::path& d) { Pipe(d / "images" / "m.raw"); }, {}},
    {"PipeInsteadOfTheObjectList", [](const fs::path& d) { Pipe(d / "objects" / "r3d.log"); },
     {"Could not open object list file!"}},
    {"PipeInsteadOfMeshData", [](const fs::path& d) { Pipe(d / "objects" / "objects.r3d"); },
     Times(8, "Could not open R3D file")},
    {"PipeInsteadOfTheModule", [](const fs::path& d) { Pipe(d / "biisi.xm"); }, {}},
    {"DeviceInsteadOfAPicture", [](const fs::path& d) { Link(d / "images" / "tausta2.raw", "/dev/zero"); },
     {"Can't open image file!"}},
    {"SymbolicLinkLoopInsteadOfAPicture", [](const fs::path& d) { Link(d / "images" / "tausta2.raw", "tausta2.raw"); },
     {"Can't open image file!"}},
    {"ObjectListLineWithANulByte",
     [](const fs::path& d) {
         std::string list = Read(d / "objects" / "r3d.log");
         Write(d / "objects" / "r3d.log", std::string("broken") + '\0' + " 0\n" + list);
     },
     {}},
    {"GlyphsOf0And255And257Bytes",
     [](const fs::path& d) {
         Write(d / "images" / "m.raw", "");
         Resize(d / "images" / "i.raw", 255);
         Resize(d / "images" / "at.raw", 257);
     },
     {}},
};

// The records added with a bad count or index are reported by their offset.
std::vector<std::string> Expected(const Damage& damage, const fs::path& data) {
    std::vector<std::string> messages = damage.messages;
    std::string name = damage.name;
    if (name.rfind("Record", 0) == 0) {
        std::string list = Read(data / "objects" / "r3d.log");
        size_t at = list.rfind("extra ");
        messages.push_back(kBadRecord + list.substr(at + 6, list.find('\n', at) - at - 6) + ": it does not fit the file");
    }
    return messages;
}

class CatalogueTest : public ::testing::TestWithParam<Damage> {};

TEST_P(CatalogueTest, TheShowGoesOnWithItsMessages) {
    const Damage& damage = GetParam();
    fs::path data = fs::path(test::TempDir()) / damage.name;
    fs::copy(PQN_DATA_DIR, data, fs::copy_options::recursive);
    damage.apply(data);
    std::string output, trace = (data / "trace.jsonl").string();
    int code = test::RunPqn("--headless --fps 4 --data " + data.string() + " --trace " + trace, &output);
    EXPECT_EQ(code, 0) << output;
    std::vector<std::string> boxes;
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);)
        if (line.rfind("Kestrel Error: ", 0) == 0) boxes.push_back(line.substr(15));
    EXPECT_EQ(boxes, Expected(damage, data));
    // The show ran through to its close: the last frame belongs to scene 9.
    std::string last, line;
    std::ifstream file(trace);
    while (std::getline(file, line))
        if (line.find("\"type\":\"frame\"") != std::string::npos) last = line;
    EXPECT_NE(last.find("\"scene\":9"), std::string::npos) << last;
}

INSTANTIATE_TEST_SUITE_P(Damage, CatalogueTest, ::testing::ValuesIn(kCatalogue),
                         [](const ::testing::TestParamInfo<Damage>& info) { return std::string(info.param.name); });

// Every file of the data set a named pipe: each is refused as a missing file
// is, so the show runs to its end with the messages of an empty data set, and
// as quickly.
TEST(PipeDataSetTest, ADataSetOfPipesIsShownAsAnEmptyOne) {
    fs::path pipes = fs::path(test::TempDir()) / "all-pipes", empty = fs::path(test::TempDir()) / "all-empty";
    fs::remove_all(pipes);
    fs::remove_all(empty);
    fs::create_directories(empty);
    for (const auto& entry : fs::recursive_directory_iterator(PQN_DATA_DIR)) {
        fs::path target = pipes / fs::relative(entry.path(), PQN_DATA_DIR);
        if (entry.is_directory()) fs::create_directories(target);
        else Pipe(target);
    }
    auto run = [](const fs::path& data, std::vector<std::string>* boxes) {
        std::string output;
        auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(test::RunPqn("--headless --fps 4 --data " + data.string(), &output), 0) << output;
        std::istringstream lines(output);
        for (std::string line; std::getline(lines, line);)
            if (line.rfind("Kestrel Error: ", 0) == 0) boxes->push_back(line.substr(15));
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    };
    std::vector<std::string> fromPipes, fromEmpty;
    double pipesS = run(pipes, &fromPipes), emptyS = run(empty, &fromEmpty);
    EXPECT_EQ(fromPipes, fromEmpty);
    EXPECT_EQ(fromPipes.size(), 52u);
    EXPECT_LT(pipesS, 2 * emptyS + 2) << "pipes " << pipesS << " s, empty " << emptyS << " s";
}

}  // namespace
