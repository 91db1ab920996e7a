// How long the GUI thread goes without handling its events while the junk page analyses a machine
// with 200,000 junk files through the real gatherer: from the start of the work to its end, a
// 10 ms timer on the GUI thread records the longest gap between two of its ticks (and the page
// repaints as it would on screen).
//
//   JunkPageBench [work folder] [file count]   (defaults: the host's temporary folder, 200000)

#include "junk/SelectScanPage.h"
#include "services/UIPublic.h"

#include "platform/Machine.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

// Junk spread over the rule file's folders, in sub-folders of a few hundred files each, all old
// enough for the temporary-file rule.
void Plant(const fs::path& driveC, int count)
{
    const fs::path local = driveC / "Users/Owner/AppData/Local";
    const fs::path folders[] = {local / "Temp", driveC / "Windows/Temp", local / "Google/Chrome/User Data/Default/Cache",
                                local / "npm-cache/_cacache", driveC / "Windows/SoftwareDistribution/Download"};
    const auto old = fs::file_time_type::clock::now() - std::chrono::hours(72);
    for (int i = 0; i < count; ++i) {
        const fs::path folder = folders[i % 5] / ("d" + std::to_string(i / 500));
        if (i % 500 < 5)
            fs::create_directories(folder);
        const fs::path file = folder / ("f" + std::to_string(i) + ".tmp");
        std::ofstream(file) << "junk";
        fs::last_write_time(file, old);
    }
}

} // namespace

int main(int argc, char** argv)
{
    const fs::path work = fs::path(argc > 1 ? argv[1] : fs::temp_directory_path().string()) / "junk-page-bench";
    const int count = argc > 2 ? std::atoi(argv[2]) : 200000;
    fs::remove_all(work);
    const fs::path machine = work / "machine";
    fs::create_directories(machine);
    std::ofstream(machine / "machine.ini") << "[Machine]\nUserName=Owner\n";
    setenv("QUARNEL_MACHINE", machine.c_str(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    platform::ReloadMachine();
    platform::SetProgramFolder(JUNK_BENCH_PROGRAM_FOLDER);
    Plant(machine / "drive_c", count);

    QApplication app(argc, argv);
    if (!CUIPublic::Instance()->InitSysClean()) {
        std::fprintf(stderr, "the junk gatherer did not load\n");
        return 1;
    }
    CSelectScanPage page;
    page.resize(800, 472);
    page.show();
    page.OnEnter(nullptr);

    QElapsedTimer clock;
    qint64 last = -1;
    qint64 longest = 0;
    int ticks = 0;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const qint64 now = clock.elapsed();
        if (last >= 0)
            longest = std::max(longest, now - last);
        last = now;
        ++ticks;
    });
    QObject::connect(&page, &CPage::WorkStart, [&](bool started) {
        if (started) {
            clock.start();
            ticker.start(10);
        } else {
            ticker.stop();
            const qint64 now = clock.elapsed();
            longest = std::max(longest, now - last);
        }
    });
    QElapsedTimer total;
    total.start();
    page.StartScan();
    std::printf("junk files planted:            %d\n", count);
    std::printf("analysis:                      %lld ms\n", static_cast<long long>(total.elapsed()));
    std::printf("10 ms ticks on the GUI thread: %d\n", ticks);
    std::printf("longest gap between ticks:     %lld ms (target: at most 50)\n", static_cast<long long>(longest));
    fs::remove_all(work);
    return 0;
}
