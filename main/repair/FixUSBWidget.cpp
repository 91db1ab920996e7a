#include "FixUSBWidget.h"

#include "FileFixInfo.h"
#include "FixingDialog.h"
#include "RepairPageParts.h"
#include "RunCmd.h"

#include "CleanupExports.h"
#include "FixPageId.h"
#include "FixPageTop.h"
#include "ProcessObjects.h"
#include "MessageBox.h"
#include "WaitButtonEx.h"

#include "common/MachineFile.h"
#include "common/SendInfo.h"
#include "common/WriteLog.h"
#include "platform/Machine.h"
#include "platform/Windows.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QHBoxLayout>
#include <QLabel>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

namespace {

constexpr int NO_QUESTION = 10086;
constexpr int ANSWER_CANCEL = 0;
constexpr int ANSWER_EXECUTE = 1;
constexpr int CHKDSK_MIN_OUTPUT = 200;
// chkdsk's exit codes 0 (no problems) and 1 (problems fixed) mean the check did its work.
constexpr DWORD CHKDSK_LAST_GOOD_EXIT = 1;
constexpr uint32_t WHOLE_SECONDS_FROM_MS = 999;

QString PageTitle() { return CFixUSBWidget::tr("File Showing"); }
QString PageDescription()
{
    return CFixUSBWidget::tr("Quickly recover files that cannot be shown on local disk, USB drive or SD card.");
}

bool ExitedWithAtMost(const RunCmdOutcome_& outcome, DWORD highestGoodCode)
{
    return outcome.bStarted && outcome.bExited && outcome.dwExitCode <= highestGoodCode;
}

// Replaces the log with the output in one step, in the text's local encoding as a text stream
// writes it. The temporary folder is the user's: whatever stands at the log's name is replaced,
// never written through.
void WriteChkDskLog(const QString& output)
{
    const QString path = CFixUSBWidget::ChkDskLogPath();
    if (path.isEmpty() || !machine_file::ReplaceWhole(path, output.toLocal8Bit()))
        WriteLogA("the chkdsk log is not written (error %u)", static_cast<unsigned>(GetLastError()));
}

} // namespace

CFixUSBWidget::CFixUSBWidget(QWidget* parent) : CFixPageBase(PAGE_FILE_SHOWING, parent, 12, false, false, true, true)
{

    m_button = new CWaitButtonEx(tr("Execute"), this);
    m_top = new CFixPageTop(PAGE_FILE_SHOWING, m_button.data(), this);
    m_top->SetTitle(PageTitle(), PageDescription());
    m_top->SetIcon(QStringLiteral("ico_fixing_big.png"));
    QVBoxLayout* inner = MakePageLayout(this, m_top, 24);

    inner->addWidget(MakeFormattedLabel(tr("Choose drive:"), QStringLiteral("#c6d6f0"), 14, this));
    inner->addSpacing(11);
    m_combo = MakeDriveCombo(this);
    inner->addWidget(m_combo);
    inner->addSpacing(190);
    m_showHidden = new QCheckBox(tr("Show hidden files."), this);
    m_showHidden->setChecked(true);
    m_showHidden->hide();
    inner->addWidget(m_showHidden);

    auto* fixRow = new QHBoxLayout();
    fixRow->setContentsMargins(0, 0, 0, 0);
    fixRow->setSpacing(0);
    m_checkFix = new QCheckBox(tr("Check and fix file system error"), this);
    fixRow->addWidget(m_checkFix);
    fixRow->addSpacing(11);
    fixRow->addWidget(new CFileFixInfo(this), 0, Qt::AlignBottom);
    fixRow->addStretch();
    inner->addLayout(fixRow);
    inner->addSpacing(12);

    m_description = MakeFormattedLabel(tr("Check file system error and automatically fix file."),
                                       QStringLiteral("#6f788b"), 12, this);
    m_description->setEnabled(false);
    m_description->hide();
    inner->addWidget(m_description);
    m_progress = FinishPageLayout(inner, this);

    connect(m_showHidden, &QCheckBox::toggled, this, &CFixUSBWidget::slotCheckBoxToggled);
    connect(m_checkFix, &QCheckBox::toggled, this, &CFixUSBWidget::slotCheckBoxToggled);
    connect(m_button, &CWaitButtonEx::sigPressed, this, &CFixUSBWidget::slotBtnPressed);
    connect(this, &CFixUSBWidget::sigCmdLineMsg, this, &CFixUSBWidget::slotShowCmdLineMsg);
    QTimer::singleShot(1, this, &CFixUSBWidget::slotInitDriverInfo);
}

QString CFixUSBWidget::ChkDskLogPath()
{
    wchar_t folder[1024] = {};
    const DWORD length = GetTempPathW(1024, folder);
    if (length == 0 || length >= 1024) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return QString();
    }
    return QString::fromWCharArray(folder, static_cast<int>(length)) + g_fileShowingTextName;
}

void CFixUSBWidget::UpdateCombox()
{
    if (!m_combo)
        return;
    m_combo->clear();
    WriteLogA("UpdateCombox");
    slotInitDriverInfo();
}

void CFixUSBWidget::slotInitDriverInfo()
{
    WriteLogA("slotInitDriverInfo");
    if (!m_combo)
        return;
    const QList<S_DRIVE_INFO> drives = CGetDriverInfo::GetInstance()->GetDriverList(false);
    WriteLogA("listDriveInfo size%d", drives.size());
    int added = 0;
    for (const S_DRIVE_INFO& drive : drives) {
        WriteLogA("%sis System :%d", drive.strDriver.toLocal8Bit().constData(), drive.bSystem ? 1 : 0);
        if (drive.bSystem)
            continue;
        m_combo->addItem(DriveEntryText(drive));
        ++added;
    }
    if (!m_bBusy && m_button)
        m_button->setEnabled(added > 0);
}

void CFixUSBWidget::slotCheckBoxToggled(bool)
{
    if (!m_button)
        return;
    const bool hasDrive = !m_combo || m_combo->count() > 0;
    const bool hasOption = (m_showHidden && m_showHidden->isChecked()) || (m_checkFix && m_checkFix->isChecked());
    m_button->setEnabled(hasDrive && hasOption);
}

void CFixUSBWidget::slotBtnPressed()
{
    m_bBusy = true;
    int answer = NO_QUESTION;
    IExportWidget* cleanup = GetSysCleanExport();
    if (m_checkFix && m_checkFix->isChecked() && cleanup)
        answer = cleanup->ShowMessageBox(this, 1, tr("File Fixing"),
                                         tr("It will take some time to fix the file system, please be patient."),
                                         QString(), QStringList {tr("Cancel"), tr("Execute")});
    if (answer == NO_QUESTION || answer == ANSWER_EXECUTE) {
        m_strRunDrive = m_combo ? m_combo->currentText() : QString();
        m_bRunShowHidden = m_showHidden && m_showHidden->isChecked();
        m_bRunCheckFix = m_checkFix && m_checkFix->isChecked();
        m_bSucceeded = false;
        CFixingDialog dialog(this);
        dialog.MoveAbove(mapToGlobal(QPoint(0, 0)), width());
        dialog.Start(&CFixUSBWidget::FixTask, this);
        slotBtnClicked();
    }
    const char* activity = answer == ANSWER_CANCEL ? "Click_Cancel" : answer == ANSWER_EXECUTE ? "Click_Execute" : "Click_Close";
    SendInfoEvent("FileFixingConfirm", activity, nullptr, nullptr);
    if (answer == ANSWER_CANCEL && m_checkFix)
        m_checkFix->setChecked(false);
    if (m_button)
        m_button->setEnabled(true);
    m_bBusy = false;
}

int CFixUSBWidget::FixTask(void* data)
{
    auto* page = static_cast<CFixUSBWidget*>(data);
    SendInfoEvent("FileFixing", "Click_Execute", nullptr, nullptr);
    const DWORD start = GetTickCount();
    bool foundDrive = false;
    page->m_bSucceeded = page->RunFix(foundDrive);
    if (!foundDrive)
        return 0;
    const uint32_t elapsed = static_cast<uint32_t>(GetTickCount() - start);
    SendInfoEvent("FileFixing", "Result_Execute", page->ResultAttribute(page->m_bSucceeded, elapsed).c_str(), nullptr);
    return 0;
}

// Every step that runs must succeed: chkdsk when it ended by itself with a good code and said
// enough, attrib when it started, ended with 0 and printed no complaint.
bool CFixUSBWidget::RunFix(bool& foundDrive)
{
    S_DRIVE_INFO drive;
    foundDrive = FindDriveByText(m_strRunDrive, drive, true);
    if (!foundDrive)
        return false;
    bool succeeded = m_bRunCheckFix || m_bRunShowHidden;
    if (m_bRunCheckFix) {
        RunCmdOutcome_ outcome;
        const QByteArray command = QStringLiteral("chkdsk.exe %1 /f /r /x").arg(drive.strDriver).toLocal8Bit();
        const QString output = RunCmd(command.constData(), &CFixUSBWidget::OnChkDskLine, this, outcome);
        WriteChkDskLog(output);
        succeeded = succeeded && output.size() > CHKDSK_MIN_OUTPUT && ExitedWithAtMost(outcome, CHKDSK_LAST_GOOD_EXIT);
    }
    if (m_bRunShowHidden) {
        RunCmdOutcome_ outcome;
        const QByteArray command = QStringLiteral("attrib.exe -h -r -s /s /d %1\\*.*").arg(drive.strDriver).toLocal8Bit();
        const QString output = RunCmd(command.constData(), nullptr, nullptr, outcome);
        succeeded = succeeded && output.isEmpty() && ExitedWithAtMost(outcome, 0);
    }
    return succeeded;
}

void CFixUSBWidget::OnChkDskLine(void* context, const QVariant& line)
{
    emit static_cast<CFixUSBWidget*>(context)->sigCmdLineMsg(line.toString().trimmed());
}

std::string CFixUSBWidget::ResultAttribute(bool succeeded, uint32_t elapsedMs) const
{
    std::string attribute = succeeded ? "{\"Executeresult\": \"Success\"," : "{\"Executeresult\": \"Fail\",";
    attribute += "\"ExecuteTime\":\"";
    if (elapsedMs > WHOLE_SECONDS_FROM_MS)
        attribute += std::to_string(elapsedMs / 1000) + "\",";
    else
        attribute += std::to_string(elapsedMs) + "ms\",";
    if (m_showHidden)
        attribute += m_bRunShowHidden ? "\"ShowHiddenfiles\": \"On\"," : "\"ShowHiddenfiles\": \"Off\",";
    if (m_checkFix)
        attribute += m_bRunCheckFix ? "\"CheckandFix\": \"On\"" : "\"CheckandFix\": \"Off\"";
    return attribute + "}";
}

void CFixUSBWidget::slotBtnClicked()
{
    if (m_progress)
        m_progress->hide();
    if (m_top)
        m_top->SetTitle(PageTitle(), PageDescription());
    if (m_button && !m_button->isEnabled())
        m_button->setEnabled(true);

    ResultBoxText_ texts;
    texts.type = MSGBOX_RESULT_VIEW;
    texts.caption = PageTitle();
    texts.eventWindow = "FixingCompleted";
    texts.title = m_bSucceeded ? tr("Operation Completed") : tr("Operation Failed");
    texts.content = m_bSucceeded ? tr("Please click the button below to view.")
                                : tr("Some files or the file system could not be fixed. Please click the button below to view.");
    texts.showFixLog = m_checkFix && m_checkFix->isChecked();
    m_resultBox = MakeResultBox(this, texts);
    connect(m_resultBox, &CMessageBox::sigClicked, this, &CFixUSBWidget::slotView);
    connect(m_resultBox, &CMessageBox::sigView1Clicked, this, &CFixUSBWidget::slotViewChkDskLog);
    RunModalDialog(m_resultBox);
}

void CFixUSBWidget::slotView()
{
    SendInfoEvent("FixingCompleted", "Click_View", nullptr, nullptr);
    if (m_combo)
        OpenDriveOfEntry(m_combo->currentText());
}

// The viewer is another program: it is handed the log's host name, which names nothing when the
// log's folder leads out of the machine.
void CFixUSBWidget::slotViewChkDskLog()
{
    const std::string log = platform::HostPath(ChkDskLogPath().toStdWString());
    if (log.empty()) {
        WriteLogA("the chkdsk log is not shown: its name leads out of the machine");
        return;
    }
    QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(log)));
}

void CFixUSBWidget::slotShowCmdLineMsg(const QString& text)
{
    if (m_top)
        m_top->SetTitle(PageTitle(), text);
}
