// The command line: every option, its values and the combinations allowed,
// read into the options of the run, with the text --help prints.
#include "command_line.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <cstring>

const char* const kUsage =
    "usage: pqn [options]\n"
    "  (no option)        the show, full screen, with sound; Escape or F12 ends it\n"
    "  --window           in a 640x480 window instead of full screen\n"
    "  --audio-offset MS  the picture waits MS milliseconds more for the sound (negative: less),\n"
    "                     for delays no sound server reports, such as a television's\n"
    "  --headless         without a display: offscreen drawing, virtual clock, no sound\n"
    "  --fps N            frames per second of the virtual clock (default 60)\n"
    "  --data DIR         the data set to show (default: the one installed or built with pqn)\n"
    "  --trace FILE       write every frame, sync and message box as JSON lines\n"
    "  --shot O:R[,O:R]   headless: save the first frame at or after each order:row; with no\n"
    "                     --capture, --trace, --bench or --frames the run ends at its last shot\n"
    "  --out DIR          where --shot writes its PNG files (default: .)\n"
    "  --frames N         headless: end the run after N frames of the show (with --capture,\n"
    "                     a clip of N frames; with --bench, figures of those frames only)\n"
    "  --capture OUT      render every frame and the sound, faster than real time, without a\n"
    "                     display: OUT.mp4 or OUT.mkv is a video (needs ffmpeg), any other OUT\n"
    "                     a folder of numbered PNG frames and audio.wav; Ctrl+C stops cleanly\n"
    "  --scene N          start at scene N (1 to 9) with the music at that scene's first order.\n"
    "                     The scenes before it first run every frame of a full run, unseen and\n"
    "                     unheard, so headless the frames from scene N on are those of a full\n"
    "                     run, random flicker and raised sync flags included. In real time the\n"
    "                     unseen frames are those of a headless run at --fps (default 60): the\n"
    "                     show starts as a headless run shows it there, and then follows the\n"
    "                     real frame times\n"
    "  --bench [--json]   headless: frames per second and frame times of each scene, what a\n"
    "                     frame costs (draws, state changes and uploads handed to the GL\n"
    "                     driver; the time of each step, from the ticks to the read-back), the\n"
    "                     pixels shaded, blended, depth-tested and textured (every 16th frame,\n"
    "                     counted by the driver, or on the shader path from its triangles), and\n"
    "                     the speed of a whole-show capture without encoding; then, unless --scale\n"
    "                     or --size is given, the capture speed at 640x480, 1080p and 2160p\n"
    "                     (rendering alone and with the encoders) and a 2160p capture's memory\n"
    "\n"
    "Picture size: the show is drawn in 640x480 window pixels; these give it more pixels.\n"
    "  --scale S          draw at S times 640x480 (1 to 4, fractions allowed), or auto: as large\n"
    "                     as the picture is on screen. In a window or full screen auto is the\n"
    "                     default on a hardware GL renderer, 1 on a software one (llvmpipe)\n"
    "  --msaa N           anti-aliasing with N samples (0, 2, 4 or 8, as the driver allows)\n"
    "  --size WxH         headless (--capture, --shot, --bench): frames of W x H pixels (even\n"
    "                     numbers, 64 to 7680 x 4320), or 720p, 1080p, 1440p, 2160p. The picture\n"
    "                     is drawn at the scale that fits it in, centred (1080p: 1440x1080)\n"
    "  --fit width        with --size: the picture fills the frame's width instead, so a 16:9\n"
    "                     video is all band; the letterbox bars and the readout are cut off\n"
    "  --fit picture      with --size: the whole picture fitted in the frame (the default)\n"
    "  --gl fixed|es3     what draws: the OpenGL driver's own fixed function (the default), or\n"
    "                     the program's shaders on an OpenGL ES 3.0 context, as a browser has\n"
    "\n"
    "Watching as a player:\n"
    "  --player           the keys pause, step, seek and loop (without it every key but Escape\n"
    "                     and F12 does nothing): Space pauses and resumes; Left / Right: back /\n"
    "                     forward one order; Page Up / Page Down: the previous / next scene;\n"
    "                     Home: the start; 1 to 9: that scene; while paused . and , step one\n"
    "                     frame forward or back; L loops the scene; [ and ] set the ends of a\n"
    "                     loop of your own; + and - turn the volume up and down, M mutes; F1\n"
    "                     shows the player's overlay. Every frame after a seek is the one a\n"
    "                     whole run draws there (a headless run at --fps)\n"
    "  --paused           start paused (asks for the player)\n"
    "  --watch            a picture, glyph, mesh or module of the data set that changes is loaded\n"
    "                     again as the show runs, which goes on from the same moment; one that is\n"
    "                     now damaged gives its message, and the one loaded before stays (asks for\n"
    "                     the player)\n"
    "  --at O:R           start at order:row, exactly; with --capture the clip starts there\n"
    "  --to O:R           end at order:row: the run (and a capture) ends before the first frame\n"
    "                     at or after it\n"
    "  --loop             play the whole show again and again (the sound restarts with it)\n"
    "  --loop-range O:R-O:R  play that stretch again and again\n"
    "\n"
    "Safe and comfortable to watch:\n"
    "  Photosensitivity warning: the show has flashing light on the beat, most in scenes 4\n"
    "  and 5 (the fan). Counted by --flash-check no second has more than three flashes, and\n"
    "  scene 4 reaches three; --calm softens the flashes.\n"
    "  --calm             the same show with its flashes on the beat softened: no second has\n"
    "                     more than three general or red flashes\n"
    "  --flash-check [--json]  headless: count the flashes of every frame (general and red, as the\n"
    "                     WCAG's three-flashes rule defines them) and report them per scene and\n"
    "                     the seconds over three; with --calm, --scene, --at, --to and --fps\n"
    "  --volume N         the sound's volume, 0 to 100 (default 100); it never moves the timing\n"
    "  --audio-device NAME  play on this sound device (default: the system's default, followed\n"
    "                     when the system switches it); a device that goes away while the show\n"
    "                     plays is left for the system's default, or for silence on the clock\n"
    "  --list-audio-devices  the sound devices' names, one a line\n"
    "  --display N        full screen on screen N (1 is the first), a window first placed there\n"
    "  --list-displays    the screens, numbered, with their sizes\n"
    "  --help, --version\n";

namespace {

bool ParseInt(const char* text, int low, int high, int* out) {
    char* end = nullptr;
    long value = std::strtol(text, &end, 10);
    if (!end || *end || end == text || value < low || value > high) return false;
    *out = static_cast<int>(value);
    return true;
}

bool ParseShots(const std::string& list, std::vector<platform::MusicPosition>* shots) {
    size_t start = 0;
    while (start <= list.size()) {
        size_t comma = list.find(',', start);
        std::string item = list.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        size_t colon = item.find(':');
        int order, row;
        if (colon == std::string::npos || !ParseInt(item.substr(0, colon).c_str(), 0, 65535, &order) ||
            !ParseInt(item.substr(colon + 1).c_str(), 0, 65535, &row))
            return false;
        shots->push_back({static_cast<uint32_t>(order), static_cast<uint32_t>(row)});
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    // Shots are taken as the show reaches them, so the list is put in the
    // show's order: "14:40,6:52" gives the same two pictures as "6:52,14:40".
    auto before = [](const platform::MusicPosition& a, const platform::MusicPosition& b) {
        return a.order != b.order ? a.order < b.order : a.row < b.row;
    };
    auto same = [](const platform::MusicPosition& a, const platform::MusicPosition& b) {
        return a.order == b.order && a.row == b.row;
    };
    std::sort(shots->begin(), shots->end(), before);
    shots->erase(std::unique(shots->begin(), shots->end(), same), shots->end());
    return !shots->empty();
}

// 1 to 4, fractions allowed, or "auto".
bool ParseScale(const char* text, platform::RunOptions* options) {
    options->scaleGiven = true;
    if (std::strcmp(text, "auto") == 0) {
        options->scaleAuto = true;
        return true;
    }
    char* end = nullptr;
    double value = std::strtod(text, &end);
    if (!end || *end || end == text || !(value >= 1 && value <= 4)) return false;
    options->scale = value;
    return true;
}

// WxH with even numbers, or one of the video names.
bool ParseSize(const std::string& text, platform::RunOptions* options) {
    const struct { const char* name; int w, h; } kNames[] = {
        {"720p", 1280, 720}, {"1080p", 1920, 1080}, {"1440p", 2560, 1440}, {"2160p", 3840, 2160}};
    for (const auto& named : kNames)
        if (text == named.name) {
            options->frameWidthPx = named.w;
            options->frameHeightPx = named.h;
            return true;
        }
    size_t x = text.find('x');
    int w, h;
    if (x == std::string::npos || !ParseInt(text.substr(0, x).c_str(), 64, 7680, &w) ||
        !ParseInt(text.substr(x + 1).c_str(), 64, 4320, &h) || w % 2 || h % 2)
        return false;
    options->frameWidthPx = w;
    options->frameHeightPx = h;
    return true;
}

// ORDER:ROW.
bool ParsePosition(const std::string& text, platform::MusicPosition* position) {
    size_t colon = text.find(':');
    int order, row;
    if (colon == std::string::npos || !ParseInt(text.substr(0, colon).c_str(), 0, 65534, &order) ||
        !ParseInt(text.substr(colon + 1).c_str(), 0, 65534, &row))
        return false;
    *position = {static_cast<uint32_t>(order), static_cast<uint32_t>(row)};
    return true;
}

// ORDER:ROW-ORDER:ROW, the first before the second.
bool ParseRange(const std::string& text, platform::MusicPosition* from, platform::MusicPosition* to) {
    size_t dash = text.find('-');
    return dash != std::string::npos && ParsePosition(text.substr(0, dash), from) &&
           ParsePosition(text.substr(dash + 1), to) && *from < *to;
}

CommandLine Refuse(CommandLine* line, const std::string& problem) {
    line->action = CommandLine::Action::Refuse;
    line->problem = problem;
    return *line;
}

}  // namespace

namespace {

std::string PositionProblem(const char* option, platform::MusicPosition p, const std::vector<uint32_t>& rows,
                            uint32_t endOrder) {
    uint32_t orders = std::min(static_cast<uint32_t>(rows.size()), endOrder);
    char text[200];
    if (orders == 0) {
        std::snprintf(text, sizeof text, "%s %u:%u: the module has no orders the show plays", option, p.order, p.row);
    } else if (p.order >= orders) {
        std::snprintf(text, sizeof text, "%s %u:%u: the show plays orders 0 to %u", option, p.order, p.row, orders - 1);
    } else if (p.row >= rows[p.order]) {
        std::snprintf(text, sizeof text, "%s %u:%u: order %u has rows 0 to %u", option, p.order, p.row, p.order,
                      rows[p.order] > 0 ? rows[p.order] - 1 : 0);
    } else {
        return "";
    }
    return text;
}

}  // namespace

std::string CheckPositions(const platform::RunOptions& o, const std::vector<uint32_t>& rows, uint32_t endOrder) {
    std::string problem;
    if (o.hasStart) problem = PositionProblem("--at", o.start, rows, endOrder);
    if (problem.empty() && o.hasEnd && !(o.end.order == endOrder && o.end.row == 0))
        problem = PositionProblem("--to", o.end, rows, endOrder);
    if (problem.empty() && o.hasLoopRange) problem = PositionProblem("--loop-range", o.loopFrom, rows, endOrder);
    if (problem.empty() && o.hasLoopRange && !(o.loopTo.order == endOrder && o.loopTo.row == 0))
        problem = PositionProblem("--loop-range", o.loopTo, rows, endOrder);
    return problem;
}

CommandLine ParseCommandLine(int argc, const char* const* argv) {
    CommandLine line;
    platform::RunOptions& options = line.options;
    bool fitGiven = false;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        bool hasValue = i + 1 < argc;
        if (arg == "--help") {
            line.action = CommandLine::Action::Help;
            return line;
        } else if (arg == "--version") {
            line.action = CommandLine::Action::Version;
            return line;
        } else if (arg == "--window") {
            options.forceWindowed = true;
        } else if (arg == "--headless") {
            options.headless = true;
        } else if (arg == "--fps" && hasValue) {
            if (!ParseInt(argv[++i], 1, 1000, &options.framesPerSecond)) return Refuse(&line, "--fps takes 1 to 1000");
        } else if (arg == "--data" && hasValue) {
            line.dataDir = argv[++i];
        } else if (arg == "--trace" && hasValue) {
            options.traceFile = argv[++i];
        } else if (arg == "--shot" && hasValue) {
            if (!ParseShots(argv[++i], &options.shots)) return Refuse(&line, "--shot takes ORDER:ROW[,ORDER:ROW...]");
        } else if (arg == "--frames" && hasValue) {
            if (!ParseInt(argv[++i], 1, INT32_MAX, &options.frameLimit))
                return Refuse(&line, "--frames takes a number of frames, 1 or more");
        } else if (arg == "--out" && hasValue) {
            options.shotDir = argv[++i];
        } else if (arg == "--capture" && hasValue) {
            options.captureOut = argv[++i];
            options.headless = true;
        } else if (arg == "--scene" && hasValue) {
            if (!ParseInt(argv[++i], 1, 9, &options.firstScene)) return Refuse(&line, "--scene takes 1 to 9");
        } else if (arg == "--player") {
            options.player = true;
        } else if (arg == "--watch") {
            options.player = options.watch = true;
        } else if (arg == "--paused") {
            options.player = options.startPaused = true;
        } else if (arg == "--at" && hasValue) {
            options.hasStart = true;
            if (!ParsePosition(argv[++i], &options.start)) return Refuse(&line, "--at takes ORDER:ROW");
        } else if (arg == "--to" && hasValue) {
            options.hasEnd = true;
            if (!ParsePosition(argv[++i], &options.end)) return Refuse(&line, "--to takes ORDER:ROW");
        } else if (arg == "--loop") {
            options.loopShow = true;
        } else if (arg == "--loop-range" && hasValue) {
            options.hasLoopRange = true;
            if (!ParseRange(argv[++i], &options.loopFrom, &options.loopTo))
                return Refuse(&line, "--loop-range takes ORDER:ROW-ORDER:ROW, the first before the second");
        } else if (arg == "--bench") {
            options.bench = true;
            options.headless = true;
        } else if (arg == "--json") {
            options.benchJson = true;
        } else if (arg == "--flash-check") {
            options.flashCheck = true;
            options.headless = true;
        } else if (arg == "--calm") {
            options.calm = true;
        } else if (arg == "--volume" && hasValue) {
            if (!ParseInt(argv[++i], 0, 100, &options.volumePercent)) return Refuse(&line, "--volume takes 0 to 100");
        } else if (arg == "--audio-device" && hasValue) {
            options.audioDevice = argv[++i];
            if (options.audioDevice.empty()) return Refuse(&line, "--audio-device takes a device's name (see --list-audio-devices)");
        } else if (arg == "--list-audio-devices") {
            line.action = CommandLine::Action::ListAudioDevices;
            return line;
        } else if (arg == "--display" && hasValue) {
            options.displayGiven = true;
            if (!ParseInt(argv[++i], 1, 64, &options.display)) return Refuse(&line, "--display takes a screen's number, 1 or more (see --list-displays)");
            options.display -= 1;
        } else if (arg == "--list-displays") {
            line.action = CommandLine::Action::ListDisplays;
            return line;
        } else if (arg == "--scale" && hasValue) {
            if (!ParseScale(argv[++i], &options)) return Refuse(&line, "--scale takes 1 to 4 or auto");
        } else if (arg == "--msaa" && hasValue) {
            std::string samples = argv[++i];
            if (samples != "0" && samples != "2" && samples != "4" && samples != "8") return Refuse(&line, "--msaa takes 0, 2, 4 or 8");
            options.msaaSamples = std::atoi(samples.c_str());
        } else if (arg == "--size" && hasValue) {
            if (!ParseSize(argv[++i], &options)) return Refuse(&line, "--size takes WxH (even, 64x64 to 7680x4320), 720p, 1080p, 1440p or 2160p");
        } else if (arg == "--audio-offset" && hasValue) {
            if (!ParseInt(argv[++i], -2000, 2000, &options.audioOffsetMs))
                return Refuse(&line, "--audio-offset takes milliseconds, -2000 to 2000");
        } else if (arg == "--gl" && hasValue) {
            std::string gl = argv[++i];
            if (gl != "fixed" && gl != "es3") return Refuse(&line, "--gl takes fixed or es3");
            options.gl = gl == "es3" ? platform::GlWay::kEs3 : platform::GlWay::kFixedFunction;
        } else if (arg == "--fit" && hasValue) {
            std::string fit = argv[++i];
            if (fit != "width" && fit != "picture") return Refuse(&line, "--fit takes width or picture");
            options.fitWidth = fit == "width";
            fitGiven = true;
        } else {
            return Refuse(&line, "unknown option or missing value: " + arg);
        }
    }
    if (!options.shots.empty() && !options.headless) return Refuse(&line, "--shot needs --headless");
    if (options.frameLimit && !options.headless) return Refuse(&line, "--frames needs --headless");
    if (options.frameWidthPx && !options.headless) return Refuse(&line, "--size is for --capture, --shot and --bench (headless)");
    if (options.frameWidthPx && options.scaleGiven) return Refuse(&line, "--size sets the scale itself; give --size or --scale");
    if (fitGiven && !options.frameWidthPx) return Refuse(&line, "--fit needs --size");
    if (options.hasStart && options.firstScene > 1) return Refuse(&line, "--at and --scene both say where to start; give one");
    if (options.hasStart && options.hasEnd && !(options.start < options.end))
        return Refuse(&line, "--to must come after --at");
    bool looping = options.loopShow || options.hasLoopRange;
    if (looping && (options.headless || !options.captureOut.empty()))
        return Refuse(&line, "--loop and --loop-range play on without end; they are for watching, not headless runs");
    if (options.loopShow && options.hasLoopRange) return Refuse(&line, "give --loop or --loop-range, not both");
    if (options.player && options.headless) return Refuse(&line, "--player and --paused are for watching, not headless runs");
    if (options.flashCheck && (options.bench || !options.captureOut.empty()))
        return Refuse(&line, "--flash-check is a run of its own; give it without --bench and --capture");
    if (options.shotDir.empty()) options.shotDir = ".";
    return line;
}
