// bench_startup PROGRAM BASELINE [ROUNDS]
//
// Times each program from process start until its first window is mapped and painted, and reads
// each one's peak resident memory. The two programs run alternately, so both see the same
// machine; the medians and their ratios are printed. Needs an X display without a window
// manager (whose frames would cover the pixels watched): run it through run-startup-bench.sh.

#include <xcb/xcb.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Sample {
    double seconds;
    long peakKb;
};

xcb_atom_t atom(xcb_connection_t* c, const char* name) {
    auto* reply =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name), nullptr);
    const xcb_atom_t a = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return a;
}

std::optional<uint32_t> cardinal(xcb_connection_t* c, xcb_window_t w, xcb_atom_t property) {
    auto* reply = xcb_get_property_reply(
        c, xcb_get_property(c, 0, w, property, XCB_ATOM_CARDINAL, 0, 1), nullptr);
    std::optional<uint32_t> value;
    if (reply && xcb_get_property_value_length(reply) == 4)
        value = *static_cast<uint32_t*>(xcb_get_property_value(reply));
    std::free(reply);
    return value;
}

void collect(xcb_connection_t* c, xcb_window_t parent, int depth, std::vector<xcb_window_t>& out) {
    auto* tree = xcb_query_tree_reply(c, xcb_query_tree(c, parent), nullptr);
    if (!tree)
        return;
    xcb_window_t* children = xcb_query_tree_children(tree);
    const int count = xcb_query_tree_children_length(tree);
    out.insert(out.end(), children, children + count);
    if (depth > 1)
        for (int i = 0; i < count; ++i)
            collect(c, children[i], depth - 1, out);
    std::free(tree);
}

// A viewable window whose _NET_WM_PID is `pid`, at the top or inside a window manager's frame.
std::optional<xcb_window_t> windowOf(xcb_connection_t* c, xcb_window_t root, xcb_atom_t pidAtom,
                                     pid_t pid) {
    std::vector<xcb_window_t> candidates;
    collect(c, root, 3, candidates);
    for (const xcb_window_t w : candidates) {
        if (cardinal(c, w, pidAtom) != uint32_t(pid))
            continue;
        auto* attributes =
            xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, w), nullptr);
        const bool viewable = attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE &&
                              !attributes->override_redirect;
        std::free(attributes);
        if (viewable)
            return w;
    }
    return std::nullopt;
}

std::optional<Sample> measure(const char* program) {
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    for (int attempt = 0; attempt < 20 && xcb_connection_has_error(c); ++attempt) {
        xcb_disconnect(c);
        usleep(50'000);
        c = xcb_connect(nullptr, nullptr);
    }
    if (xcb_connection_has_error(c)) {
        std::fprintf(stderr, "bench_startup: no X display (error %d)\n",
                     xcb_connection_has_error(c));
        return std::nullopt;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    const xcb_atom_t pidAtom = atom(c, "_NET_WM_PID");
    xcb_flush(c);

    const auto start = Clock::now();
    const pid_t child = fork();
    if (child == 0) {
        execl(program, program, static_cast<char*>(nullptr));
        _exit(127);
    }
    std::optional<Sample> sample;
    const auto deadline = start + std::chrono::seconds(20);
    std::optional<xcb_window_t> window;
    while (!window && Clock::now() < deadline) {
        window = windowOf(c, root, pidAtom, child);
        if (!window)
            usleep(500);
    }
    // The first frame is on screen once the window shows painted pixels: a new window on this
    // display is black until its program draws it, and both programs paint a light or red
    // background there.
    while (window && Clock::now() < deadline) {
        auto* image = xcb_get_image_reply(
            c, xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, *window, 5, 5, 1, 1, ~0u), nullptr);
        bool painted = false;
        if (image) {
            const uint8_t* data = xcb_get_image_data(image);
            for (int i = 0; i < xcb_get_image_data_length(image); ++i)
                painted = painted || data[i] != 0;
            std::free(image);
        }
        if (painted) {
            sample = Sample{std::chrono::duration<double>(Clock::now() - start).count(), 0};
            break;
        }
        usleep(200);
    }
    kill(child, SIGTERM);
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    if (sample)
        sample->peakKb = usage.ru_maxrss;
    xcb_disconnect(c);
    return sample;
}

template <class T> T median(std::vector<T> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench_startup PROGRAM BASELINE [ROUNDS]\n");
        return 2;
    }
    const int rounds = argc > 3 ? std::max(1, std::atoi(argv[3])) : 15;
    std::vector<double> programTimes, baseTimes;
    std::vector<long> programPeaks, basePeaks;
    measure(argv[1]); // warm the file cache and the font cache for both
    measure(argv[2]);
    for (int i = 0; i < rounds; ++i) {
        const auto p = measure(argv[1]);
        const auto b = measure(argv[2]);
        if (!p || !b) {
            std::fprintf(stderr, "bench_startup: a program did not show a painted window\n");
            return 1;
        }
        programTimes.push_back(p->seconds), programPeaks.push_back(p->peakKb);
        baseTimes.push_back(b->seconds), basePeaks.push_back(b->peakKb);
    }
    const double pt = median(programTimes) * 1e3, bt = median(baseTimes) * 1e3;
    const long pm = median(programPeaks), bm = median(basePeaks);
    std::printf("start-up to the first painted window, median of %d rounds:\n", rounds);
    std::printf("  program   %7.1f ms   peak RSS %6.1f MB\n", pt, pm / 1024.0);
    std::printf("  baseline  %7.1f ms   peak RSS %6.1f MB  (%s)\n", bt, bm / 1024.0, argv[2]);
    std::printf("  ratio     %7.2f x    peak RSS %6.2f x\n", pt / bt, double(pm) / double(bm));
    return 0;
}
