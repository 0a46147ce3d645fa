// The default data set: exact sizes, the same bytes on every run, a module
// with the show's form and cue sheet, and a manifest that loads cleanly with
// meshes that draw.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <libopenmpt/libopenmpt.hpp>
#include <set>
#include <sstream>
#include <tuple>

#include "../tools/data/meshes.h"
#include "../tools/data/pictures.h"
#include "../tools/data/soundtrack.h"
#include "support.h"

namespace fs = std::filesystem;

namespace {

std::vector<uint8_t> ReadAll(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

TEST(DataTest, PicturesHaveTheirExactSizes) {
    std::vector<gen::Picture> pictures = gen::MakePictures();
    ASSERT_EQ(pictures.size(), 63u);
    for (const gen::Picture& p : pictures) {
        EXPECT_EQ(p.bytes.size(), static_cast<size_t>(p.width) * p.height * p.channels) << p.name;
        EXPECT_EQ(fs::file_size(fs::path(PQN_DATA_DIR) / "images" / (p.name + ".raw")), p.bytes.size()) << p.name;
    }
    EXPECT_EQ(pictures.back().name, "zero");
    EXPECT_EQ(pictures.back().bytes.size(), 256u);
}

TEST(DataTest, TheGeneratorWritesTheSameBytesEveryRun) {
    std::string out = test::TempDir() + "/again";
    ASSERT_EQ(std::system((std::string(PQN_DATA_TOOL) + " " + out).c_str()), 0);
    size_t files = 0;
    for (const auto& entry : fs::recursive_directory_iterator(PQN_DATA_DIR)) {
        if (!entry.is_regular_file()) continue;
        fs::path relative = fs::relative(entry.path(), PQN_DATA_DIR);
        EXPECT_EQ(ReadAll(entry.path()), ReadAll(fs::path(out) / relative)) << relative;
        ++files;
    }
    EXPECT_EQ(files, 63u + 3u);
}

TEST(DataTest, MeshesCarryANormalAndATextureCoordinatePerVertex) {
    for (const gen::Mesh& mesh : gen::MakeMeshes()) {
        EXPECT_EQ(mesh.normals.size(), mesh.positions.size()) << mesh.name;
        EXPECT_EQ(mesh.uvs.size(), mesh.positions.size()) << mesh.name;
        for (uint32_t index : mesh.indices) ASSERT_LT(index, mesh.positions.size()) << mesh.name;
        for (const gen::Vec3& n : mesh.normals) ASSERT_NEAR(n.x * n.x + n.y * n.y + n.z * n.z, 1.0f, 1e-3f) << mesh.name;
    }
}

// The cue sheet: (order, row, x).
std::set<std::tuple<int, int, int>> CueSheet() {
    std::set<std::tuple<int, int, int>> cues;
    for (int row : {16, 48}) cues.insert({1, row, 2});
    for (int row : {24, 56}) cues.insert({1, row, 1});
    for (int row : {16, 32}) cues.insert({2, row, 2});
    for (int row : {20, 40}) cues.insert({2, row, 1});
    for (int order : {3, 4})
        for (int row = 0; row < 64; row += 8) cues.insert({order, row, 0});
    for (int row = 0; row <= 40; row += 8) cues.insert({5, row, 0});
    cues.insert({6, 16, 1});
    cues.insert({6, 32, 2});
    cues.insert({6, 48, 3});
    for (int order : {7, 8})
        for (int row : {0, 16, 32, 48}) cues.insert({order, row, 4});
    cues.insert({9, 32, 1});
    cues.insert({10, 0, 2});
    cues.insert({10, 48, 3});
    for (int order : {11, 12}) {
        for (int row : {16, 48}) cues.insert({order, row, 4});
        for (int row : {0, 32}) cues.insert({order, row, 0});
    }
    cues.insert({18, 16, 1});
    cues.insert({18, 40, 3});
    cues.insert({19, 0, 2});
    cues.insert({19, 32, 1});
    cues.insert({19, 56, 3});
    cues.insert({20, 16, 2});
    return cues;
}

TEST(DataTest, TheModuleHasTheShowsFormAndCueSheet) {
    std::vector<uint8_t> bytes = ReadAll(fs::path(PQN_DATA_DIR) / "biisi.xm");
    std::ostringstream log;
    openmpt::module module(bytes, log);
    EXPECT_EQ(log.str(), "");
    EXPECT_EQ(module.get_metadata("type"), "xm");
    ASSERT_GE(module.get_num_orders(), 28);
    EXPECT_EQ(module.get_current_speed(), 6);
    EXPECT_EQ(module.get_current_tempo(), 125);
    EXPECT_LE(module.get_num_channels(), 16);
    std::set<std::tuple<int, int, int>> found;
    for (int order = 0; order < module.get_num_orders(); ++order) {
        int pattern = module.get_order_pattern(order);
        ASSERT_EQ(module.get_pattern_num_rows(pattern), 64);
        for (int row = 0; row < 64; ++row)
            for (int ch = 0; ch < module.get_num_channels(); ++ch) {
                std::string letter = module.format_pattern_row_channel_command(pattern, row, ch, openmpt::module::command_effect);
                int param = module.get_pattern_row_channel_command(pattern, row, ch, openmpt::module::command_parameter);
                if (letter == "E" && (param >> 4) == 8 && (param & 15) <= 4) found.insert({order, row, param & 15});
            }
    }
    EXPECT_EQ(found, CueSheet());
    EXPECT_NEAR(module.set_position_order_row(27, 0), 218.0, 1.0);
}

TEST(DataTest, TheSoundtrackIsTheSameEveryTime) { EXPECT_EQ(gen::MakeSoundtrack(), gen::MakeSoundtrack()); }

class ManifestTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::OpenEngine();
        char here[4096];
        ASSERT_NE(getcwd(here, sizeof here), nullptr);
        previous = here;
        ASSERT_EQ(chdir(PQN_DATA_DIR), 0);
    }
    void TearDown() override {
        test::CloseEngine();
        ASSERT_EQ(chdir(previous.c_str()), 0);
    }
    std::string previous;
};

GLint Bound() {
    GLint id = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &id);
    return id;
}

TEST_F(ManifestTest, LoadsWithoutAMessageAndEveryMeshDraws) {
    size_t boxes = test::Boxes().size();
    g_syncFlags[3].store(1);
    EXPECT_TRUE(LoadAssets());
    EXPECT_EQ(test::Boxes().size(), boxes);
    EXPECT_EQ(g_syncFlags[3].load(), 0);
    ASSERT_NE(g_glyphAt, nullptr);

    g_engine->useTexture("tausta02");
    GLint named = Bound();
    g_engine->useTexture(14);
    EXPECT_EQ(named, Bound());
    g_engine->useTexture("tausta05");
    named = Bound();
    g_engine->useTexture(10);
    EXPECT_EQ(named, Bound());
    g_engine->useTexture("g01");
    ASSERT_EQ(test::Boxes().size(), boxes + 1);
    EXPECT_EQ(test::Boxes().back(), "Did not find texture name \"g01\"");

    for (const char* name : {"robot01", "trendy02_t", "trendy01", "piikki1", "piikki2", "cuube", "greetings1", "greetings2"}) {
        g_engine->cls();
        g_engine->setFOV(65);
        g_engine->setFOV();
        glClear(GL_DEPTH_BUFFER_BIT);
        glDisable(GL_CULL_FACE);
        glColor3f(1, 1, 1);
        glTranslatef(0, 0, -1.5f);
        g_engine->drawObject(name);
        std::vector<unsigned char> pixels(640 * 480 * 3);
        glFlush();
        glReadPixels(0, 0, 640, 480, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
        size_t lit = 0;
        for (size_t i = 0; i < pixels.size(); i += 3) lit += pixels[i] > 0;
        EXPECT_GT(lit, 500u) << name;
    }
}

}  // namespace
