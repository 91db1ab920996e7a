// The stand-alone window's disk optimisation page: the machine's volumes with their status, and
// Analyze, Optimize and their Stop buttons acting on the chosen volume through the two
// defragmentation controllers, which queue and run the work.
#pragma once

#include "DiskOptData.h"
#include "DiskOptList.h"

#include "wizard/Page.h"

#include <QSet>
#include <QTimer>

class IDefragController;

class CDiskOptPage : public CPage {
    Q_OBJECT
public:
    enum FuncBtnId { AnalyzeBtn = 0, StopAnalyzeBtn = 1, OptimizeBtn = 2, StopOptimizeBtn = 3 };

    CDiskOptPage();
    ~CDiskOptPage() override;

    QWidget* CreateContent() override;
    QVector<CFuncBtn*> CreateFuncBtns(Qt::Alignment* align) override;
    QVector<CNavigateBtn*> CreateNavBtns() override;
    int OnFuncBtn(int id) override;
    void OnEnter(QWidget* previousPage) override;
    void CancelAll() override;

    CDiskOptList* List() const { return list; }
    CDiskOptData* Data() const { return data; }

public slots:
    void ItemSelected(int nIndex);
    void ItemChanged(int nIndex);
    void OnTimeOut();

private:
    void Start(IDefragController* controller);
    void Stop(IDefragController* controller);
    void StopAll();
    void UnregisterCallbacks();

    CDiskOptList* list;
    CDiskOptData* data;
    bool operated = false;
    IDefragController* analysis = nullptr;
    IDefragController* defrag = nullptr;
    int selectedRow = -1;
    QTimer timer;
    QSet<int> runningRows;
};
