#include "ExportWidget.h"

#include "junk/SelectScanPage.h"
#include "kit/MsgBox.h"
#include "largefile/LFCleanPage.h"
#include "largefile/LFDiskSelScanPage.h"
#include "services/UIPublic.h"
#include "wizard/PageWizard.h"

#include <new>

namespace {

// The junk page of the newest system-clean object: the one the junk operations act on.
QPointer<CSelectScanPage> g_junkPage;

} // namespace

CExportWidget* CExportWidget::BuildSysClean(QWidget* parent)
{
    auto* object = new (std::nothrow) CExportWidget;
    if (!object)
        return nullptr;
    // Without the gatherer the page is still built and says so itself.
    CUIPublic::Instance()->InitSysClean();
    auto* wizard = new (std::nothrow) CPageWizard(parent);
    auto* page = new (std::nothrow) CSelectScanPage;
    g_junkPage = page;
    if (wizard) {
        wizard->AddPage(page);
        object->sysCleanWizard_ = wizard;
        connect(page, &CSelectScanPage::sigScanFinished, object,
                [object](quint64 size) { object->OnScanFinished(size); });
    }
    return object;
}

CExportWidget* CExportWidget::BuildLargeFile(QWidget* parent)
{
    auto* object = new (std::nothrow) CExportWidget;
    if (!object)
        return nullptr;
    CUIPublic::Instance()->InitLargeFile();
    auto* wizard = new (std::nothrow) CPageWizard(parent);
    auto* choice = new (std::nothrow) CLFDiskSelScanPage;
    auto* result = new (std::nothrow) CLFCleanPage;
    if (wizard && choice && result) {
        wizard->AddPage(choice);
        wizard->AddPage(result);
        object->largeFileWizard_ = wizard;
    }
    return object;
}

QWidget* CExportWidget::GetPage(int pageId)
{
    CPageWizard* wizard = sysCleanWizard_ ? sysCleanWizard_.data() : largeFileWizard_.data();
    return wizard ? wizard->GetPage(pageId) : nullptr;
}

QWidget* CExportWidget::GetSysCleanWidget()
{
    return sysCleanWizard_;
}

QWidget* CExportWidget::GetLargeFileWidget()
{
    return largeFileWizard_;
}

void CExportWidget::Navigate(int pageId, bool sysClean)
{
    if (CPageWizard* wizard = sysClean ? sysCleanWizard_.data() : largeFileWizard_.data())
        wizard->Navigate(pageId);
}

CSelectScanPage* CExportWidget::JunkPage() const
{
    return sysCleanWizard_ ? g_junkPage.data() : nullptr;
}

void CExportWidget::StartScan()
{
    if (CSelectScanPage* page = JunkPage())
        page->StartScan();
}

void CExportWidget::StopWork()
{
    if (CSelectScanPage* page = JunkPage())
        page->StopWork();
}

void CExportWidget::StartClean()
{
    if (CSelectScanPage* page = JunkPage())
        page->StartAutoClean();
}

void CExportWidget::ScanLater(bool automatic)
{
    if (CSelectScanPage* page = JunkPage())
        page->ScanLater(automatic);
}

void CExportWidget::CleanLater()
{
    if (CSelectScanPage* page = JunkPage())
        page->CleanLater();
}

void CExportWidget::SetCallback(ExportWidgetCallback callback, void* context)
{
    callback_ = callback;
    context_ = context;
}

void CExportWidget::OnScanFinished(quint64 size)
{
    // Taken as a pair now: the callback may replace itself, and a replacement made while the
    // analysis ran is the one this result belongs to.
    const ExportWidgetCallback callback = callback_;
    void* const context = context_;
    if (callback)
        callback(static_cast<unsigned>(size & 0xFFFFFFFFu), static_cast<unsigned>(size >> 32), context);
}

int CExportWidget::ShowMessageBox(QWidget* parent, int iconKind, QString caption, QString title, QString content,
                                  QStringList buttons)
{
    return CMsgBox::ShowMsg(parent, iconKind, caption, title, content, buttons);
}

extern "C" __attribute__((visibility("default"))) IExportWidget* BuildSysCleanExportWgt(QWidget* parent)
{
    return CExportWidget::BuildSysClean(parent);
}

extern "C" __attribute__((visibility("default"))) IExportWidget* BuildLargeFileExportWgt(QWidget* parent)
{
    return CExportWidget::BuildLargeFile(parent);
}
