#include "DiskOptPage.h"

#include "common/TallyrunBinding.h"
#include "kit/FuncBtn.h"
#include "kit/KitFont.h"
#include "kit/NavigateBtn.h"
#include "kit/ResPicture.h"
#include "services/UIPublic.h"

#include "platform/win/Time.h"

#include <array>

namespace {

constexpr int kStates = 11;
constexpr int kRepaintMs = 500;
constexpr int kStatusColumn = 2;

// Per state: Analyze enabled, Analyze shown, Optimize enabled, Optimize shown. Each Stop button
// shows exactly when its partner is hidden.
struct ButtonSet {
    bool analyzeEnabled, analyzeShown, optimizeEnabled, optimizeShown;
};
constexpr std::array<ButtonSet, kStates> kButtons = {{
    {true, true, true, true},    // idle
    {false, false, false, true}, // analysis queued
    {false, false, false, true}, // analysing
    {true, true, true, true},    // analysed
    {true, true, true, true},    // analysis failed
    {false, true, false, false}, // defragmentation queued
    {false, true, false, false}, // defragmenting
    {true, true, false, true},   // defragmented
    {true, true, true, true},    // defragmentation failed
    {true, true, true, true},    // analysis cancelled
    {true, true, true, true},    // defragmentation cancelled
}};

// When Analyze or Optimize was last pressed, for the time-to-cancel reports.
DWORD opStartTick = 0;

// The time from Analyze or Optimize to its Stop.
void ReportCancel(const wchar_t* event)
{
    Tallyrun_SetInfoData(event, 0, static_cast<int>(GetTickCount() - opStartTick), 0, false, L"Task_CleanOperation");
}

bool Finished(int32_t state)
{
    return state == DEFRAG_STATE_ANALYSED || state == DEFRAG_STATE_ANALYSIS_FAILED ||
           state == DEFRAG_STATE_DEFRAGMENTED || state == DEFRAG_STATE_DEFRAG_FAILED;
}

} // namespace

CDiskOptPage::CDiskOptPage() : CPage(PAGEID_DISK_OPT, nullptr), list(new CDiskOptList), data(new CDiskOptData)
{
    setFont(KitFont(font(), 12));
    InitPage();
    PageTitleInfo info;
    info.title = tr("Disk Optimization can optimize your drives to improve system performance.");
    SetTitleInfo(info);
    timer.setInterval(kRepaintMs);
    connect(&timer, &QTimer::timeout, this, &CDiskOptPage::OnTimeOut);
    timer.start();
}

CDiskOptPage::~CDiskOptPage()
{
    if (IsShown() && !operated)
        Tallyrun_SetInfoData(L"Clean_Disk_Optimize_NoOperation", 0, 0, 0, false, L"Task_CleanOperation");
    StopAll();
    // The controllers outlive the page: they must not call back into a model that is gone.
    UnregisterCallbacks();
    timer.stop();
    disconnect(data, nullptr, this, nullptr);
    delete data;
}

QWidget* CDiskOptPage::CreateContent()
{
    CUIPublic* services = CUIPublic::Instance();
    analysis = services->GetAnalysisController();
    defrag = services->GetDefragController();
    for (IDefragController* controller : {analysis, defrag})
        if (controller)
            controller->SetCallback(&CDiskOptData::DiskOptStatusProc, data);
    data->LoadVolumes(services->GetDrivelist());
    list->setModel(data);
    connect(list, &CDiskOptList::ItemSelected, this, &CDiskOptPage::ItemSelected);
    connect(data, &CDiskOptData::ItemChanged, this, &CDiskOptPage::ItemChanged);
    EnableFuncBtn(AnalyzeBtn, false);
    EnableFuncBtn(OptimizeBtn, false);
    ShowFuncBtn(StopAnalyzeBtn, false);
    ShowFuncBtn(StopOptimizeBtn, false);
    return list;
}

QVector<CFuncBtn*> CDiskOptPage::CreateFuncBtns(Qt::Alignment*)
{
    return {new CFuncBtn(AnalyzeBtn, tr("Analyze")), new CFuncBtn(StopAnalyzeBtn, tr("Stop")),
            new CFuncBtn(OptimizeBtn, tr("Optimize")), new CFuncBtn(StopOptimizeBtn, tr("Stop"))};
}

QVector<CNavigateBtn*> CDiskOptPage::CreateNavBtns()
{
    const QIcon home = ResIcon(QStringLiteral("icon_home.png"));
    return {new CNavigateBtn(NAVBTN_HOME, home, tr("Home"))};
}

void CDiskOptPage::OnEnter(QWidget*) {}

void CDiskOptPage::CancelAll() { StopAll(); }

int CDiskOptPage::OnFuncBtn(int id)
{
    operated = true;
    switch (id) {
    case AnalyzeBtn:
        opStartTick = GetTickCount();
        Start(analysis);
        break;
    case StopAnalyzeBtn:
        ReportCancel(L"OperationDiskOpt_Analyze2CancelTime");
        Stop(analysis);
        break;
    case OptimizeBtn:
        opStartTick = GetTickCount();
        Start(defrag);
        break;
    case StopOptimizeBtn:
        ReportCancel(L"OperationDiskOpt_Optimize2CancelTime");
        Stop(defrag);
        break;
    default:
        break;
    }
    return 0;
}

void CDiskOptPage::ItemSelected(int nIndex)
{
    selectedRow = -1;
    const DiskOptRow* row = data->GetRow(nIndex);
    if (analysis && defrag && row) {
        const int32_t state = row->state;
        const ButtonSet set = state >= 0 && state < kStates ? kButtons[static_cast<size_t>(state)] : kButtons[0];
        EnableFuncBtn(AnalyzeBtn, set.analyzeEnabled);
        ShowFuncBtn(AnalyzeBtn, set.analyzeShown);
        EnableFuncBtn(OptimizeBtn, set.optimizeEnabled);
        ShowFuncBtn(OptimizeBtn, set.optimizeShown);
        ShowFuncBtn(StopAnalyzeBtn, !set.analyzeShown);
        ShowFuncBtn(StopOptimizeBtn, !set.optimizeShown);
        selectedRow = nIndex;
        return;
    }
    EnableFuncBtn(AnalyzeBtn, false);
    ShowFuncBtn(AnalyzeBtn, true);
    EnableFuncBtn(OptimizeBtn, false);
    ShowFuncBtn(OptimizeBtn, true);
    ShowFuncBtn(StopAnalyzeBtn, false);
    ShowFuncBtn(StopOptimizeBtn, false);
}

void CDiskOptPage::ItemChanged(int nIndex)
{
    const DiskOptRow* row = data->GetRow(nIndex);
    if (row && Finished(row->state))
        runningRows.remove(nIndex);
    list->update(data->index(nIndex, kStatusColumn));
    if (nIndex == selectedRow)
        ItemSelected(selectedRow);
}

void CDiskOptPage::OnTimeOut()
{
    for (int row : runningRows)
        list->update(data->index(row, kStatusColumn));
}

void CDiskOptPage::Start(IDefragController* controller)
{
    DiskOptRow* row = data->GetRow(selectedRow);
    if (!controller || !row)
        return;
    row->dotCount = 0;
    controller->Start(row->volumeName);
    ItemSelected(selectedRow);
    runningRows.insert(selectedRow);
}

void CDiskOptPage::Stop(IDefragController* controller)
{
    DiskOptRow* row = data->GetRow(selectedRow);
    if (!controller || !row)
        return;
    controller->Stop(row->volumeName, false);
    ItemSelected(selectedRow);
}

void CDiskOptPage::StopAll()
{
    for (int i = 0; DiskOptRow* row = data->GetRow(i); ++i)
        for (IDefragController* controller : {analysis, defrag})
            if (controller)
                controller->Stop(row->volumeName, true);
}

void CDiskOptPage::UnregisterCallbacks()
{
    for (IDefragController* controller : {analysis, defrag})
        if (controller)
            controller->SetCallback(nullptr, nullptr);
}
