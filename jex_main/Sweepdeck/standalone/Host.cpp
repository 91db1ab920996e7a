#include "Host.h"

#include "ElevatedRestart.h"
#include "HomePage.h"
#include "JunkRulesCheck.h"
#include "MainWindow.h"

#include "common/MachineTranslator.h"
#include "common/ModuleDir.h"
#include "common/OpenGlIntegration.h"
#include "common/WriteLog.h"
#include "kit/AppStyleSheet.h"
#include "kit/MsgBox.h"
#include "kit/ResPath.h"
#include "services/Language.h"
#include "services/UIPublic.h"

#include "platform/win/Errors.h"
#include "platform/win/Process.h"
#include "platform/win/Security.h"
#include "platform/win/Sync.h"
#include "platform/win/WindowManager.h"

#include <QApplication>

#include <cmath>
#include <cstdlib>
#include <memory>

namespace {

const wchar_t kInstanceName[] = L"Global\\__orvane_jex_cleanup__";
const wchar_t kQuitName[] = L"Global\\__orvane_jex_quit__";
constexpr DWORD kGenericAll = 0x10000000u;
constexpr int kElevatedPage = 1;
// The exit code of a start that found no engines to work with.
constexpr int kNoGatherersExit = 2;

HANDLE instanceMutex = nullptr;
HANDLE quitEvent = nullptr;

struct Arguments {
    QStringList words;
    bool restart = false;
    bool launch = false;
};

// What a second copy does; true when it goes on as the running copy (it ended a hidden one).
bool HandOver(const Arguments& start)
{
    const bool uninstall = start.words == QStringList{QStringLiteral("Uninstall")};
    const std::wstring title = CMainWindow::tr("System Cleanup").toStdWString();
    HWND running = FindWindowW(nullptr, title.c_str());
    if (!running) {
        if (uninstall)
            HostSignalQuit();
        return false;
    }
    if (start.launch && !IsWindowVisible(running)) {
        DWORD processId = 0;
        GetWindowThreadProcessId(running, &processId);
        if (processId == 0)
            return false;
        if (HostKillProcess(processId))
            return true;
        // A copy that cannot be ended is shown instead, so that two never run.
        HostSendCopyRequest(running, CopyShow);
        return false;
    }
    HostSendCopyRequest(running, start.launch ? CopyShow : uninstall ? CopyQuit : CopyOpen);
    return false;
}

QString Translated(const char* text) { return QCoreApplication::translate("HostMain", text); }

// Tells the user why the program cannot start without its gatherers, and the log too.
int RefuseWithoutGatherers()
{
    QString title = Translated("System Cleanup cannot start.");
    QString reason;
    if (CUIPublic::Instance()->GetDregsweep()) {
        reason = Translated("The large-file gatherer cannot be loaded.");
    } else {
        const std::wstring rules = GetModuleDir() + L"Config.xml";
        const QString problem = JunkRulesProblem(rules);
        if (!problem.isEmpty()) {
            title = Translated("The junk rules cannot be read.");
            reason = QString::fromStdWString(rules) + QLatin1Char('\n') + problem;
        } else {
            reason = Translated("The junk gatherer cannot be loaded, or its rules describe no junk.");
        }
    }
    WriteLogText((L"Sweepdeck: " + QString(title + QLatin1Char(' ') + reason).replace(QLatin1Char('\n'), QLatin1Char(' ')).toStdWString()).c_str());
    CMsgBox::ShowMsg(nullptr, CMsgBox::IconError, CMainWindow::tr("System Cleanup"), title, reason,
                     {Translated("OK")});
    return kNoGatherersExit;
}

} // namespace

HANDLE HostCreateNamedObject(const wchar_t* name, bool isEvent)
{
    // No DACL: an uninstaller started without rights still reaches a copy running with them.
    SECURITY_DESCRIPTOR descriptor {};
    SECURITY_ATTRIBUTES attributes {sizeof(attributes), &descriptor, FALSE};
    const bool everyone = InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) &&
                          SetSecurityDescriptorDacl(&descriptor, TRUE, nullptr, FALSE);
    LPSECURITY_ATTRIBUTES security = everyone ? &attributes : nullptr;
    return isEvent ? CreateEventW(security, TRUE, FALSE, name) : CreateMutexW(security, TRUE, name);
}

LRESULT HostSendCopyRequest(HWND window, CopyRequest request)
{
    BYTE byte = request;
    COPYDATASTRUCT data {0, 1, &byte};
    return SendMessageW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
}

bool HostCheckSingleInstance()
{
    HANDLE mutex = HostCreateNamedObject(kInstanceName, false);
    const DWORD error = GetLastError();
    if (mutex) {
        if (instanceMutex)
            CloseHandle(instanceMutex);
        instanceMutex = mutex;
    }
    return error == ERROR_ALREADY_EXISTS || error == ERROR_ACCESS_DENIED;
}

bool HostIsAdmin()
{
    SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
    PSID administrators = nullptr;
    if (!AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0,
                                  0, 0, &administrators))
        return false;
    BOOL member = FALSE;
    const BOOL checked = CheckTokenMembership(nullptr, administrators, &member);
    FreeSid(administrators);
    return checked && member;
}

bool HostKillProcess(unsigned processId)
{
    HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, processId);
    if (!process)
        return false;
    const bool ended = TerminateProcess(process, 0) != FALSE;
    CloseHandle(process);
    return ended;
}

bool HostLoadGatherers()
{
    CUIPublic* services = CUIPublic::Instance();
    if (!services->InitSysClean() || !services->InitLargeFile())
        return false;
    if (!services->LoadDefragPlugins())
        WriteLog(L"Sweepdeck: the volume lister or a defragmentation controller is missing\n");
    return true;
}

QString HostLoadTranslation()
{
    return QStringLiteral("ts\\sweepdeck_%1.qm").arg(QString::fromLatin1(ProductLanguage().code));
}

void HostRestartElevated() { RestartElevated(kElevatedPage); }

HANDLE HostQuitEvent() { return quitEvent; }

HANDLE HostCreateQuitEvent(bool onlyCopy)
{
    // Made afresh on each call: the event of the machine the process uses now.
    if (quitEvent)
        CloseHandle(quitEvent);
    quitEvent = HostCreateNamedObject(kQuitName, true);
    if (quitEvent && onlyCopy)
        ResetEvent(quitEvent);
    return quitEvent;
}

bool HostSignalQuit()
{
    HANDLE running = OpenEventW(kGenericAll, FALSE, kQuitName);
    if (!running)
        return false;
    SetEvent(running);
    CloseHandle(running);
    return true;
}

bool HostParseCheckArgs(const QStringList& args, int& minutes, double& thresholdMB)
{
    if (args.size() != 2)
        return false;
    bool minutesOk = false;
    bool thresholdOk = false;
    const int m = args[0].toInt(&minutesOk, 10);
    const double t = args[1].toDouble(&thresholdOk);
    if (!minutesOk || !thresholdOk || m < 0 || !std::isfinite(t) || t < 0)
        return false;
    minutes = m;
    thresholdMB = t;
    return true;
}

int HostWinMain(int argc, char** argv)
{
    TurnOffUnusedOpenGlIntegration();
    return HostMain(argc, argv);
}

int HostMain(int argc, char** argv)
{
    QApplication app(argc, argv);
    // The window and the tray decide when the program ends, not the last window closed.
    app.setQuitOnLastWindowClosed(false);
    app.setStyleSheet(ReadAppStyleSheet(GetAppDirPath()));
    Arguments start;
    for (int i = 1; i < argc; ++i)
        start.words << QString::fromLocal8Bit(argv[i]);
    start.restart = start.words.size() == 2 && start.words[0] == QLatin1String("restart");
    start.launch = start.words == QStringList{QStringLiteral("launch")};
    if (start.words.isEmpty() && !HostIsAdmin()) {
        HostRestartElevated();
        return 0;
    }
    QStringList args = start.restart || start.launch ? QStringList() : start.words;

    CMachineTranslator translator;
    if (translator.LoadFile(GetResPath(HostLoadTranslation(), QStringLiteral("res"))))
        app.installTranslator(&translator);

    const bool another = HostCheckSingleInstance();
    HostCreateQuitEvent(!another);
    if (another && !start.restart && !HandOver(start))
        return 0;

    int minutes = 0;
    double thresholdMB = 0;
    const bool checkMode = args.size() == 2;
    if (checkMode && !HostParseCheckArgs(args, minutes, thresholdMB)) {
        WriteLog(L"Sweepdeck: the background check needs minutes and megabytes, neither negative: %ls %ls\n",
                 args[0].toStdWString().c_str(), args[1].toStdWString().c_str());
        return 1;
    }
    if (!args.isEmpty() && !checkMode)
        return 0;
    if (!HostLoadGatherers())
        return RefuseWithoutGatherers();

    CMainWindow window;
    window.SetApplication(&app);
    if (checkMode) {
        const QVariant notShow = CUIPublic::GetUserSetting(QStringLiteral("notshowTip"));
        if (notShow.isValid() && notShow.toBool())
            return 1;
        window.showMinimized();
        window.hide();
        window.StartCheck(minutes, thresholdMB);
    } else {
        if (start.restart) {
            window.ShowPage(std::atoi(start.words[1].toLocal8Bit().constData()));
            HostCheckSingleInstance();
        }
        window.ShowAll();
        window.activateWindow();
    }
    if (CUIPublic::IsAutoRun())
        CUIPublic::Instance()->SetAutoRun(true, minutes, thresholdMB);
    return app.exec();
}
