// kavri-render: draws a scene file, or the built-in default scene, into a
// PNG picture, and tells what lies under a pixel.
//
// Exit status: 0 done, 1 the library could not draw, 2 bad arguments or input.
#include <CLI/CLI.hpp>

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "default_scene.h"
#include "png_output.h"
#include "scene_import.h"
#include "scene_renderer.h"
#include "settings.h"

namespace {

using namespace render;
using Clock = std::chrono::steady_clock;

enum Exit_Status { Exit_Done = 0, Exit_Drawing_Failed = 1, Exit_Bad_Input = 2 };

double seconds_since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

int fail(const std::string& what, const std::string& reason, Exit_Status status = Exit_Bad_Input) {
    std::fprintf(stderr, "kavri-render: %s: %s\n", what.c_str(), reason.c_str());
    return status;
}

// Reports frames on standard error once a run has taken a second, and only
// when standard error is a terminal.
class Progress {
public:
    void frame(int done, int total) {
        if (!terminal || seconds_since(start) < 1.0) return;
        std::fprintf(stderr, "\rkavri-render: frame %d of %d", done, total);
        shown = true;
    }
    ~Progress() {
        if (shown) std::fprintf(stderr, "\n");
    }

private:
    const bool terminal = ::isatty(2) != 0;
    const Clock::time_point start = Clock::now();
    bool shown = false;
};

// Malformed files can make the system's importer abort, fault, or read for
// ever, and none of that can be stopped from inside. So a scene file is read
// in a child process that then does the whole job, while this process only
// watches the load: a child that dies or overruns the limit before it has
// read the file ends the program with one line, as for any file it cannot
// read. Once the file is read, the child's outcome is the program's.
class Load_Watch {
public:
    // Returns in the child, which goes on to load and draw (or, when no
    // child can be made, in this process unwatched); the parent never returns.
    static void start(const Settings& settings) {
        int ends[2];
        if (::pipe(ends) != 0) return;
        std::fflush(nullptr);
        const pid_t child = ::fork();
        if (child < 0) {
            ::close(ends[0]), ::close(ends[1]);
            return;
        }
        if (child == 0) {
            ::close(ends[0]);
            loaded_signal = ends[1];
            quiet_importer();
            return;
        }
        ::close(ends[1]);
        std::exit(watch(child, ends[0], settings));
    }

    // Called by the child once the file is read (or refused with a reason).
    static void loaded() {
        if (loaded_signal < 0) return;
        if (saved_error >= 0) ::dup2(saved_error, 2), ::close(saved_error);
        const char done = 1;
        const ssize_t written = ::write(loaded_signal, &done, 1);
        (void)written;
        ::close(loaded_signal);
        loaded_signal = -1;
    }

private:
    static int watch(pid_t child, int from_child, const Settings& settings) {
        pollfd ready{from_child, POLLIN, 0};
        const int limit_ms = settings.load_limit_seconds * 1000;
        int polled;
        do
            polled = ::poll(&ready, 1, limit_ms);
        while (polled < 0 && errno == EINTR);
        char done = 0;
        const bool read = polled > 0 && ::read(from_child, &done, 1) == 1;
        ::close(from_child);
        if (polled == 0) {
            ::kill(child, SIGKILL);
            wait_for(child);
            return fail(settings.scene_file, "not read within " +
                                                 std::to_string(settings.load_limit_seconds) +
                                                 " s (--load-limit); the file is malformed or "
                                                 "too large");
        }
        const int status = wait_for(child);
        if (WIFEXITED(status)) return WEXITSTATUS(status);
        const int signal = WTERMSIG(status);
        if (!read)
            return fail(settings.scene_file, std::string("the importer failed (") +
                                                 ::strsignal(signal) + "); the file is malformed");
        // A fault after loading is the program's own: end the same way.
        std::signal(signal, SIG_DFL);
        std::raise(signal);
        return Exit_Drawing_Failed;
    }

    // The importer writes its own assertion text before it aborts; the
    // parent's one line says what happened instead.
    static void quiet_importer() {
        const int null = ::open("/dev/null", O_WRONLY);
        if (null < 0) return;
        saved_error = ::dup(2);
        ::dup2(null, 2);
        ::close(null);
    }

    static int wait_for(pid_t child) {
        int status = 0;
        while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
        return status;
    }

    static inline int loaded_signal = -1;
    static inline int saved_error = -1;
};

bool load_scene(const Settings& settings, Scene& scene, std::string& reason) {
    if (settings.scene_file.empty()) {
        scene = default_scene();
        return true;
    }
    Load_Watch::start(settings);
    const bool read = import_scene(settings.scene_file, scene, reason);
    Load_Watch::loaded();
    return read;
}

long peak_memory_kib() {
    std::FILE* status = std::fopen("/proc/self/status", "r");
    if (!status) return 0;
    char line[256];
    long kib = 0;
    while (std::fgets(line, sizeof line, status))
        if (std::sscanf(line, "VmHWM: %ld", &kib) == 1) break;
    std::fclose(status);
    return kib;
}

struct Option_Texts {
    std::string size, camera, lighting, background, pick;
};

// Turns the option texts into settings; names the first option it cannot read.
bool read_options(const Option_Texts& texts, Settings& settings, std::string& what) {
    if (!texts.size.empty() && !parse_size(texts.size, settings.width, settings.height)) {
        what = "--size " + texts.size + ": expected WxH, each from 1 to 16384";
        return false;
    }
    if (!texts.camera.empty()) {
        Camera_Setting camera;
        if (!parse_camera(texts.camera, camera)) {
            what = "--camera " + texts.camera + ": expected X,Y,Z[:TX,TY,TZ[:FOV]]";
            return false;
        }
        settings.camera = camera;
    }
    if (!texts.lighting.empty() && !parse_lighting(texts.lighting, settings.lighting)) {
        what = "--lighting " + texts.lighting + ": expected flat, gouraud or phong";
        return false;
    }
    if (!texts.background.empty() && !parse_colour(texts.background, settings.background)) {
        what = "--background " + texts.background + ": expected a colour name, #RRGGBB or R,G,B";
        return false;
    }
    if (!texts.pick.empty()) {
        int x = 0, y = 0;
        if (!parse_pixel(texts.pick, x, y)) {
            what = "--pick " + texts.pick + ": expected X,Y";
            return false;
        }
        if (x < 0 || y < 0 || x >= settings.width || y >= settings.height) {
            what = "--pick " + texts.pick + ": the pixel lies outside the " +
                   std::to_string(settings.width) + "x" + std::to_string(settings.height) +
                   " picture";
            return false;
        }
        settings.pick = {x, y};
    }
    return true;
}

void print_pick(const std::vector<Pick_Item>& items) {
    if (items.empty()) {
        std::printf("nothing under the pixel\n");
        return;
    }
    for (const Pick_Item& item : items) {
        std::string path;
        for (const std::string& key : item.key_path)
            path += (path.empty() ? "" : "/") + key;
        std::printf("%s  primitive %d  depth %.6f%s\n", path.c_str(), item.primitive, item.depth,
                    item.hidden ? "  (hidden)" : "");
    }
}

} // namespace

int main(int argc, char** argv) {
    Settings settings;
    Option_Texts texts;
    CLI::App app{"Draws a 3D scene into a PNG picture with the Kavri software renderer.\n"
                 "With no SCENE it draws a built-in scene of lit shapes, lines, markers and text."};
    app.add_option(
        "SCENE", settings.scene_file,
        "Scene file: OBJ (with MTL), PLY, STL, glTF 2.0 / GLB, or any other format Assimp reads");
    app.add_option("-o,--output", settings.output, "PNG file to write (default kavri.png)");
    app.add_option("--size", texts.size, "Picture size WxH in pixels (default 800x600)");
    app.add_option("--camera", texts.camera,
                   "Eye position X,Y,Z, optionally :TX,TY,TZ to look at and :FOV in degrees "
                   "(default: fit the whole scene)");
    app.add_option("--lighting", texts.lighting, "flat, gouraud (default) or phong");
    app.add_option("--background", texts.background,
                   "Background colour: a name (white, black, gray ...), #RRGGBB or R,G,B in 0..1");
    app.add_option("--pick", texts.pick,
                   "Also list what lies under pixel X,Y (from the top left), nearest first");
    app.add_option("--frames", settings.frames, "Render N times and report ms per frame")
        ->check(CLI::Range(1, 100000));
    app.add_option("--load-limit", settings.load_limit_seconds,
                   "Give up on a scene file not read within this many seconds (default 60)")
        ->check(CLI::Range(1, 86400));
    app.add_flag("--stats", settings.stats, "Print the time of each stage and the peak memory");
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        return fail("arguments", e.what());
    }
    std::string what;
    if (!read_options(texts, settings, what)) return fail("arguments", what);

    const Clock::time_point load_start = Clock::now();
    Scene scene;
    std::string reason;
    if (!load_scene(settings, scene, reason)) return fail(settings.scene_file, reason);
    const double load_seconds = seconds_since(load_start);

    const Clock::time_point build_start = Clock::now();
    Scene_Renderer renderer;
    if (!renderer.build(scene, settings, reason))
        return fail("drawing", reason, Exit_Drawing_Failed);
    const double build_seconds = seconds_since(build_start);

    const Clock::time_point render_start = Clock::now();
    Picture picture;
    {
        Progress progress;
        for (int frame = 1; frame <= settings.frames; ++frame) {
            if (!renderer.render(picture, reason))
                return fail("drawing", reason, Exit_Drawing_Failed);
            progress.frame(frame, settings.frames);
        }
    }
    const double render_seconds = seconds_since(render_start);

    const Clock::time_point write_start = Clock::now();
    if (!write_png(picture, settings.output, reason)) return fail(settings.output, reason);
    const double write_seconds = seconds_since(write_start);
    std::printf("%s\n", settings.output.c_str());

    if (settings.pick) {
        std::vector<Pick_Item> items;
        if (!renderer.pick(settings.pick->first, settings.pick->second, items, reason))
            return fail("--pick", reason);
        print_pick(items);
    }
    if (settings.frames > 1)
        std::printf("%.3f ms per frame over %d frames\n", render_seconds * 1e3 / settings.frames,
                    settings.frames);
    if (settings.stats)
        std::printf("load %.3f ms, build %.3f ms, render %.3f ms, write %.3f ms, "
                    "%zu triangles, peak memory %ld KiB\n",
                    load_seconds * 1e3, build_seconds * 1e3, render_seconds * 1e3,
                    write_seconds * 1e3, scene.triangle_count(), peak_memory_kib());
    return Exit_Done;
}
