// The large-file result list with 100,000 found files: how long the model takes to fill and the
// view to show its first screen, and how long each repaint takes while the list scrolls to its end,
// all on the GUI thread of an offscreen application. Prints its figures.
#include "largefile/LFListData.h"
#include "largefile/LFListView.h"

#include "platform/Machine.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QScrollBar>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kFiles = 100000;
constexpr int kScrollSteps = 200;

class CFoundFile : public IBigFileGarbageInfo, public _BigFile_Info_ {
public:
    explicit CFoundFile(int i)
    {
        static const wchar_t* const kTypes[] = {L".iso", L".mkv", L".zip", L".vhdx", L".bak", L".mp4"};
        path = L"D:\\Archive\\Year " + std::to_wstring(2000 + i % 25) + L"\\Project " + std::to_wstring(i % 997) +
               L"\\large file number " + std::to_wstring(i) + kTypes[i % 6];
        displayName = path.substr(path.rfind(L'\\') + 1);
        size = 20971520ULL + static_cast<uint64_t>(kFiles - i) * 7919;
        lastWriteTime = COleDateTime(40000.0 + i % 5000);
        creationTime = lastWriteTime;
    }
    std::wstring GetFailInfo() override { return {}; }
    _BigFile_Info_* GetInfo() override { return this; }
};

// A gatherer that only hands over its found files.
class CFoundFiles : public IBulkseek {
public:
    CFoundFiles()
    {
        for (int i = 0; i < kFiles; ++i)
            files.push_back(new CFoundFile(i));
    }
    ~CFoundFiles() override
    {
        for (CFoundFile* file : files)
            file->Release();
    }
    OpResult GetGarbages(IBulkseekSink* sink) override
    {
        for (CFoundFile* file : files)
            if (!sink->OnGarbage(file))
                break;
        return RESULT_OK;
    }
    OpResult Init(HRESULT*) override { return RESULT_OK; }
    OpResult Uninit() override { return RESULT_OK; }
    OpResult StartProc() override { return RESULT_OK; }
    OpResult QuitProc() override { return RESULT_OK; }
    IBulkseekOption* CreateOption() override { return nullptr; }
    IBigFileCatagory* AddCatagory(const std::wstring&) override { return nullptr; }
    OpResult RemoveCatagory(IBigFileCatagory*) override { return RESULT_OK; }
    OpResult GetCatagories(IBulkseekSink*) override { return RESULT_OK; }
    OpResult CollecttGarbage(IBulkseekSink*, IBulkseekOption*) override { return RESULT_OK; }
    OpResult EmptyGarbage(IBulkseekSink*) override { return RESULT_OK; }
    OpResult ClearGarbage() override { return RESULT_OK; }

private:
    std::vector<CFoundFile*> files;
};

double Ms(const QElapsedTimer& timer) { return static_cast<double>(timer.nsecsElapsed()) / 1e6; }

} // namespace

int main(int argc, char** argv)
{
    const fs::path machineRoot = fs::temp_directory_path() / "largefile-list-bench";
    fs::remove_all(machineRoot);
    fs::create_directories(machineRoot);
    setenv("QUARNEL_MACHINE", machineRoot.c_str(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    platform::ReloadMachine();
    QApplication app(argc, argv);

    auto* gatherer = new CFoundFiles;
    {
        CLFListData model;
        CLFListView view;
        view.resize(788, 346);

        QElapsedTimer worker;
        worker.start();
        std::thread load([&] { model.LoadGarbages(false); });
        load.join();
        const double loadMs = Ms(worker);

        QElapsedTimer gui;
        gui.start();
        model.ShowLoaded();
        view.SetListData(&model);
        view.show();
        view.viewport()->repaint();
        QApplication::processEvents();
        const double firstScreenMs = Ms(gui);

        QScrollBar* bar = view.verticalScrollBar();
        double worstStep = 0;
        double totalSteps = 0;
        for (int step = 1; step <= kScrollSteps; ++step) {
            QElapsedTimer repaint;
            repaint.start();
            bar->setValue(static_cast<int>(static_cast<qint64>(bar->maximum()) * step / kScrollSteps));
            view.viewport()->repaint();
            QApplication::processEvents();
            const double ms = Ms(repaint);
            worstStep = std::max(worstStep, ms);
            totalSteps += ms;
        }
        QElapsedTimer jump;
        bar->setValue(0);
        view.viewport()->repaint();
        jump.start();
        view.scrollToBottom();
        view.viewport()->repaint();
        QApplication::processEvents();
        const double jumpMs = Ms(jump);

        std::printf("Large-file result list, %d files, offscreen, GUI thread unless said\n", model.rowCount());
        std::printf("  collect on the scan worker        %8.1f ms\n", loadMs);
        std::printf("  fill model + first screen         %8.1f ms   (target < 1000 ms)\n", firstScreenMs);
        std::printf("  scroll to end in %d steps: worst repaint %6.1f ms, mean %5.1f ms   (target < 50 ms)\n",
                    kScrollSteps, worstStep, totalSteps / kScrollSteps);
        std::printf("  jump from top to end, repaint     %8.1f ms   (target < 50 ms)\n", jumpMs);
    }
    gatherer->Release();
    fs::remove_all(machineRoot);
    return 0;
}
