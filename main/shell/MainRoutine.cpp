#include "MainRoutine.h"

#include "AdminCheck.h"
#include "FixFrameBase.h"
#include "FixPageId.h"
#include "KyCrush.h"
#include "MessageBox.h"
#include "StagedUpdate.h"
#include "StartupGuards.h"

#include "ShutDownFilter.h"

#include "Paneforge/Util.h"
#include "common/SendInfo.h"
#include "common/WriteLog.h"
#include "platform/Machine.h"
#include "platform/Windows.h"

#include <QApplication>
#include <QFile>
#include <QIcon>
#include <QScreen>
#include <QTranslator>

#include <memory>

namespace {

const wchar_t kInstanceMutex[] = L"Global\\ORVANE Draviels 1.0";
const char kBuiltinStyle[] = "*{font-size:14px;font-family:\"Segoe UI\";}\r\n";

int RefuseWithoutRights()
{
    CMessageBox box(MSGBOX_LOGO, nullptr, QString(), QString(), 3);
    box.SetText(QCoreApplication::translate("QuarnelMain", "You must run with administrator privileges."), QString());
    box.exec();
    WriteLogA("not admin and not autostart quit");
    return -2;
}

void CentreOnScreen(CFixFrameBase& frame)
{
    const QScreen* screen = frame.screen();
    if (!screen)
        return;
    int width = 800;
    int height = 472;
    if (const QWidget* page = frame.GetPage()) {
        width = page->width();
        height = page->height();
    } else if (const QWidget* title = frame.GetTitleBar()) {
        width = title->width();
    }
    const QRect area = screen->geometry();
    frame.move((area.width() - width) / 2, (area.height() - height) / 2);
}

} // namespace

void InstallTranslation(QApplication& app)
{
    const QString file = Util::getDravielsResFullPath(QStringLiteral("draviels_en.qm"));
    if (!QFile::exists(file))
        return;
    auto* translator = new QTranslator(&app);
    translator->load(file, QString(), QString(), QString());
    app.installTranslator(translator);
}

void ApplyProgramStyle(QApplication& app)
{
    QString style = QLatin1String(kBuiltinStyle);
    QFile sheet(Util::getDravielsResFullPath(QStringLiteral("StyleSheet.css")));
    if (sheet.open(QIODevice::ReadOnly | QIODevice::Text))
        style += QString::fromUtf8(sheet.readAll());
    app.setStyleSheet(style);
}

int QuarnelMain(int argc, char** argv)
{
    const std::wstring programFolder = GetProgramFolder();
    WaitWhileStartupLocked(programFolder);
    CoInitialize(nullptr);
    ApplyScaleFactor();
    SetCurrentDirectoryW(programFolder.c_str());
    QCoreApplication::addLibraryPath(QString::fromStdString(platform::HostPath(programFolder)));
    CKyCrush crashFilter;
    crashFilter.Install();

    QApplication app(argc, argv);
    InstallTranslation(app);
    ApplyProgramStyle(app);
    app.setWindowIcon(QIcon(QStringLiteral("./res/icon.ico")));

    const SStartupWords words = ReadStartupWords(argc, argv);
    if (words.autostart)
        SendInfoEvent("Home", "Info_Start", nullptr, "Launch_Trigger");

    // A second start only ends: nothing in the program asks the running copy to come forward.
    if (IsInstanceRunning(kInstanceMutex)) {
        WriteLogA("quarnel exist quit");
        return -1;
    }
    FinishStagedUpdate(programFolder);
    if (!words.autostart && !IsRunAsAdmin())
        return RefuseWithoutRights();

    CShutDownFilter shutDownFilter;
    auto frame = std::make_unique<CFixFrameBase>(PAGE_HOME, nullptr);
    app.installNativeEventFilter(&shutDownFilter);
    CentreOnScreen(*frame);
    frame->StartMonitor(words.autostart, words.autoscan);
    frame->ShowMain(words.autostart);
    const int result = app.exec();
    WriteLogA("**************************************************************");
    frame.reset();
    return result;
}
