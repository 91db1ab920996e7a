#include "RepairPageParts.h"

#include "FixPageTop.h"
#include "Language.h"
#include "MessageBox.h"

#include "Paneforge/Util.h"
#include "platform/Windows.h"

#include <QComboBox>
#include <QLabel>
#include <QListView>
#include <QVBoxLayout>

namespace {

constexpr int DRIVE_COMBO_WIDTH = 600;
constexpr int RESULT_BOX_TITLE_STYLE = 4;
constexpr int RESULT_BOX_OFFSET_X = 80;

std::function<int(QDialog*)>& ModalRunner()
{
    static std::function<int(QDialog*)> runner;
    return runner;
}

} // namespace

QString DriveEntryText(const S_DRIVE_INFO& drive)
{
    return QStringLiteral("%1 (%2)").arg(drive.strVolumeName, drive.strDriver);
}

bool FindDriveByText(const QString& text, S_DRIVE_INFO& drive, bool lastMatch)
{
    bool found = false;
    for (const S_DRIVE_INFO& candidate : CGetDriverInfo::GetInstance()->GetDriverList(false)) {
        if (DriveEntryText(candidate) != text)
            continue;
        drive = candidate;
        found = true;
        if (!lastMatch)
            break;
    }
    return found;
}

void OpenDriveOfEntry(const QString& text)
{
    S_DRIVE_INFO drive;
    if (FindDriveByText(text, drive))
        ShellExecuteA(nullptr, "Open", drive.strDriver.toLocal8Bit().constData(), nullptr, nullptr, SW_SHOWNORMAL);
}

QComboBox* MakeDriveCombo(QWidget* parent)
{
    auto* combo = new QComboBox(parent);
    combo->setFixedWidth(DRIVE_COMBO_WIDTH);
    combo->setView(new QListView(combo));
    return combo;
}

QLabel* MakeFormattedLabel(const QString& text, const QString& color, int size, QWidget* parent)
{
    auto* label = new QLabel(Util::GetFormatString(text, GetLangFontFamily(FONT_NORMAL), color, size, 400), parent);
    label->setWordWrap(true);
    return label;
}

QVBoxLayout* MakePageLayout(QWidget* page, CFixPageTop* top, int gap)
{
    auto* outer = new QVBoxLayout(page);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    auto* column = new QVBoxLayout();
    column->setContentsMargins(40, 0, 0, 0);
    column->setSpacing(0);
    outer->addWidget(top);
    outer->addSpacing(gap);
    outer->addLayout(column);
    return column;
}

QLabel* FinishPageLayout(QVBoxLayout* column, QWidget* page)
{
    QLabel* label = MakeFormattedLabel(QObject::tr("Operation is in progress. Please wait a moment..."),
                                       QStringLiteral("#1be1d0"), 12, page);
    label->hide();
    column->addWidget(label);
    column->addStretch();
    return label;
}

CMessageBox* MakeResultBox(QWidget* page, const ResultBoxText_& texts)
{
    auto* box = new CMessageBox(texts.type, page, QString(), texts.caption, RESULT_BOX_TITLE_STYLE);
    box->SetEventWindow(texts.eventWindow);
    box->SetText(texts.title, texts.content);
    box->ShowFixLogButton(texts.showFixLog);
    box->move(page->mapToGlobal(QPoint(0, 0)) + QPoint(RESULT_BOX_OFFSET_X, 0));
    return box;
}

int RunModalDialog(QDialog* dialog)
{
    if (ModalRunner())
        return ModalRunner()(dialog);
    return dialog->exec();
}

void SetModalDialogRunner(std::function<int(QDialog*)> runner) { ModalRunner() = std::move(runner); }
