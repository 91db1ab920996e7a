#include "FixHomePage.h"

#include "CleanupExports.h"
#include "FixFrameBase.h"
#include "FixPageId.h"
#include "HomeBasePage.h"
#include "Language.h"

#include "GarbageScanMgr.h"
#include "SetWidget.h"

#include "Paneforge/RoundedRectBase.h"
#include "Paneforge/Util.h"
#include "common/SendInfo.h"
#include "common/WriteLog.h"

#include <QApplication>
#include <QDesktopServices>
#include <QHBoxLayout>
#include <QLabel>
#include <QScreen>
#include <QUrl>
#include <QVBoxLayout>

namespace {

// The tool frames, built in this order with the home page.
const int kToolPages[] = {PAGE_WRITE_PROTECTION, PAGE_WINDOWS_UPDATE, PAGE_FILE_SHOWING, PAGE_LOGIN,
                          PAGE_LETTER,           PAGE_SYSTEM_CLEANUP, PAGE_LARGE_FILE_CLEANUP};

// slotLoginActionClicked and slotLoginSig codes.
constexpr int kAccountChanged = 8;

bool IsLoggedOut()
{
    S_LOCAL_CFG local;
    Util::getDravielsLocalCfgInfo(local);
    return local.strAccount.isEmpty() || local.iIsQuit != 0;
}

} // namespace

CFixHomePage::CFixHomePage(QWidget* parent) : CFixPageBase(PAGE_HOME, parent, 12, false, false, true, true)
{
    InitUI();
}

void CFixHomePage::InitUI()
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    basePage_ = new CHomeBasePage(this);
    connect(basePage_, SIGNAL(sigBtnClicked(int)), this, SLOT(ShowCustmsPage(int)));
    layout->addWidget(basePage_);
    layout->addWidget(BuildBottomStrip());

    setWidget_ = new CSetWidget(this);
    connect(setWidget_, &CSetWidget::sigShowAssit, this, &CFixHomePage::SetShowAssit);
    connect(setWidget_, &CSetWidget::sigShowClean, this, &CFixHomePage::SetShowClean);
    connect(setWidget_, &CSetWidget::sigLvChanged, this, &CFixHomePage::SetCleanLv);

    for (const int pageType : kToolPages)
        CreateToolFrame(pageType);
}

QWidget* CFixHomePage::BuildBottomStrip()
{
    auto* strip = new CRoundedRectBase(12, this, false, false, true, true);
    strip->setBrush(QColor(QStringLiteral("#1b1f28")));
    strip->setFixedSize(800, 48);
    auto* row = new QHBoxLayout(strip);
    row->setContentsMargins(40, 8, 16, 8);
    row->setSpacing(0);

    row->addWidget(new QLabel(Util::GetFormatString(tr("A Letter from Product Manager "),
                                                    GetLangFontFamily(FONT_NORMAL), QStringLiteral("#c6d6f0"), 14, 400),
                              strip));
    letterLink_ = new QPushButton(tr("Click here to read"), strip);
    letterLink_->setObjectName(QStringLiteral("ClickHereBtn"));
    letterLink_->installEventFilter(this);
    connect(letterLink_, SIGNAL(clicked()), this, SLOT(ShowLetterSlot()));
    row->addWidget(letterLink_);
    row->addSpacerItem(new QSpacerItem(0, 0, QSizePolicy::Expanding, QSizePolicy::Minimum));

    designButton_ = new QPushButton(IsLoggedOut() ? tr("Design Quarnel") : tr("Start Designing"), strip);
    designButton_->setObjectName(QStringLiteral("DesignQuarnelBtn"));
    connect(designButton_, SIGNAL(clicked()), this, SLOT(slotLoginPress()));
    row->addWidget(designButton_);
    return strip;
}

void CFixHomePage::SetScanMgr(CGarbageScanMgr* scanMgr)
{
    scanMgr_ = scanMgr;
}

void CFixHomePage::CreateToolFrame(int pageType)
{
    if (frames_.contains(pageType))
        return;
    auto* frame = new CFixFrameBase(pageType, this);
    frames_.insert(pageType, frame);
    switch (pageType) {
    case PAGE_WRITE_PROTECTION:
    case PAGE_FILE_SHOWING:
        if (auto* home = qobject_cast<CFixFrameBase*>(parentWidget()))
            connect(home, SIGNAL(sigUpdateDrivers()), frame, SLOT(slotUpdateDrivers()));
        break;
    case PAGE_LOGIN:
        if (QWidget* login = frame->GetPage()) {
            connect(login, SIGNAL(sigLogin(int)), this, SLOT(slotLoginSig(int)));
            connect(this, SIGNAL(RestoreLoginPage()), login, SLOT(slotRestoreLoginPage()));
        }
        break;
    case PAGE_SYSTEM_CLEANUP:
        if (IExportWidget* cleanup = GetSysCleanExport(); cleanup && frame->GetPage()) {
            if (QWidget* scan = cleanup->GetPage(2))
                connect(scan, "2WorkStart(bool )", this, SLOT(slotUpdateHomeDisk(bool)));
            cleanup->Navigate(2, true);
        }
        break;
    case PAGE_LARGE_FILE_CLEANUP:
        if (IExportWidget* cleanup = GetLargeFileExport(); cleanup && frame->GetPage()) {
            if (QWidget* choice = cleanup->GetPage(3))
                connect(choice, "2WorkStart(bool )", this, SLOT(slotUpdateHomeDisk(bool)));
        }
        break;
    default:
        break;
    }
}

void CFixHomePage::RequestScan()
{
    pendingScan_ = true;
    ShowCustmsPage(PAGE_SYSTEM_CLEANUP);
}

void CFixHomePage::RequestClean()
{
    pendingClean_ = true;
    ShowCustmsPage(PAGE_SYSTEM_CLEANUP);
}

void CFixHomePage::PlaceToolFrame(int pageType, CFixFrameBase* frame) const
{
    if (pageType == PAGE_LOGIN || pageType == PAGE_LETTER) {
        frame->move(mapToGlobal(QPoint(0, 0)) + QPoint(80, 0));
        return;
    }
    const QScreen* holder = screen();
    const QRect area = holder ? holder->geometry() : QRect();
    frame->move((area.width() - width()) / 2, (area.height() - height()) / 2);
}

int CFixHomePage::ShowCustmsPage(int iPageId)
{
    CFixFrameBase* frame = frames_.value(iPageId);
    if (!frame)
        return 0;
    if (!frame->GetPage()) {
        // A clean-up tool whose library or export is missing stays off; the program has no message
        // for it, the log says why.
        pendingScan_ = pendingClean_ = false;
        if (iPageId == PAGE_SYSTEM_CLEANUP || iPageId == PAGE_LARGE_FILE_CLEANUP)
            WriteLog(L"clean-up tool %d is off: its export object was not made", iPageId);
        return 0;
    }
    if (iPageId == PAGE_LARGE_FILE_CLEANUP)
        GetLargeFileExport()->Navigate(3, false);
    PlaceToolFrame(iPageId, frame);
    if (iPageId == PAGE_SYSTEM_CLEANUP) {
        if (pendingClean_)
            GetSysCleanExport()->CleanLater();
        else if (pendingScan_)
            GetSysCleanExport()->ScanLater(false);
    }
    pendingScan_ = pendingClean_ = false;
    return frame->exec();
}

void CFixHomePage::OpenSettings()
{
    if (!setWidget_)
        return;
    if (scanMgr_) {
        setWidget_->SetShowAssit(scanMgr_->GetShowAssit());
        setWidget_->SetShowClean(scanMgr_->GetShowClean());
        setWidget_->SetCleanLv(scanMgr_->GetCleanLv());
        setWidget_->SetLvTextList(scanMgr_->GetLvTextList());
        setWidget_->SetAssitVisible(scanMgr_->GetEnableAssit());
        setWidget_->SetCleanVisible(scanMgr_->GetEnableScan());
    }
    setWidget_->move(mapToGlobal(QPoint(0, 0)) + QPoint(80, -10));
    setWidget_->exec();
}

void CFixHomePage::SetShowAssit(bool show)
{
    if (scanMgr_)
        scanMgr_->SetShowAssit(show);
}

void CFixHomePage::SetShowClean(bool show)
{
    if (scanMgr_)
        scanMgr_->SetShowClean(show);
}

void CFixHomePage::SetCleanLv(int lv)
{
    if (scanMgr_)
        scanMgr_->SetCleanLv(lv);
}

void CFixHomePage::slotLoginPress()
{
    if (!designButton_)
        return;
    const bool byButton = sender() == designButton_;
    if (designButton_->text() == tr("Design Quarnel")) {
        emit RestoreLoginPage();
        if (byButton)
            SendInfoEvent("Home", "Click_Login", nullptr, nullptr);
        ShowCustmsPage(PAGE_LOGIN);
    } else if (designButton_->text() == tr("Start Designing")) {
        if (byButton)
            SendInfoEvent("Home", "Click_Design", nullptr, nullptr);
        S_NETWORK_CFG network;
        Util::getDravielsNetworkCfgInfo(network);
        if (!network.strWebsite.isEmpty())
            QDesktopServices::openUrl(QUrl(network.strWebsite, QUrl::TolerantMode));
    }
}

void CFixHomePage::slotLoginSig(int state)
{
    if (state == kAccountChanged && designButton_)
        designButton_->setText(tr("Start Designing"));
}

void CFixHomePage::slotLoginActionClicked(int action)
{
    if (!designButton_)
        return;
    if (action == PAGE_LOGIN)
        slotLoginPress();
    else if (action == kAccountChanged)
        designButton_->setText(tr("Design Quarnel"));
}

void CFixHomePage::ShowLetterSlot()
{
    SendInfoEvent("Home", "Click_Clicktoview", nullptr, nullptr);
    ShowCustmsPage(PAGE_LETTER);
}

void CFixHomePage::slotUpdateHomeDisk(bool working)
{
    if (basePage_ && !working)
        basePage_->UpdateSysPartInfo();
}

bool CFixHomePage::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == letterLink_) {
        if (event->type() == QEvent::Enter)
            QApplication::setOverrideCursor(Qt::PointingHandCursor);
        else if (event->type() == QEvent::Leave)
            QApplication::restoreOverrideCursor();
    }
    return CFixPageBase::eventFilter(watched, event);
}
