#include "DisableUpdateWidget.h"

#include "RepairPageParts.h"
#include "RunCmd.h"

#include "FixPageId.h"
#include "FixPageTop.h"
#include "MessageBox.h"
#include "WaitButtonEx.h"

#include "common/SendInfo.h"

#include <QLabel>
#include <QVBoxLayout>

#include <string>

namespace {

const wchar_t* const MEDIC_SERVICE_KEY = L"SYSTEM\\CurrentControlSet\\Services\\WaaSMedicSvc";
const wchar_t* const POLICY_PARENT_KEY = L"Software\\Policies\\Microsoft\\Windows";
constexpr REGSAM WRITE_ACCESS = KEY_READ | KEY_SET_VALUE | KEY_CREATE_SUB_KEY;
constexpr DWORD SETTLE_MS = 1000;

// The values and commands of one direction.
struct UpdateSettings_ {
    DWORD medicStart;
    DWORD noAutoUpdate;
    DWORD auOptions;
    const char* commands[3];
};

const UpdateSettings_ DISABLE_SETTINGS = {
    4, 1, 1, {"sc config wuauserv start= disabled", "sc stop wuauserv", "net stop WaaSMedicSvc"}};
const UpdateSettings_ ENABLE_SETTINGS = {
    2, 0, 3, {"sc config wuauserv start= auto", "sc start wuauserv", "net start WaaSMedicSvc"}};

// An open registry key, closed when it goes out of scope.
class CRegKeyHolder {
public:
    CRegKeyHolder() = default;
    ~CRegKeyHolder()
    {
        if (m_key)
            RegCloseKey(m_key);
    }
    CRegKeyHolder(const CRegKeyHolder&) = delete;
    CRegKeyHolder& operator=(const CRegKeyHolder&) = delete;

    bool Create(HKEY parent, const wchar_t* name)
    {
        return RegCreateKeyExW(parent, name, 0, nullptr, REG_OPTION_NON_VOLATILE, WRITE_ACCESS, nullptr, &m_key,
                               nullptr) == ERROR_SUCCESS;
    }
    bool Open(HKEY parent, const wchar_t* name)
    {
        return RegOpenKeyExW(parent, name, 0, WRITE_ACCESS, &m_key) == ERROR_SUCCESS;
    }
    bool SetDword(const wchar_t* name, DWORD value)
    {
        return RegSetValueExW(m_key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value)) ==
               ERROR_SUCCESS;
    }
    HKEY Get() const { return m_key; }

private:
    HKEY m_key = nullptr;
};

QString DisableText() { return CDisableUpdateWidget::tr("Disable"); }
QString EnableText() { return CDisableUpdateWidget::tr("Enable"); }

} // namespace

CDisableUpdateWidget::CDisableUpdateWidget(QWidget* parent)
    : CFixPageBase(PAGE_WINDOWS_UPDATE, parent, 12, false, false, true, true)
{

    m_button = new CWaitButtonEx(IsUpdateServiceRunning() ? DisableText() : EnableText(), this);
    m_button->SetTask(&CDisableUpdateWidget::UpdateTask, this);

    m_top = new CFixPageTop(PAGE_WINDOWS_UPDATE, m_button.data(), this);
    m_top->SetTitle(tr("Windows Update"), tr("Easily disable/enable Windows Automatic Updates."));
    m_top->SetIcon(QStringLiteral("ico_windowsupdata_big.png"));
    QVBoxLayout* inner = MakePageLayout(this, m_top, 16);

    m_progress = FinishPageLayout(inner, this);

    connect(m_button, &CWaitButtonEx::sigPressed, this, &CDisableUpdateWidget::slotBtnPressed);
    connect(m_button, &CWaitButtonEx::sigReleased, this, &CDisableUpdateWidget::slotBtnClicked);
}

// The service manager is asked through the machine's own sc, never a program of the host's.
CDisableUpdateWidget::ServiceState CDisableUpdateWidget::QueryUpdateService()
{
    RunCmdOutcome_ outcome;
    const QString output = RunCmd("sc query wuauserv", nullptr, nullptr, outcome);
    if (output.contains(QStringLiteral("STOPPED")) || output.contains(QStringLiteral("STOP_PENDING")))
        return ServiceState::Stopped;
    if (outcome.bExited && outcome.dwExitCode == 0 && output.contains(QStringLiteral("RUNNING")))
        return ServiceState::Running;
    return ServiceState::Unknown;
}

bool CDisableUpdateWidget::IsUpdateServiceRunning() { return QueryUpdateService() != ServiceState::Stopped; }

bool CDisableUpdateWidget::SetMedicServiceStart(DWORD start)
{
    CRegKeyHolder key;
    return key.Open(HKEY_LOCAL_MACHINE, MEDIC_SERVICE_KEY) && key.SetDword(L"Start", start);
}

bool CDisableUpdateWidget::SetUpdatePolicy(DWORD noAutoUpdate, DWORD auOptions)
{
    CRegKeyHolder windows;
    CRegKeyHolder update;
    CRegKeyHolder au;
    return windows.Create(HKEY_LOCAL_MACHINE, POLICY_PARENT_KEY) && update.Create(windows.Get(), L"WindowsUpdate") &&
           au.Create(update.Get(), L"AU") && au.SetDword(L"NoAutoUpdate", noAutoUpdate) &&
           au.SetDword(L"AUOptions", auOptions);
}

void CDisableUpdateWidget::slotBtnPressed()
{
    if (!m_button)
        return;
    m_bEnable = m_button->text() == EnableText();
    if (m_progress)
        m_progress->show();
    m_button->slotStartThread(true);
}

int CDisableUpdateWidget::UpdateTask(void* data)
{
    const bool enable = static_cast<CDisableUpdateWidget*>(data)->m_bEnable;
    SendInfoEvent("WindowsUpdate", enable ? "Click_Enable" : "Click_Disable", nullptr, nullptr);
    const UpdateSettings_& settings = enable ? ENABLE_SETTINGS : DISABLE_SETTINGS;
    SetMedicServiceStart(settings.medicStart);
    SetUpdatePolicy(settings.noAutoUpdate, settings.auOptions);
    for (const char* command : settings.commands)
        RunCmd(command);
    Sleep(SETTLE_MS);
    return 0;
}

void CDisableUpdateWidget::slotBtnClicked()
{
    if (!m_button)
        return;
    const bool enable = m_bEnable;
    const ServiceState state = QueryUpdateService();
    const bool succeeded = state == (enable ? ServiceState::Running : ServiceState::Stopped);
    const std::string attribute = std::string(enable ? "{\"Enableresult\": \"" : "{\"Disableresult\": \"") +
                                  (succeeded ? "Success" : "Null") + "\"}";
    SendInfoEvent("WindowsUpdate", enable ? "Result_Enable" : "Result_Disable", attribute.c_str(), nullptr);
    QString message;
    if (succeeded) {
        message = enable ? tr("Automatic Updates have been enabled.") : tr("Automatic Updates have been disabled.");
        m_button->setText(enable ? DisableText() : EnableText());
    } else {
        message = enable ? tr("Automatic Updates could not be enabled.") : tr("Automatic Updates could not be disabled.");
    }
    if (!m_button->isEnabled())
        m_button->setEnabled(true);
    if (m_progress)
        m_progress->hide();

    ResultBoxText_ texts;
    texts.type = succeeded ? MSGBOX_RESULT : MSGBOX_ALERT;
    texts.caption = tr("Windows Update");
    texts.eventWindow = "UpdateCompleted";
    texts.title = succeeded ? tr("Operation Completed") : tr("Operation Failed");
    texts.content = message;
    m_resultBox = MakeResultBox(this, texts);
    connect(m_resultBox, &CMessageBox::sigClicked, this, &CDisableUpdateWidget::slotClicked);
    RunModalDialog(m_resultBox);
}

void CDisableUpdateWidget::slotClicked() { SendInfoEvent("UpdateCompleted", "Click_OK", nullptr, nullptr); }
