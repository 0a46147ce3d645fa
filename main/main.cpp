// The entry point on every host (Linux, Windows, the browser): reads the
// command line, picks the data set and the mode of the run, then starts the
// show through WinMain.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "command_line.h"
#include "show.h"
#include "../scenes/SceneFrame.h"
#include "platform/bass.h"
#include "platform/bench.h"
#include "platform/capture.h"
#include "platform/crash_report.h"
#include "platform/devices.h"
#include "platform/outputs.h"
#include "platform/runtime.h"
#include "version.h"

namespace {

// The data set that goes with this program: a pqn in its build folder uses
// the build's data; one with a data set beside it (as a release unpacked
// from its archive has) that one; an installed one the share/pqn folder
// beside its bin/ folder (wherever the package or the prefix put it), else
// the folder it was configured to be installed in.
std::string DefaultDataDir() {
    std::error_code error;
    // Folder names are UTF-8 here, whatever the system's own code page.
    std::filesystem::path programDir = std::filesystem::u8path(platform::ProgramFolder());
    if (programDir.empty()) return PQN_INSTALL_DATA_DIR;
    if (std::filesystem::equivalent(programDir, PQN_BUILD_DIR, error)) return PQN_BUILD_DATA_DIR;
    if (std::filesystem::is_regular_file(programDir / "biisi.xm", error)) return programDir.u8string();
    std::filesystem::path installed = programDir.parent_path() / "share" / "pqn";
    if (std::filesystem::is_directory(installed, error)) return installed.u8string();
    return PQN_INSTALL_DATA_DIR;
}

// A path given relative to where pqn was started, made absolute (the run
// works in its data folder); an empty one stays empty.
std::string FromHere(const std::string& path) {
    std::error_code error;
    std::filesystem::path here = std::filesystem::current_path(error);
    if (path.empty() || error || std::filesystem::path(path).is_absolute()) return path;
    return (here / path).string();
}

}  // namespace

int main(int argc, char** argv) {
    platform::InstallCrashReport(PQN_VERSION);
    CommandLine line = ParseCommandLine(argc, argv);
    switch (line.action) {
        case CommandLine::Action::Help:
            std::fputs(kUsage, stdout);
            return 0;
        case CommandLine::Action::Version:
            std::printf("pqn %s\n", PQN_VERSION);
            return 0;
        case CommandLine::Action::Refuse:
            std::fprintf(stderr, "pqn: %s\n%s", line.problem.c_str(), kUsage);
            return 2;
        case CommandLine::Action::ListAudioDevices:
            return platform::PrintAudioDevices();
        case CommandLine::Action::ListDisplays:
            return platform::PrintDisplays();
        case CommandLine::Action::Run:
            break;
    }
    platform::RunOptions& options = line.options;
    std::string dataDir = line.dataDir.empty() ? DefaultDataDir() : line.dataDir;
    if (!options.captureOut.empty() && !platform::capture::Preflight(options.captureOut)) return 1;
    if (!options.headless && !platform::DisplayAvailable()) {
        std::fprintf(stderr, "pqn: no display found; run with --headless to render without one\n");
        return 1;
    }
    // Paths of the trace and the shots are taken relative to where pqn was started.
    for (std::string* path : {&options.traceFile, &options.shotDir, &options.captureOut})
        *path = FromHere(*path);
    if (!options.shots.empty() && !platform::CheckOutputFolder(options.shotDir, true)) return 1;
    std::error_code entered;
    std::filesystem::current_path(std::filesystem::u8path(dataDir), entered);
    if (entered) {
        std::fprintf(stderr, "pqn: cannot open the data folder %s\n", dataDir.c_str());
        return 1;
    }
    // Positions are checked against the module of the data set, when there is one to read.
    std::vector<uint32_t> rowsPerOrder;
    if ((options.hasStart || options.hasEnd || options.hasLoopRange) && platform::ModuleFileRanges("biisi.xm", &rowsPerOrder)) {
        std::string problem = CheckPositions(options, rowsPerOrder, SceneEndOrder(kSceneCount));
        if (!problem.empty()) {
            std::fprintf(stderr, "pqn: %s\n", problem.c_str());
            return 2;
        }
    }
    platform::Configure(options);
    // A trace that cannot be made ends the run before it starts.
    if (!platform::VideoReady() || platform::OutputsFailed()) {
        platform::Shutdown();
        return 1;
    }
    int result = WinMain(nullptr, nullptr, nullptr, 1);
    platform::Shutdown();
    if (options.bench && !options.scaleGiven && !options.frameWidthPx)
        platform::bench::ReportCaptureSpeeds(std::filesystem::current_path().string(), options.benchJson,
                                             options.frameLimit);
    // An output that could not be written as a whole fails the run, whatever the show did.
    return platform::OutputsFailed() ? 1 : result;
}
