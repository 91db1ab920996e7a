#include "SelectScanPage.h"

#include "AsyncExecMember.h"
#include "BindData.h"
#include "CleanUpItemDelegate.h"
#include "CleanupTreeList.h"
#include "DetailPage.h"
#include "HtmlText.h"
#include "ProcessCloser.h"
#include "RichText.h"
#include "SpySetValueEx.h"
#include "kit/CheckBox.h"
#include "kit/FuncBtn.h"
#include "kit/MsgBox.h"
#include "kit/NavigateBtn.h"
#include "kit/ResPath.h"
#include "kit/ResPicture.h"
#include "services/UIPublic.h"

#include "common/InfoAttribute.h"
#include "common/SendInfo.h"
#include "common/TallyrunBinding.h"
#include "common/WriteLog.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QTimer>
#include <QTreeWidgetItemIterator>

namespace {

constexpr int kEventAnalyze = 0x11008;
constexpr int kEventCancelClean = 0x11009;
constexpr int kEventClean = 0x1100A;
constexpr int kValueCleanMilliseconds = 0x11006;

void CountEvent(int eventId)
{
    if (ISmartSpy* spy = Tallyrun_GetSmartSpy())
        spy->CountEvent(eventId);
}

QString SizeText(quint64 bytes) { return HtmlText(CUIPublic::FormatSize(bytes), QStringLiteral("#ff922d"), 16, 400); }
QString TitleLine(const QString& text) { return HtmlText(text, QStringLiteral("#c6d6f0"), 20, 700); }
QString DescriptionLine(const QString& text) { return HtmlText(text, QStringLiteral("#c6d6f0"), 16, 400); }

// Kinds 0 and 2 show no program rows, kind 3 no leaf rows.
bool ShowLevel(int kind, int level)
{
    if (kind == 0 || kind == 2)
        return level != 2;
    if (kind == 3)
        return level != 3;
    return true;
}

} // namespace

CSelectScanPage::CSelectScanPage()
    : CPage(PAGEID_JUNK_SCAN, nullptr), tree_(new CCleanupTreeList), gatherer_(CUIPublic::Instance()->GetDregsweep())
{
    junk_rows::RegisterBindData();
    tree_->setHeaderLabels({QString(), QString(), QString(), QString()});
    tree_->header()->hide();
    connect(tree_, &CCleanupTreeList::checkToggled, this, &CSelectScanPage::onToggleCheck);
    connect(tree_, &CCleanupTreeList::detail, this, &CSelectScanPage::onShowDetail);
    connect(this, &CSelectScanPage::updateGarbage, this, &CSelectScanPage::onUpdateGarbage);
    connect(this, &CSelectScanPage::terminatePro, this, &CSelectScanPage::onTerminatePro, Qt::BlockingQueuedConnection);
    InitPage();
    if (!gatherer_)
        WriteLog(L"[Sweepdeck] junk gatherer not loaded: analysis is off");
}

CSelectScanPage::~CSelectScanPage()
{
    if (IsShown() && !worked_)
        Tallyrun_SetInfoData(L"Clean_Junk_File_NoOperation", 0, 0, 0, false, L"Task_CleanOperation");
}

QWidget* CSelectScanPage::CreateContent()
{
    // Made in the page and given its sheet while it is empty: Qt styles a widget's whole tree again
    // whenever the widget gets a sheet or a new parent, and the list is a large tree.
    content_ = new QWidget(this);
    content_->setStyleSheet(QStringLiteral(
        "border-top-left-radius:0px;border-top-right-radius:0px;border-bottom-right-radius:12px;"
        "border-bottom-left-radius:12px;background:#20242f;"));
    auto* layout = new QHBoxLayout(content_);
    layout->setSpacing(0);
    layout->setContentsMargins(6, 0, 6, 6);
    layout->addWidget(tree_);
    return content_;
}

QVector<CFuncBtn*> CSelectScanPage::CreateFuncBtns(Qt::Alignment*)
{
    return {new CFuncBtn(BtnAnalyze, tr("Analyze")), new CFuncBtn(BtnCancel, tr("Cancel")),
            new CFuncBtn(BtnCleanUp, tr("Clean up"))};
}

QVector<CNavigateBtn*> CSelectScanPage::CreateNavBtns()
{
    auto* back = new CNavigateBtn(NAVBTN_BACK, ResStatesIcon(QStringLiteral("ico_back")), tr("Back"));
    connect(back, &QAbstractButton::clicked, this, &CSelectScanPage::BackClickSlot);
    return {back};
}

void CSelectScanPage::OnEnter(QWidget*)
{
    if (busy_) {
        // The worker still uses the gatherer and the rows: reset once it has ended.
        WriteLog(L"[Sweepdeck] junk page entered while it works: cancelled, entered afterwards");
        cancelled_ = true;
        enterAfterWork_ = true;
        return;
    }
    Reset();
}

void CSelectScanPage::Reset()
{
    userToggled_ = false;
    checkedTotal_ = 0;
    analysing_ = true;
    cleanedSinceEntry_ = false;
    {
        QMutexLocker lock(&rowsLock_);
        rows_.clear();
    }
    tree_->SetAnalysed(false);
    ShowFuncBtn(BtnAnalyze, true);
    EnableFuncBtn(BtnAnalyze, gatherer_ != nullptr);
    ShowFuncBtn(BtnCleanUp, false);
    ShowFuncBtn(BtnCancel, false);
    ShowNavBtn(NAVBTN_BACK, false);
    tree_->SetWorkMode(CCleanupTreeList::Idle);
    cancelled_ = false;
    if (gatherer_)
        gatherer_->Reset();
    ShowStartHeader();
    tree_->clear();
    BuildTree();
    tree_->collapseAll();
    emit CurWindowName(QStringLiteral("SystemCleanup"));
}

void CSelectScanPage::BuildTree()
{
    if (!gatherer_)
        return;
    for (IDregsweepCatagory* category = gatherer_->GetFirstCatagory(); category;) {
        if (const GarbageCatagoryInfo* info = category->GetName()) {
            QTreeWidgetItem* row = AddRow(nullptr, info->name);
            row->setCheckState(0, static_cast<Qt::CheckState>(category->GetCheckState()));
            row->setData(0, Qt::UserRole, QVariant::fromValue(bindData{category, 1, info->kind}));
            BuildLevel2(category, row, info->kind);
            row->setExpanded(true);
        }
        category->Release();
        category = gatherer_->GetNextCatagory(category);
    }
}

void CSelectScanPage::BuildLevel2(IDregsweepCatagory* category, QTreeWidgetItem* groupRow, int kind)
{
    for (IDregsweepCatagory* child = category->GetFirstChild(); child;) {
        const GarbageCatagoryInfo* info = child->GetName();
        if (info && child->IsShown()) {
            if (ShowLevel(kind, 2)) {
                QTreeWidgetItem* row = AddRow(groupRow, info->name);
                row->setDisabled(kind != 3);
                row->setData(0, Qt::UserRole, QVariant::fromValue(bindData{child, 2, kind}));
            }
            BuildLevel3(child, groupRow, kind);
        }
        child->Release();
        child = category->GetNextChild(child);
    }
}

void CSelectScanPage::BuildLevel3(IDregsweepCatagory* category, QTreeWidgetItem* groupRow, int kind)
{
    for (IDregsweepCatagory* child = category->GetFirstChild(); child;) {
        const GarbageCatagoryInfo* info = child->GetName();
        if (info && ShowLevel(kind, 3)) {
            QTreeWidgetItem* row = AddRow(groupRow, info->name);
            row->setCheckState(0, static_cast<Qt::CheckState>(child->GetCheckState()));
            row->setData(0, Qt::UserRole, QVariant::fromValue(bindData{child, 3, kind}));
            QMutexLocker lock(&rowsLock_);
            rows_.insert(child, row);
        }
        child->Release();
        child = category->GetNextChild(child);
    }
}

QTreeWidgetItem* CSelectScanPage::AddRow(QTreeWidgetItem* parent, const std::wstring& name)
{
    const QByteArray source = QString::fromStdWString(name).toUtf8();
    auto* row = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(tree_);
    if (!parent)
        tree_->AddSpacer();
    row->setText(0, QCoreApplication::translate("CSelectScanPage", source.constData()));
    // The tree turns clicks into toggles of the gatherer's categories; Qt's own toggling of the
    // row's check state would go past them.
    row->setFlags(row->flags() & ~Qt::ItemIsUserCheckable);
    row->setExpanded(false);
    return row;
}

int CSelectScanPage::OnFuncBtn(int buttonId)
{
    switch (buttonId) {
    case BtnAnalyze: Analyze(); break;
    case BtnCleanUp: CleanUp(); break;
    case BtnCancel: Cancel(); break;
    default: break;
    }
    return 0;
}

bool CSelectScanPage::Refused(const wchar_t* request) const
{
    if (busy_)
        WriteLog(L"[Sweepdeck] %ls asked for while the junk page works: ignored", request);
    else if (!gatherer_)
        WriteLog(L"[Sweepdeck] %ls asked for without a junk gatherer: ignored", request);
    return busy_ || !gatherer_;
}

int CSelectScanPage::RunWorker(int (CSelectScanPage::*worker)())
{
    return AsyncExecMember(tree_->RowDelegate(), this, worker);
}

bool CSelectScanPage::Analyze()
{
    if (Refused(L"analysis"))
        return false;
    worked_ = busy_ = analysing_ = true;
    tree_->SetAnalysed(true);
    percent_ = 0;
    cancelled_ = false;
    tree_->SetWorkMode(CCleanupTreeList::Analysing);
    ShowFuncBtn(BtnAnalyze, false);
    ShowFuncBtn(BtnCancel, true);
    ShowNavBtn(NAVBTN_BACK, false);
    tree_->collapseAll();
    SetProgressHeader(0);
    emit WorkStart(true);

    RunWorker(&CSelectScanPage::AnalyzeWorker);
    TakeFoundItems();

    emit WorkStart(false);
    busy_ = false;
    checkedTotal_ = gatherer_->GetCheckedSize();
    ShowNavBtn(NAVBTN_BACK, true);
    ShowFuncBtn(BtnCleanUp, true);
    // A stopped background analysis found only part of the junk: it reports nothing, and no one
    // clicked Analyze.
    if (!automatic_)
        SendInfoEvent("SystemCleanup", "Click_Analyze", "", "");
    else if (!cancelled_)
        emit sigScanFinished(checkedTotal_);
    emit CurWindowName(QStringLiteral("SystemFileAnalyzing"));
    Finish();
    return true;
}

int CSelectScanPage::AnalyzeWorker()
{
    if (!userToggled_)
        CountEvent(kEventAnalyze);
    gatherer_->CollectGarbage(this);
    return 0;
}

bool CSelectScanPage::AskCleanUp()
{
    if (automatic_)
        return true;
    const QVariant skip = CUIPublic::Instance()->GetUserSetting(QStringLiteral("execcleanup"));
    if (skip.isValid() && skip.toBool())
        return true;
    const int answer = CMsgBox::ShowCheckMsg(
        this, CMsgBox::IconAlert, tr("System Cleanup"), tr("The selected file will be permanently deleted."),
        tr("Are you sure you want to clean up the files?"), {tr("Yes"), tr("No")},
        new CCheckBox(tr("Don't show this message again")));
    const int button = CMsgBox::ButtonIndex(answer);
    SendInfoEvent("ProceedWindow", button == 0 ? "Click_Yes" : button == 1 ? "Click_No" : "Click_Close", "", "");
    if (button != 0)
        return false;
    if (CMsgBox::IsChecked(answer)) {
        CUIPublic::Instance()->SetUserSetting(QStringLiteral("execcleanup"), true);
        SendInfoEvent("ProceedWindow", "Click_DontShow", "", "");
    }
    return true;
}

bool CSelectScanPage::CleanUp()
{
    if (Refused(L"clean-up"))
        return false;
    SendInfoEvent("AnalyzeCompleted", "Click_Cleanup", "", "");
    worked_ = busy_ = true;
    const bool confirmed = AskCleanUp();
    // A stop or a new entry may have come while the question was open: it wins.
    if (!confirmed || enterAfterWork_ || navigateAfterWork_) {
        busy_ = false;
        Finish();
        return false;
    }

    EnableNavBtn(NAVBTN_BACK, false);
    tree_->SetWorkMode(CCleanupTreeList::Cleaning);
    analysing_ = false;
    cancelled_ = false;
    percent_ = 0;
    checkedTotal_ = gatherer_->GetCheckedSize();
    ShowFuncBtn(BtnCleanUp, false);
    ShowFuncBtn(BtnCancel, true);
    tree_->collapseAll();
    SetProgressHeader(0);
    emit WorkStart(true);

    RunWorker(&CSelectScanPage::CleanWorker);
    TakeFoundItems();

    emit WorkStart(false);
    busy_ = false;
    cleanedSinceEntry_ = true;
    ShowNavBtn(NAVBTN_BACK, true);
    Finish();
    return true;
}

int CSelectScanPage::CleanWorker()
{
    CountEvent(kEventClean);
    const DWORD start = GetTickCount();
    gatherer_->EmptyGarbage(this);
    SpySetValueEx(kValueCleanMilliseconds, GetTickCount() - start);
    return 0;
}

void CSelectScanPage::Cancel()
{
    if (tree_->GetWorkMode() == CCleanupTreeList::Cleaning)
        CountEvent(kEventCancelClean);
    if (busy_) {
        EnableFuncBtn(BtnCancel, false);
        cancelled_ = true;
    }
    SendInfoEvent(analysing_ ? "SystemFileAnalyzing" : "SystemFileCleaning", "Click_Cancel", "", "");
}

void CSelectScanPage::Finish()
{
    ShowFuncBtn(BtnCancel, false);
    if (analysing_) {
        summary_ = cancelled_ ? tr("Analysis cancelled. Found: %1, Selected: %2") : tr("Found: %1, Selected: %2");
    } else {
        summary_ = tr("%1 files have been cleaned up successfully.");
        if (!cancelled_)
            ShowFuncBtn(BtnCleanUp, false);
    }
    EnableNavBtn(NAVBTN_BACK, true);
    EnableFuncBtn(BtnCancel, true);
    tree_->SetWorkMode(CCleanupTreeList::Idle);
    ShowCompletionTexts();
    tree_->viewport()->update();
    RunDeferred();
}

void CSelectScanPage::RunDeferred()
{
    if (navigateAfterWork_) {
        navigateAfterWork_ = enterAfterWork_ = false;
        emit navigate(GetBackPageId());
    } else if (enterAfterWork_) {
        enterAfterWork_ = false;
        Reset();
    }
}

void CSelectScanPage::ShowHeader(const QString& title, const QString& description, int progress)
{
    PageTitleInfo info;
    info.iconPath = GetResPath(QStringLiteral("ico_systemclean_big.png"), QStringLiteral("res"));
    info.title = TitleLine(title);
    if (!description.isEmpty())
        info.description = DescriptionLine(description);
    info.progress = progress;
    SetTitleInfo(info);
}

void CSelectScanPage::ShowStartHeader()
{
    ShowHeader(tr("System Cleanup"), tr("Delete junk files to save disk space and improve computer performance."), 0);
}

void CSelectScanPage::SetProgressHeader(int percent)
{
    ShowHeader(analysing_ ? tr("Analyzing...") : tr("Cleaning..."), QString(), percent);
}

void CSelectScanPage::ShowCompletionTexts()
{
    QString title;
    QString description;
    if (analysing_) {
        emit CurWindowName(QStringLiteral("AnalyzeCompleted"));
        title = tr("Analysis Completed");
        description = summary_.arg(SizeText(gatherer_->GetTotalSize()), SizeText(gatherer_->GetCheckedSize()));
    } else {
        title = cancelled_ ? tr("Cleanup Cancelled") : tr("Cleanup Completed");
        const quint64 left = gatherer_->GetCheckedSize();
        const quint64 cleaned = checkedTotal_ > left ? checkedTotal_ - left : 0;
        description = summary_.arg(SizeText(cleaned));
        emit CurWindowName(QStringLiteral("CleanupCompleted"));
        const std::string size = CUIPublic::FormatSize(cleaned).toStdString();
        SendInfoEvent("CleanupCompleted", "Info_CleanupCompleted", MakeInfoAttribute({{"CleanupSize", size}}).c_str(), "");
    }
    ShowHeader(title, description, 0);
}

void CSelectScanPage::onToggleCheck(QTreeWidgetItem* row)
{
    userToggled_ = true;
    const bindData record = junk_rows::RowData(row);
    if (!record.object)
        return;
    if (record.level >= 1 && record.level <= 3)
        record.object->ToggleCheck();
    MirrorCheckStates();
    // After a clean-up the header keeps its result: a tick changes what a next clean-up takes.
    if (tree_->IsAnalysed() && gatherer_ && !cleanedSinceEntry_) {
        checkedTotal_ = gatherer_->GetCheckedSize();
        ShowCompletionTexts();
    }
    bool anyChecked = false;
    for (int i = 0; i < tree_->topLevelItemCount() && !anyChecked; ++i) {
        const bindData group = junk_rows::RowData(tree_->topLevelItem(i));
        anyChecked = group.object && group.level == 1 && group.object->GetCheckState() > 0;
    }
    EnableFuncBtn(BtnAnalyze, anyChecked);
    tree_->viewport()->update();
}

void CSelectScanPage::MirrorCheckStates()
{
    // A toggle changes the categories above and below the row as well.
    for (QTreeWidgetItemIterator it(tree_); *it; ++it) {
        const bindData record = junk_rows::RowData(*it);
        if (record.object && (record.level == 1 || record.level == 3))
            (*it)->setCheckState(0, static_cast<Qt::CheckState>(record.object->GetCheckState()));
    }
}

void CSelectScanPage::onShowDetail(QTreeWidgetItem* row)
{
    const bindData record = junk_rows::RowData(row);
    if (!record.object || busy_)
        return;
    // The dialog walks the gatherer's items on a worker: no analysis or clean-up meanwhile.
    busy_ = true;
    CDetailPage dialog(record.object, record.kind != 3, nativeParentWidget());
    dialog.move(mapToGlobal(QPoint(80, 0)));
    dialog.exec();
    busy_ = false;
    RunDeferred();
}

bool CSelectScanPage::OnScanProgress(int percent, int)
{
    percent_ = percent;
    return !cancelled_;
}

bool CSelectScanPage::ReportFound(uint64_t size, IDregsweepCatagory* category)
{
    QTreeWidgetItem* row = nullptr;
    {
        QMutexLocker lock(&rowsLock_);
        row = rows_.value(category);
    }
    emit updateGarbage(size, row);
    return !cancelled_;
}

bool CSelectScanPage::OnGarbageFound(std::wstring, uint64_t size, IDregsweepCatagory* category)
{
    return ReportFound(size, category);
}

bool CSelectScanPage::OnGarbageCleaned(std::wstring, uint64_t size, IDregsweepCatagory* category)
{
    return ReportFound(size, category);
}

void CSelectScanPage::onUpdateGarbage(quint64 size, QTreeWidgetItem* row)
{
    bool ours = false;
    if (row) {
        QMutexLocker lock(&rowsLock_);
        ours = rows_.key(row) != nullptr;
    }
    bindData record = ours ? junk_rows::RowData(row) : bindData{};
    if (record.object) {
        record.size += size;
        ++record.count;
        row->setData(0, Qt::UserRole, QVariant::fromValue(record));
    }
    // A gatherer reports many items in one turn of the event loop: header and list are redrawn
    // once for all of them.
    if (!refreshQueued_) {
        refreshQueued_ = true;
        QTimer::singleShot(0, this, &CSelectScanPage::RefreshProgress);
    }
}

void CSelectScanPage::RefreshProgress()
{
    refreshQueued_ = false;
    if (busy_)
        SetProgressHeader(qMin(percent_.load(), 100));
    tree_->viewport()->update();
}

void CSelectScanPage::TakeFoundItems()
{
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
    RefreshProgress();
}

bool CSelectScanPage::OnCloseProcess(std::wstring appName, const DWORD* processIds, int)
{
    // Once the user cancelled, no application is ended or asked about.
    if (cancelled_ || automatic_)
        return false;
    const QVariant choice = CUIPublic::Instance()->GetUserSetting(QStringLiteral("terminatePro"));
    if (!choice.isValid() || choice.toInt() == 0)
        return false;
    const QVector<quint64> ids = CloseableProcessIds(processIds);
    bool closed = false;
    if (choice.toInt() == 1) {
        for (quint64 id : ids)
            TerminateProcessById(id);
        closed = true;
    } else if (choice.toInt() == 2) {
        emit terminatePro(QString::fromStdWString(appName), ids, closed);
    }
    return closed;
}

void CSelectScanPage::onTerminatePro(QString appName, QVector<quint64> processIds, bool& closed)
{
    const QString name = AsRichText(appName);
    const int answer = CMsgBox::ShowCheckMsg(
        this, CMsgBox::IconAlert, tr("System Cleanup"), tr("%1 needs to be closed to clean the Internet cache.").arg(name),
        tr("Are you sure you want to close %1?").arg(name), {tr("Close"), tr("Skip")},
        new CCheckBox(tr("Don't show this message again")));
    const char* source = analysing_ ? "Analyzing_Trigger" : "Cleanup_Trigger";
    const int button = CMsgBox::ButtonIndex(answer);
    SendInfoEvent("SkipWindow", button == 1 ? "Click_Skip" : button == 0 ? "Click_Close" : "Click_X", "", source);
    closed = button == 0;
    if (closed) {
        for (quint64 id : processIds)
            TerminateProcessById(id);
    }
    if (CMsgBox::IsChecked(answer)) {
        CUIPublic::Instance()->SetUserSetting(QStringLiteral("terminatePro"), closed ? 1 : 0);
        SendInfoEvent("SkipWindow", "Click_DontShow", "", "Analyzing_Trigger");
    } else {
        CUIPublic::Instance()->SetUserSetting(QStringLiteral("terminatePro"), 2);
    }
}

void CSelectScanPage::BackClickSlot()
{
    if (analysing_)
        SendInfoEvent("AnalyzeCompleted", "Click_Back", "", "");
    else
        SendInfoEvent("CleanupCompleted", "Click_Back", "", "");
}

void CSelectScanPage::CancelAll() { cancelled_ = true; }

void CSelectScanPage::StartScan()
{
    // A running analysis keeps the mode it was started in.
    if (Refused(L"analysis"))
        return;
    OnFuncBtn(BtnAnalyze);
    automatic_ = false;
}

void CSelectScanPage::StopWork()
{
    cancelled_ = true;
    if (busy_) {
        WriteLog(L"[Sweepdeck] junk page stopped while it works: leaves once the work has ended");
        navigateAfterWork_ = true;
        return;
    }
    automatic_ = false;
    emit navigate(GetBackPageId());
}

void CSelectScanPage::StartAutoClean()
{
    if (Refused(L"automatic clean-up"))
        return;
    automatic_ = true;
    OnFuncBtn(BtnCleanUp);
    automatic_ = false;
}

void CSelectScanPage::ScanLater(bool automatic)
{
    if (Refused(L"analysis"))
        return;
    // The mode goes with the request and is set only when the analysis starts: a click on Analyze
    // meanwhile is the user's own, and a request refused then leaves no mode behind.
    QTimer::singleShot(100, this, [this, automatic] {
        if (Refused(L"analysis"))
            return;
        automatic_ = automatic;
        StartScan();
    });
}

void CSelectScanPage::CleanLater()
{
    if (Refused(L"clean-up"))
        return;
    QTimer::singleShot(100, this, &CSelectScanPage::StartAutoClean);
}
