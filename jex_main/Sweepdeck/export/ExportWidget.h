// The library's side of the export object: one per clean-up tool, owning nothing but guarded
// pointers to its wizard (a child of the main program's frame, gone with it) and forwarding the
// size of an automatic junk analysis to the main program's callback.
#pragma once

#include "IExportWidget.h"

#include <QObject>
#include <QPointer>

class CPageWizard;
class CSelectScanPage;

// The interface comes first, so that the main program's pointer is the object's own; the QObject
// part (no meta-object of its own) only ties the size forwarding to the object's life.
class CExportWidget : public IExportWidget, public QObject {
public:
    // Each builds a new object with new pages; null only when memory runs out.
    static CExportWidget* BuildSysClean(QWidget* parent);
    static CExportWidget* BuildLargeFile(QWidget* parent);

    QWidget* GetPage(int pageId) override;
    QWidget* GetSysCleanWidget() override;
    QWidget* GetLargeFileWidget() override;
    void Navigate(int pageId, bool sysClean) override;
    void StartScan() override;
    void StopWork() override;
    void StartClean() override;
    void ScanLater(bool automatic) override;
    void CleanLater() override;
    void SetCallback(ExportWidgetCallback callback, void* context) override;
    int ShowMessageBox(QWidget* parent, int iconKind, QString caption, QString title, QString content,
                       QStringList buttons) override;

private:
    CExportWidget() = default;
    void OnScanFinished(quint64 size);
    // The junk page of the newest system-clean object while this one is a system-clean object.
    CSelectScanPage* JunkPage() const;

    QPointer<CPageWizard> sysCleanWizard_;
    QPointer<CPageWizard> largeFileWizard_;
    ExportWidgetCallback callback_ = nullptr;
    void* context_ = nullptr;
};
