// A clean-up library for tests: its export objects build a wizard with plain pages that carry the
// pages' two signals, and record every call they get in the wizard's "calls" property. How often
// each export was called is kept in the application's "SysCleanBuilds" and "LargeFileBuilds".

#include "jex_main/Sweepdeck/export/IExportWidget.h"

#include <QApplication>
#include <QMap>
#include <QVariant>
#include <QWidget>

class CFakePage : public QWidget {
    Q_OBJECT
public:
    CFakePage(int id, QWidget* parent) : QWidget(parent) { setObjectName(QStringLiteral("page%1").arg(id)); }

signals:
    void WorkStart(bool working);
    void CurWindowName(const QString& name);
};

// The wizard: what the main program may invoke on it by name is recorded too.
class CFakeWizard : public QWidget {
    Q_OBJECT
public:
    explicit CFakeWizard(QWidget* parent) : QWidget(parent) {}

    void Record(const QString& call) { setProperty("calls", property("calls").toStringList() << call); }
    Q_INVOKABLE void CancelAll() { Record(QStringLiteral("CancelAll")); }
};

namespace {

class CFakeExport : public IExportWidget {
public:
    CFakeExport(bool sysClean, QWidget* parent) : sysClean_(sysClean), wizard_(new CFakeWizard(parent))
    {
        wizard_->setObjectName(sysClean ? QStringLiteral("SysCleanWizard") : QStringLiteral("LargeFileWizard"));
        wizard_->setFixedSize(800, 472);
        for (int id : sysClean ? QList<int>{2} : QList<int>{3, 4})
            pages_.insert(id, new CFakePage(id, wizard_));
    }

    QWidget* GetPage(int pageId) override { return pages_.value(pageId); }
    QWidget* GetSysCleanWidget() override { return sysClean_ ? wizard_ : nullptr; }
    QWidget* GetLargeFileWidget() override { return sysClean_ ? nullptr : wizard_; }
    void Navigate(int pageId, bool sysClean) override
    {
        Record(QStringLiteral("Navigate(%1,%2)").arg(pageId).arg(sysClean ? "true" : "false"));
    }
    void StartScan() override { Record(QStringLiteral("StartScan")); }
    void StopWork() override { Record(QStringLiteral("StopWork")); }
    void StartClean() override { Record(QStringLiteral("StartClean")); }
    void ScanLater(bool automatic) override
    {
        Record(QStringLiteral("ScanLater(%1)").arg(automatic ? "true" : "false"));
    }
    void CleanLater() override { Record(QStringLiteral("CleanLater")); }
    void SetCallback(ExportWidgetCallback callback, void*) override
    {
        Record(callback ? QStringLiteral("SetCallback") : QStringLiteral("SetCallback(null)"));
    }
    int ShowMessageBox(QWidget*, int, QString, QString, QString, QStringList) override { return 0xFFFF; }

private:
    void Record(const QString& call) { wizard_->Record(call); }

    bool sysClean_;
    CFakeWizard* wizard_;
    QMap<int, QWidget*> pages_;
};

IExportWidget* Build(bool sysClean, QWidget* parent, const char* counter)
{
    qApp->setProperty(counter, qApp->property(counter).toInt() + 1);
    return new CFakeExport(sysClean, parent);
}

} // namespace

extern "C" __attribute__((visibility("default"))) IExportWidget* BuildSysCleanExportWgt(QWidget* parent)
{
    return Build(true, parent, "SysCleanBuilds");
}

extern "C" __attribute__((visibility("default"))) IExportWidget* BuildLargeFileExportWgt(QWidget* parent)
{
    return Build(false, parent, "LargeFileBuilds");
}

#include "FakeSweepdeck.moc"
