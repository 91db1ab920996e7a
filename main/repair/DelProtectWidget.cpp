#include "DelProtectWidget.h"

#include "RepairPageParts.h"
#include "RunCmd.h"

#include "FixPageId.h"
#include "FixPageTop.h"
#include "MessageBox.h"
#include "WaitButtonEx.h"

#include "common/SendInfo.h"
#include "platform/Windows.h"

#include <QComboBox>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

#include <atomic>
#include <cstdio>

namespace {

const wchar_t* const SCRIPT_FILE = L"./change_attrib.txt";
const char* const PROBE_TEXT = "Try to write";
constexpr DWORD PROBE_LENGTH = 12;
constexpr int PROBE_ATTEMPTS = 16;

std::atomic<unsigned> g_probeCounter {0};

QString DisableText() { return CDelProtectWidget::tr("Disable"); }
QString EnableText() { return CDelProtectWidget::tr("Enable"); }

// Writes the two-line script in the local 8-bit encoding with Windows line ends; false when the
// file cannot be written.
bool WriteScript(const S_DRIVE_INFO& drive, bool clear)
{
    const QByteArray script = QStringLiteral("select disk %1\r\nattributes disk %2 readonly")
                                  .arg(drive.iDiskNo)
                                  .arg(clear ? QStringLiteral("clear") : QStringLiteral("set"))
                                  .toLocal8Bit();
    FILE* file = _wfopen(SCRIPT_FILE, L"wb");
    if (!file)
        return false;
    const bool written = std::fwrite(script.constData(), 1, script.size(), file) == static_cast<size_t>(script.size());
    return std::fclose(file) == 0 && written;
}

} // namespace

CDelProtectWidget::CDelProtectWidget(QWidget* parent) : CFixPageBase(PAGE_WRITE_PROTECTION, parent, 12, false, false, true, true)
{

    m_button = new CWaitButtonEx(DisableText(), this);
    m_button->SetTask(&CDelProtectWidget::WriteProtectionTask, this);

    m_top = new CFixPageTop(PAGE_WRITE_PROTECTION, m_button.data(), this);
    m_top->SetButtonText(DisableText());
    m_top->SetTitle(tr("Write Protection"), tr("Safely disable/enable Write Protection."));
    m_top->SetIcon(QStringLiteral("ico_writeprotection_big.png"));
    QVBoxLayout* inner = MakePageLayout(this, m_top, 24);

    inner->addWidget(MakeFormattedLabel(tr("Please make sure \"Switch\" on USB drive or SD card is disabled."),
                                        QStringLiteral("#c6d6f0"), 14, this));
    inner->addSpacing(8);
    inner->addWidget(MakeFormattedLabel(tr("Choose drive:"), QStringLiteral("#c6d6f0"), 14, this));
    inner->addSpacing(8);
    m_combo = MakeDriveCombo(this);
    inner->addWidget(m_combo);
    inner->addSpacing(16);
    m_progress = FinishPageLayout(inner, this);

    connect(m_combo, &QComboBox::currentTextChanged, this, &CDelProtectWidget::slotComboxChanged);
    connect(m_button, &CWaitButtonEx::sigReleased, this, &CDelProtectWidget::slotBtnClicked);
    connect(m_button, &CWaitButtonEx::sigPressed, this, &CDelProtectWidget::slotBtnPressed);
    QTimer::singleShot(1, this, &CDelProtectWidget::slotInitDriverInfo);
}

void CDelProtectWidget::UpdateCombox()
{
    if (!m_combo)
        return;
    m_combo->clear();
    slotInitDriverInfo();
}

bool CDelProtectWidget::IsDriveWritable(const QString& driver)
{
    for (int attempt = 0; attempt < PROBE_ATTEMPTS; ++attempt) {
        const std::wstring probe = QStringLiteral("%1\\~quarnel-write-test-%2-%3.tmp")
                                       .arg(driver)
                                       .arg(GetCurrentProcessId())
                                       .arg(g_probeCounter.fetch_add(1))
                                       .toStdWString();
        HANDLE file = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            if (GetLastError() == ERROR_FILE_EXISTS || GetLastError() == ERROR_ALREADY_EXISTS)
                continue;
            return false;
        }
        DWORD written = 0;
        const BOOL wrote = WriteFile(file, PROBE_TEXT, PROBE_LENGTH, &written, nullptr);
        CloseHandle(file);
        DeleteFileW(probe.c_str());
        return wrote && written > 0;
    }
    return false;
}

void CDelProtectWidget::slotInitDriverInfo()
{
    if (!m_combo || !m_button)
        return;
    int added = 0;
    for (const S_DRIVE_INFO& drive : CGetDriverInfo::GetInstance()->GetDriverList(false)) {
        if (drive.bInternal)
            continue;
        m_combo->addItem(DriveEntryText(drive));
        ++added;
    }
    m_button->setEnabled(added > 0);
}

void CDelProtectWidget::slotComboxChanged(const QString& text)
{
    S_DRIVE_INFO drive;
    if (!m_button || !FindDriveByText(text, drive))
        return;
    m_button->setText(IsDriveWritable(drive.strDriver) ? EnableText() : DisableText());
}

void CDelProtectWidget::slotBtnPressed()
{
    if (!m_button || !m_combo)
        return;
    m_bClear = m_button->text() == DisableText();
    m_strRunDrive = m_combo->currentText();
    m_bSucceeded = false;
    if (m_progress)
        m_progress->show();
    m_button->slotStartThread(true);
}

int CDelProtectWidget::WriteProtectionTask(void* data)
{
    auto* page = static_cast<CDelProtectWidget*>(data);
    SendInfoEvent("WriteProtection", page->m_bClear ? "Click_Disable" : "Click_Enable", nullptr, nullptr);
    page->m_bSucceeded = page->ChangeReadOnly();
    const char* result = page->m_bSucceeded ? "Success" : "Fail";
    const std::string attribute = page->m_bClear ? std::string("{\"Disableresult\": \"") + result + "\"}"
                                                 : std::string("{\"Enableresult\": \"") + result + "\"}";
    SendInfoEvent("WriteProtection", page->m_bClear ? "Result_Disable" : "Result_Enable", attribute.c_str(), nullptr);
    return 0;
}

// Runs diskpart on the script; the change counts only when diskpart ended by itself with 0 and
// said that it changed the attribute.
bool CDelProtectWidget::ChangeReadOnly()
{
    S_DRIVE_INFO drive;
    if (!FindDriveByText(m_strRunDrive, drive) || drive.iDiskNo < 0)
        return false;
    if (!WriteScript(drive, m_bClear)) {
        DeleteFileW(SCRIPT_FILE);
        return false;
    }
    RunCmdOutcome_ outcome;
    const QString output = RunCmd("diskpart.exe /s change_attrib.txt", nullptr, nullptr, outcome);
    DeleteFileW(SCRIPT_FILE);
    const QString confirmation = m_bClear ? QStringLiteral("Disk attributes cleared successfully.")
                                          : QStringLiteral("Disk attributes set successfully.");
    return outcome.bStarted && outcome.bExited && outcome.dwExitCode == 0 && output.contains(confirmation);
}

void CDelProtectWidget::slotBtnClicked()
{
    if (!m_button)
        return;
    if (m_bSucceeded)
        m_button->setText(m_button->text() == DisableText() ? EnableText() : DisableText());
    if (!m_button->isEnabled())
        m_button->setEnabled(true);
    if (m_progress)
        m_progress->hide();

    ResultBoxText_ texts;
    texts.caption = tr("Write Protection");
    texts.eventWindow = "WriteCompleted";
    if (m_bSucceeded) {
        texts.type = MSGBOX_RESULT_VIEW;
        texts.title = tr("Operation Completed");
        texts.content = tr("Please click the button below to view.");
    } else {
        texts.type = MSGBOX_ALERT;
        texts.title = tr("Operation Failed");
        texts.content = tr("Write Protection could not be changed. Please check the drive and try again.");
    }
    m_resultBox = MakeResultBox(this, texts);
    if (m_bSucceeded)
        connect(m_resultBox, &CMessageBox::sigClicked, this, &CDelProtectWidget::slotView);
    RunModalDialog(m_resultBox);
}

void CDelProtectWidget::slotView()
{
    SendInfoEvent("WriteCompleted", "Click_View", nullptr, nullptr);
    if (m_combo)
        OpenDriveOfEntry(m_combo->currentText());
}
