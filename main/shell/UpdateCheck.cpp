#include "UpdateCheck.h"

#include "BgRunThread.h"
#include "RenewerRun.h"
#include "UpdateBox.h"

#include "Paneforge/Util.h"
#include "common/InfoAttribute.h"
#include "common/SendInfo.h"
#include "common/UpdatePackagePlace.h"
#include "platform/Windows.h"

#include <string>

namespace {

constexpr int kUpToDate = 0;
constexpr int kOptionalUpdate = 1;
constexpr int kForcedUpdate = 2;

bool ArchiveDownloaded()
{
    const std::wstring archive = DownloadedPackagePath();
    return !archive.empty() && GetFileAttributesW(archive.c_str()) != INVALID_FILE_ATTRIBUTES;
}

} // namespace

CUpdateCheck::CUpdateCheck(QWidget* titleBar) : QObject(titleBar), titleBar_(titleBar)
{
}

CMessageBox* CUpdateCheck::Open(CMessageBox* dialog, const QString& title, const QString& content)
{
    emit sigDialogOpened(dialog);
    dialog->SetText(title, content);
    dialog->move(position_);
    return dialog;
}

void CUpdateCheck::Check(const QPoint& position)
{
    S_NETWORK_CFG network;
    Util::getDravielsNetworkCfgInfo(network);
    S_LOCAL_CFG local;
    Util::getDravielsLocalCfgInfo(local);

    SendInfoEvent("Menu", "Click_Check", nullptr, nullptr);
    const std::string result =
        MakeInfoAttribute({{"CheckResult", network.strBuild.toLocal8Bit().toStdString()}}, InfoMemberForm::Spaced);
    SendInfoEvent("Menu", "Result_Check", result.c_str(), nullptr);

    position_ = position;
    const QString version = tr("Current Version: %1").arg(network.strVersion);
    if (local.iUpdate == kUpToDate) {
        Open(new CMessageBox(MSGBOX_UPDATE, titleBar_, tr("OK"), tr("Update"), 4),
             tr("Your Orvane Quarnel Beta is up to date."), version)
            ->exec();
    } else if (local.iUpdate == kOptionalUpdate || local.iUpdate == kForcedUpdate) {
        offer_ = new CUpdateBox(MSGBOX_UPDATE, titleBar_, tr("Update"), tr("Update"), 4);
        connect(offer_, &CMessageBox::sigClicked, this, &CUpdateCheck::slotUpdateFinished);
        const int pressed =
            Open(offer_, tr("A new version of Orvane Quarnel Beta is available. Would you like to update now?"), version)
                ->exec();
        SendInfoEvent("Update", pressed ? "Click_Update" : "Click_Close", nullptr, nullptr);
    }
}

void CUpdateCheck::slotUpdateFinished()
{
    const bool downloaded = ArchiveDownloaded();
    if (!downloaded) {
        if (offer_)
            offer_->hide();
        Open(new CMessageBox(MSGBOX_UPDATE, titleBar_, tr("OK"), QString(), 3), tr("Update failed."),
             tr("Please try again later."))
            ->exec();
    } else {
        // Nothing waits for the installation or hears its outcome.
        auto* install = new CBgRunThread(&RenewerTask, const_cast<wchar_t*>(kRenewerExecute));
        connect(install, &QThread::finished, install, &QObject::deleteLater);
        install->start(QThread::InheritPriority);
    }
    const std::string result =
        MakeInfoAttribute({{"UpdateResult", downloaded ? "Success" : "Fail"}}, InfoMemberForm::Spaced);
    SendInfoEvent("Update", "Result_Update", result.c_str(), nullptr);
}
