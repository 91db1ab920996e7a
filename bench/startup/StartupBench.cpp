// How long the main program takes from its start until its first window is mapped, against a Qt
// window of the same size that carries the program's style sheet, a rich-text label and a button,
// started the same way with Qt's OpenGL integration off (as the program runs), under an X server
// (Xvfb) of the bench's own and on a machine of its own in a temporary folder. The two are started
// in turn, after one start of each that is not counted, so that a machine loaded by others weighs
// on both alike.
//
//   StartupBench [rounds [program]]   (defaults: 10, the build's Quarnel; another program, a copy
//                                      beside it for one, compares builds)

#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

// Smaller windows (a tray's, a tool tip's) are not the first window.
constexpr int kSmallest = 200;
constexpr auto kDeadline = std::chrono::seconds(60);

pid_t Spawn(const std::vector<std::string>& arguments, const std::vector<std::string>& environment)
{
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (const std::string& entry : environment)
        envp.push_back(const_cast<char*>(entry.c_str()));
    envp.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), envp.data()) != 0)
        return -1;
    return pid;
}

void Stop(pid_t pid)
{
    kill(pid, SIGTERM);
    int status = 0;
    const auto deadline = Clock::now() + kDeadline;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (Clock::now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return;
        }
        usleep(10000);
    }
}

// An X server of the bench's own: its display number, read from the pipe it writes it to.
class CXServer {
public:
    CXServer()
    {
        int fds[2];
        if (pipe(fds) != 0)
            return;
        pid_ = Spawn({"/usr/bin/Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", "1920x1080x24",
                      "-nolisten", "tcp"},
                     {});
        close(fds[1]);
        std::string number;
        char c = 0;
        pollfd wait {fds[0], POLLIN, 0};
        while (poll(&wait, 1, 30000) > 0 && read(fds[0], &c, 1) == 1 && c != '\n')
            number += c;
        close(fds[0]);
        if (!number.empty())
            display_ = ":" + number;
    }
    ~CXServer()
    {
        if (pid_ > 0)
            Stop(pid_);
    }
    const std::string& Display() const { return display_; }

private:
    pid_t pid_ = -1;
    std::string display_;
};

class CMapWatch {
public:
    explicit CMapWatch(const std::string& display)
    {
        connection_ = xcb_connect(display.c_str(), nullptr);
        if (xcb_connection_has_error(connection_))
            return;
        root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(connection_, root_, XCB_CW_EVENT_MASK, &mask);
        const char name[] = "_NET_WM_PID";
        xcb_intern_atom_reply_t* atom =
            xcb_intern_atom_reply(connection_, xcb_intern_atom(connection_, 0, strlen(name), name), nullptr);
        if (atom)
            pidAtom_ = atom->atom;
        free(atom);
        xcb_flush(connection_);
    }
    ~CMapWatch() { xcb_disconnect(connection_); }
    bool Usable() const { return !xcb_connection_has_error(connection_) && pidAtom_ != XCB_ATOM_NONE; }

    struct Mapped {
        Clock::time_point when;
        int width;
        int height;
    };

    // The moment a top-level window of the process, at least the given size, was mapped.
    std::optional<Mapped> MappedBy(pid_t pid, int width, int height)
    {
        const auto deadline = Clock::now() + kDeadline;
        pollfd wait {xcb_get_file_descriptor(connection_), POLLIN, 0};
        while (Clock::now() < deadline) {
            while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
                const auto now = Clock::now();
                const bool mapped = (event->response_type & 0x7f) == XCB_MAP_NOTIFY;
                const xcb_window_t window = reinterpret_cast<xcb_map_notify_event_t*>(event)->window;
                free(event);
                if (!mapped || PidOf(window) != pid)
                    continue;
                if (const std::optional<Mapped> size = SizeOf(window); size && size->width >= width && size->height >= height)
                    return Mapped {now, size->width, size->height};
            }
            if (xcb_connection_has_error(connection_))
                return std::nullopt;
            poll(&wait, 1, 100);
        }
        return std::nullopt;
    }

private:
    pid_t PidOf(xcb_window_t window)
    {
        xcb_get_property_reply_t* reply = xcb_get_property_reply(
            connection_, xcb_get_property(connection_, 0, window, pidAtom_, XCB_ATOM_CARDINAL, 0, 1), nullptr);
        pid_t pid = -1;
        if (reply && xcb_get_property_value_length(reply) == 4)
            pid = static_cast<pid_t>(*static_cast<uint32_t*>(xcb_get_property_value(reply)));
        free(reply);
        return pid;
    }
    std::optional<Mapped> SizeOf(xcb_window_t window)
    {
        xcb_get_geometry_reply_t* reply =
            xcb_get_geometry_reply(connection_, xcb_get_geometry(connection_, window), nullptr);
        std::optional<Mapped> size;
        if (reply)
            size = Mapped {Clock::now(), reply->width, reply->height};
        free(reply);
        return size;
    }

    xcb_connection_t* connection_ = nullptr;
    xcb_window_t root_ = 0;
    xcb_atom_t pidAtom_ = XCB_ATOM_NONE;
};

// Milliseconds from the start of the program to its window's mapping (negative when it never came),
// and the window's size.
struct Start {
    double ms = -1;
    int width = 0;
    int height = 0;
};

Start TimeToWindow(CMapWatch& watch, const std::vector<std::string>& arguments,
                   const std::vector<std::string>& environment, int width = kSmallest, int height = kSmallest)
{
    const auto start = Clock::now();
    const pid_t pid = Spawn(arguments, environment);
    if (pid < 0)
        return {};
    const std::optional<CMapWatch::Mapped> mapped = watch.MappedBy(pid, width, height);
    Stop(pid);
    if (!mapped)
        return {};
    return {std::chrono::duration<double, std::milli>(mapped->when - start).count(), mapped->width, mapped->height};
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

} // namespace

int main(int argc, char** argv)
{
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    CXServer server;
    if (server.Display().empty()) {
        std::fprintf(stderr, "StartupBench: Xvfb did not start\n");
        return 1;
    }
    CMapWatch watch(server.Display());
    if (!watch.Usable()) {
        std::fprintf(stderr, "StartupBench: no connection to %s\n", server.Display().c_str());
        return 1;
    }
    char folder[] = "/tmp/startup-bench-XXXXXX";
    if (!mkdtemp(folder)) {
        std::perror("StartupBench");
        return 1;
    }
    const fs::path machine = fs::path(folder) / "machine";
    fs::create_directories(machine);
    std::ofstream(machine / "machine.ini") << "[Machine]\nAdministrator=1\n";

    std::vector<std::string> environment = {"DISPLAY=" + server.Display(), "QT_QPA_PLATFORM=xcb",
                                            "QUARNEL_MACHINE=" + machine.string(), "HOME=" + std::string(folder),
                                            "XDG_RUNTIME_DIR=" + std::string(folder), "TMPDIR=" + std::string(folder)};
    if (const char* path = std::getenv("PATH"))
        environment.push_back(std::string("PATH=") + path);
    const std::vector<std::string> program = {argc > 2 ? argv[2] : QUARNEL_PATH};

    // One start of each first, not counted: the machine is made, the files come into the page
    // cache, and the styled window takes the size of the program's.
    const Start first = TimeToWindow(watch, program, environment);
    if (first.ms < 0) {
        std::fprintf(stderr, "StartupBench: the program showed no window within %lld s\n",
                     static_cast<long long>(kDeadline.count()));
        fs::remove_all(folder);
        return 1;
    }
    const std::vector<std::string> styled = {STYLED_WINDOW_PATH, std::to_string(first.width),
                                             std::to_string(first.height), STYLE_SHEET_PATH};
    std::vector<std::string> withoutGl = environment;
    withoutGl.push_back("QT_XCB_GL_INTEGRATION=none");
    TimeToWindow(watch, styled, withoutGl, first.width, first.height);

    std::vector<double> programTimes;
    std::vector<double> styledTimes;
    for (int round = 0; round < rounds; ++round) {
        const Start programStart = TimeToWindow(watch, program, environment, first.width, first.height);
        const Start styledStart = TimeToWindow(watch, styled, withoutGl, first.width, first.height);
        if (programStart.ms < 0 || styledStart.ms < 0) {
            std::fprintf(stderr, "StartupBench: a window did not come within %lld s\n",
                         static_cast<long long>(kDeadline.count()));
            fs::remove_all(folder);
            return 1;
        }
        programTimes.push_back(programStart.ms);
        styledTimes.push_back(styledStart.ms);
        std::printf("round %2d: program %7.1f ms  styled window without GL %7.1f ms  ratio %.2f\n", round + 1,
                    programStart.ms, styledStart.ms, programStart.ms / styledStart.ms);
    }
    const double programMedian = Median(programTimes);
    const double styledMedian = Median(styledTimes);
    std::printf("median of %d: program %.1f ms, styled %dx%d window without GL %.1f ms, ratio %.2f\n", rounds,
                programMedian, first.width, first.height, styledMedian, programMedian / styledMedian);
    std::printf("fastest: program %.1f ms, styled window without GL %.1f ms\n",
                *std::min_element(programTimes.begin(), programTimes.end()),
                *std::min_element(styledTimes.begin(), styledTimes.end()));
    fs::remove_all(folder);
    return 0;
}
