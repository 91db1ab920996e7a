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
#include "common/MachineFile.h"
#include "common/MachinePicture.h"
#include "common/MachineTranslator.h"
#include "common/SendInfo.h"
#include "common/WriteLog.h"
#include "platform/Machine.h"
#include "platform/Windows.h"

#include <QApplication>
#include <QIcon>
#include <QScreen>

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
    auto* translator = new CMachineTranslator(&app);
    if (!translator->LoadFile(Util::getDravielsResFullPath(QStringLiteral("draviels_en.qm")))) {
        delete translator;
        return;
    }
    app.installTranslator(translator);
}

void ApplyProgramStyle(QApplication& app)
{
    QString style = QLatin1String(kBuiltinStyle);
    QByteArray sheet;
    if (machine_file::ReadWhole(Util::getDravielsResFullPath(QStringLiteral("StyleSheet.css")),
                                machine_file::kLargestStyleSheet, sheet))
        style += QString::fromUtf8(sheet);
    app.setStyleSheet(style);
}

int QuarnelMain(int argc, char** argv)
{
    const std::wstring programFolder = GetProgramFolder();
    WaitWhileStartupLocked(programFolder);
    CoInitialize(nullptr);
    ApplyScaleFactor();
    SetCurrentDirectoryW(programFolder.c_str());
    // Qt looks for its plug-ins by host path; the program folder is the layer's own place, not a name
    // of the machine's user.
    QCoreApplication::addLibraryPath(QString::fromStdString(platform::ProgramFolder()));
    CKyCrush crashFilter;
    crashFilter.Install();

    QApplication app(argc, argv);
    InstallTranslation(app);
    ApplyProgramStyle(app);
    app.setWindowIcon(ReadIcon(QStringLiteral("./res/icon.ico")));

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
