#include "LFDiskSelScanPage.h"

#include "DiskWidget.h"
#include "LFDiskSelScan.h"
#include "LFListData.h"

#include "common/SendInfo.h"
#include "common/TallyrunBinding.h"
#include "common/WriteLog.h"
#include "junk/AsyncExecMember.h"
#include "HtmlText.h"
#include "kit/FuncBtn.h"
#include "kit/KitFont.h"
#include "kit/ResPath.h"
#include "services/KyAutoPtr.h"
#include "services/UIPublic.h"

#include <QHBoxLayout>

#include <new>

namespace {

enum FuncBtnId { ScanBtn = 0, CancelBtn = 1 };

constexpr int kRefreshMs = 80;
constexpr uint64_t kMinimumSize = 0x1400000; // 20 MiB
const char kTitleColour[] = "#c6d6f0";

// When Scan was last pressed, for the time-to-cancel report.
DWORD scanStartTick = 0;

_BigFile_GatherOption_ ScanOptions()
{
    _BigFile_GatherOption_ options{};
    options.findSameFiles = 0;
    options.minimumSize = kMinimumSize;
    options.lastWriteLimit = COleDateTime(0.0);
    options.lastWriteLimit.SetStatus(COleDateTime::invalid);
    options.lastWriteByDay = 0;
    options.creationLimit = COleDateTime(0.0);
    options.creationLimit.SetStatus(COleDateTime::invalid);
    options.creationByDay = 0;
    return options;
}

void LogTileFailure(int site)
{
    WriteLog(L"file: %ls, line: %d, error = 0x%llx, lasterror = %d \n", L"LFDiskSelScanPage", site, 0ULL,
             static_cast<int>(GetLastError()));
}

QString LargeFileIcon() { return GetResPath(QStringLiteral("ico_largefile_big.png"), QStringLiteral("res")); }

// Asked afresh each time: the services object may load or unload the gatherer while the page lives.
IBulkseek* Gatherer() { return CUIPublic::Instance()->GetBulkseek(); }

} // namespace

CLFDiskSelScanPage::CLFDiskSelScanPage()
    : CPage(PAGEID_LARGE_FILE_SCAN, nullptr),
      diskSelScan(new CLFDiskSelScan),
      listData(std::make_unique<CLFListData>()),
      content(new QWidget(this))
{
    setFont(KitFont(font(), 12));
    refreshTimer.setInterval(kRefreshMs);
    connect(&refreshTimer, &QTimer::timeout, this, &CLFDiskSelScanPage::OnTimeOut);
    InitPage();
}

CLFDiskSelScanPage::~CLFDiskSelScanPage()
{
    goOn = false;
    scanLock.lock();
    scanLock.unlock();
    if (IsShown() && !operated)
        Tallyrun_SetInfoData(L"Clean_Large_File_NoOperation", 0, 0, 0, false, L"Task_CleanOperation");
}

void CLFDiskSelScanPage::OnEnter(QWidget*)
{
    IBulkseek* gatherer = Gatherer();
    if (!gatherer)
        return;
    gatherer->StartProc();
    ShowFuncBtn(ScanBtn, true);
    ShowFuncBtn(CancelBtn, false);
    ShowIdleHeader();
    diskSelScan->RefreshDisks();
    OnDiskSelChanged();
    diskSelScan->ShowDisks(true);
    diskSelScan->ShowScanPrompt(false);
    goOn = true;
    progress.Reset();
    emit CurWindowName(QStringLiteral("LargeFileCleanup"));
}

void CLFDiskSelScanPage::ShowIdleHeader()
{
    PageTitleInfo info;
    info.background = QColor("#1c202a");
    info.title = HtmlText(tr("Choose the partition you want to scan."), kTitleColour, 16, 400);
    info.description = HtmlText(tr("Large File Cleanup"), kTitleColour, 20, 700);
    info.iconPath = LargeFileIcon();
    info.progress = 0;
    SetTitleInfo(info);
}

void CLFDiskSelScanPage::CancelAll()
{
    alive = false;
    goOn = false;
    scanLock.lock();
    scanLock.unlock();
    listData->Cancel();
}

QWidget* CLFDiskSelScanPage::CreateContent()
{
    LoadCatagories();
    diskSelScan->Init();
    diskSelScan->ShowDisks(true);
    diskSelScan->ShowScanPrompt(false);
    ShowFuncBtn(CancelBtn, false);
    OnDiskSelChanged();
    // The content is made in the page and gets its sheet while it is empty: Qt styles a widget's
    // whole tree again whenever the widget gets a sheet or a new parent.
    content->setStyleSheet(QStringLiteral("border-top-left-radius:0px;border-top-right-radius:0px;"
                                          "border-bottom-right-radius:12px;border-bottom-left-radius:12px;"
                                          "background:#20242f"));
    auto* layout = new QHBoxLayout(content);
    layout->setSpacing(0);
    layout->setContentsMargins(6, 0, 6, 6);
    layout->addWidget(diskSelScan);
    return content;
}

QVector<CFuncBtn*> CLFDiskSelScanPage::CreateFuncBtns(Qt::Alignment*)
{
    auto* scan = new CFuncBtn(ScanBtn, tr("Scan"));
    auto* cancel = new CFuncBtn(CancelBtn, tr("Cancel"));
    CBtnStyle style;
    const BtnColors outline{QColor("#1be1d0"), QColor("#1bffeb"), QColor("#1db1a4"), QColor("#46494d")};
    style.textColors = outline;
    style.borderColors = outline;
    style.bgColors = BtnColors{QColor(Qt::transparent), QColor(Qt::transparent), QColor(Qt::transparent),
                               QColor(Qt::transparent)};
    style.borderWidth = 1;
    cancel->SetBtnStyle(style);
    return {scan, cancel};
}

QVector<CNavigateBtn*> CLFDiskSelScanPage::CreateNavBtns() { return {}; }

int CLFDiskSelScanPage::OnFuncBtn(int id)
{
    operated = true;
    switch (id) {
    case ScanBtn:
        scanStartTick = GetTickCount();
        StartScan();
        return PAGEID_LARGE_FILE_RESULT;
    case CancelBtn:
        Tallyrun_SetInfoData(L"OperationLargeFile_Analyze2CancelTime", 0, static_cast<int>(GetTickCount() - scanStartTick),
                             0, false, L"Task_CleanOperation");
        SendInfoEvent("LargeFileScanning", "Click_Cancel", "", "");
        goOn = false;
        return 0;
    default:
        return 0;
    }
}

int CLFDiskSelScanPage::GetHomePageId()
{
    if (IBulkseek* gatherer = Gatherer())
        gatherer->QuitProc();
    return PAGEID_HOME;
}

void CLFDiskSelScanPage::OnDiskSelChanged() { EnableFuncBtn(ScanBtn, diskSelScan->HasChecked()); }

OpResult CLFDiskSelScanPage::LoadCatagories()
{
    IBulkseek* gatherer = Gatherer();
    return gatherer ? gatherer->GetCatagories(this) : RESULT_OK;
}

bool CLFDiskSelScanPage::OnCatagory(IBigFileCatagory* catagory)
{
    if (!catagory) {
        LogTileFailure(418);
        return false;
    }
    auto* disk = new (std::nothrow) CDiskWidget(true);
    if (!disk) {
        LogTileFailure(420);
        return false;
    }
    disk->SetCatagory(catagory);
    connect(disk, &CDiskWidget::SelCchanged, this, &CLFDiskSelScanPage::OnDiskSelChanged);
    diskSelScan->AddDisk(disk);
    return true;
}

void CLFDiskSelScanPage::StartScan()
{
    goOn = true;
    alive = true;
    ShowFuncBtn(ScanBtn, false);
    ShowFuncBtn(CancelBtn, true);
    diskSelScan->SetScanFolder(nullptr, true);
    diskSelScan->ShowDisks(false);
    diskSelScan->ShowScanPrompt(true);
    SendInfoEvent("LargeFileCleanup", "Click_Scan", "", "");
    emit CurWindowName(QStringLiteral("LargeFileScanning"));
    // The rows go now, on this thread, while no one looks at them; the worker hands the new ones over.
    listData->ClearItems();
    progress.SetProgress(1, false);
    OnTimeOut();
    refreshTimer.start();
    AsyncExecMember(this, this, &CLFDiskSelScanPage::ScanProc);
    refreshTimer.stop();
    if (alive)
        listData->ShowLoaded();
}

int CLFDiskSelScanPage::ScanProc()
{
    emit WorkStart(true);
    {
        QMutexLocker locker(&scanLock);
        OpResult result = kScanUnavailable;
        if (IBulkseek* gatherer = Gatherer()) {
            gatherer->ClearGarbage();
            CKyAutoPtr<IBulkseekOption> option;
            option.Attach(gatherer->CreateOption());
            const _BigFile_GatherOption_ record = ScanOptions();
            if (option.Get()) {
                option->SetOption(&record);
                result = gatherer->CollecttGarbage(this, option.Get());
            }
        }
        listData->SetScanResult(result);
        if (!IsFailure(result)) {
            if (alive)
                listData->LoadGarbages(!goOn);
            OnProgress(100, 100);
        }
    }
    emit WorkStart(false);
    return 0;
}

bool CLFDiskSelScanPage::OnProgress(int beginPercent, int endPercent)
{
    progress.OnSpan(beginPercent, endPercent);
    return true;
}

bool CLFDiskSelScanPage::OnScanFile(IBigFileGarbageInfo*, std::wstring path, int, double fraction)
{
    progress.OnFile(path, fraction);
    return goOn;
}

void CLFDiskSelScanPage::OnTimeOut()
{
    int shown = 0;
    std::wstring folder;
    if (!progress.Take(&shown, &folder))
        return;
    if (!folder.empty())
        diskSelScan->SetScanFolder(folder.c_str(), false);
    PageTitleInfo info;
    info.background = QColor("#1c202a");
    info.progress = shown;
    info.title = HtmlText(tr("Scanning..."), kTitleColour, 20, 700);
    info.iconPath = LargeFileIcon();
    SetTitleInfo(info);
}
