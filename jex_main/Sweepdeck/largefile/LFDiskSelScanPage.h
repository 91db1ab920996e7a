// The first page of the large-file wizard: one tile per drive the large-file gatherer knows, the
// scan of the ticked drives on a worker thread with its progress in the header and the folder in
// hand in the prompt, then the move to the result page. It owns the result model the result page
// shows.
#pragma once

#include "ScanProgress.h"

#include "async/AsyncObj.h"
#include "wizard/Page.h"
#include "jex_main/large_file_gatherer/IBulkseek.h"

#include <QMutex>
#include <QTimer>

#include <atomic>
#include <memory>

class CLFDiskSelScan;
class CLFListData;

class CLFDiskSelScanPage : public CPage, public IBulkseekSink, public CAsyncObj {
    Q_OBJECT
public:
    CLFDiskSelScanPage();
    ~CLFDiskSelScanPage() override;

    void OnEnter(QWidget* previousPage) override;
    void CancelAll() override;
    QWidget* CreateContent() override;
    QVector<CFuncBtn*> CreateFuncBtns(Qt::Alignment* alignment) override;
    QVector<CNavigateBtn*> CreateNavBtns() override;
    int OnFuncBtn(int id) override;
    int GetHomePageId() override;

    // The model of the last scan's results.
    CLFListData* GetListData() const { return listData.get(); }

    bool OnCatagory(IBigFileCatagory* catagory) override;
    bool OnGarbage(IBigFileGarbageInfo*) override { return false; }
    bool OnProgress(int beginPercent, int endPercent) override;
    bool OnScanFile(IBigFileGarbageInfo* item, std::wstring path, int marker, double fraction) override;
    bool OnSameFile(IBigFileGarbageInfo*, IBigFileGarbageInfo*) override { return false; }
    bool OnUnusedEvent(int, int, int) override { return false; }
    bool OnEmptyGarbage(IBigFileGarbageInfo*, bool, int, std::wstring) override { return false; }

private slots:
    void OnDiskSelChanged();
    void OnTimeOut();

private:
    OpResult LoadCatagories();
    // GUI thread: runs the scan on a worker and returns when it has ended.
    void StartScan();
    // The worker.
    int ScanProc();
    void ShowIdleHeader();

    CLFDiskSelScan* diskSelScan;
    CScanProgress progress;
    std::atomic<bool> goOn{true};
    std::atomic<bool> alive{true};
    bool operated = false;
    QMutex scanLock;
    QTimer refreshTimer;
    std::unique_ptr<CLFListData> listData;
    QWidget* content;
};
