// The "System Cleanup" page: the junk gatherer's categories as a checkable tree, analysis and
// removal of the checked junk on a worker thread while the GUI keeps running, progress and results
// in the page header, the question before closing applications that hold junk, the details of a
// category, and the usage events and statistics of it all. The system-clean export object creates
// it once and also drives it for the background junk monitor.
#pragma once

#include "IDregsweep.h"
#include "wizard/Page.h"

#include <QHash>
#include <QMap>
#include <QMutex>
#include <QPointer>
#include <QVector>

#include <atomic>

class CCleanupTreeList;
class QTreeWidgetItem;

class CSelectScanPage : public CPage, public IDregsweepSink {
    Q_OBJECT
public:
    enum FuncBtnId { BtnAnalyze = 0, BtnCleanUp = 1, BtnCancel = 2 };

    CSelectScanPage();
    ~CSelectScanPage() override;

    void OnEnter(QWidget* previousPage) override;
    void CancelAll() override;
    int OnFuncBtn(int buttonId) override;
    int GetBackPageId() override { return PAGEID_JUNK_SCAN; }

    // For the export object. Requests that arrive while the page works are ignored. A running
    // operation keeps the mode it was started in until it ends, stopped or not: its worker reads it.
    void StartScan();
    void StopWork();
    void StartAutoClean();
    void ScanLater(bool automatic);
    void CleanLater();

    bool IsBusy() const { return busy_; }
    CCleanupTreeList* Tree() const { return tree_; }

    // IDregsweepSink, called on the worker thread.
    bool OnScanProgress(int percent, int reserved) override;
    bool OnGarbageFound(std::wstring name, uint64_t size, IDregsweepCatagory* category) override;
    bool OnCloseProcess(std::wstring appName, const DWORD* processIds, int reserved) override;
    bool OnGarbageCleaned(std::wstring name, uint64_t size, IDregsweepCatagory* category) override;

signals:
    void sigScanFinished(quint64 size);
    // One junk item found or cleaned; row is its leaf row, or null when it has none.
    void updateGarbage(quint64 size, QTreeWidgetItem* row);
    // Blocks the worker until the user has answered on the GUI thread.
    void terminatePro(QString appName, QVector<quint64> processIds, bool& closed);

protected:
    QWidget* CreateContent() override;
    QVector<CFuncBtn*> CreateFuncBtns(Qt::Alignment* alignment) override;
    QVector<CNavigateBtn*> CreateNavBtns() override;

private slots:
    void onToggleCheck(QTreeWidgetItem* row);
    void onShowDetail(QTreeWidgetItem* row);
    void onUpdateGarbage(quint64 size, QTreeWidgetItem* row);
    void onTerminatePro(QString appName, QVector<quint64> processIds, bool& closed);
    void BackClickSlot();

private:
    int AnalyzeWorker();
    int CleanWorker();
    bool Analyze();
    bool CleanUp();
    void Cancel();
    void Reset();
    void BuildTree();
    void BuildLevel2(IDregsweepCatagory* category, QTreeWidgetItem* groupRow, int kind);
    void BuildLevel3(IDregsweepCatagory* category, QTreeWidgetItem* groupRow, int kind);
    QTreeWidgetItem* AddRow(QTreeWidgetItem* parent, const std::wstring& name);
    bool AskCleanUp();
    // Logs and answers true while the page works or has no gatherer.
    bool Refused(const wchar_t* request) const;
    int RunWorker(int (CSelectScanPage::*worker)());
    bool ReportFound(uint64_t size, IDregsweepCatagory* category);
    void RefreshProgress();
    // The rows' check states follow their categories'.
    void MirrorCheckStates();
    // Takes in every item the ended worker reported, then redraws.
    void TakeFoundItems();
    void Finish();
    void ShowHeader(const QString& title, const QString& description, int progress);
    void ShowStartHeader();
    void SetProgressHeader(int percent);
    void ShowCompletionTexts();
    void RunDeferred();

    CCleanupTreeList* tree_;
    IDregsweep* gatherer_;
    QMap<IDregsweepCatagory*, QTreeWidgetItem*> rows_;
    std::atomic<int> percent_{0};
    bool analysing_ = true;
    QMutex rowsLock_;
    bool refreshQueued_ = false;
    std::atomic<bool> cancelled_{false};
    QString summary_;
    quint64 checkedTotal_ = 0;
    std::atomic<bool> userToggled_{false};
    bool busy_ = false;
    bool worked_ = false;
    // Read by the worker (no question, no closing of applications): written only while none runs.
    std::atomic<bool> automatic_{false};
    bool cleanedSinceEntry_ = false;
    // Asked for while the page worked: carried out once the worker has ended.
    bool enterAfterWork_ = false;
    bool navigateAfterWork_ = false;
    QPointer<QWidget> content_;
};
