#include "LFCleanPage.h"

#include "LFDiskSelScanPage.h"
#include "LFListData.h"
#include "LFListView.h"

#include "common/InfoAttribute.h"
#include "common/SendInfo.h"
#include "common/TallyrunBinding.h"
#include "common/WriteLog.h"
#include "junk/AsyncExecMember.h"
#include "HtmlText.h"
#include "kit/FuncBtn.h"
#include "kit/KitFont.h"
#include "kit/MsgBox.h"
#include "kit/NavigateBtn.h"
#include "kit/ResPath.h"
#include "kit/ResPicture.h"
#include "services/UIPublic.h"

#include <QHBoxLayout>

#include <algorithm>

namespace {

constexpr int kDeleteBtn = 0;
const char kTextColour[] = "#c6d6f0";
const char kFigureColour[] = "#ff922d";

QString Figure(const QString& text) { return HtmlText(text, kFigureColour, 16, 400); }

// What the user reads when a scan could not run.
QString ScanFailureReason(OpResult result)
{
    if ((result & 0x3FFF) == RESULT_NOT_INITIALISED)
        return CLFCleanPage::tr("The large file scanner is not available.");
    const DWORD error = ResultHigh(result);
    if (error != 0) {
        wchar_t text[512] = {};
        if (FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, text,
                           sizeof text / sizeof text[0], nullptr) != 0)
            return QString::fromWCharArray(text).trimmed();
    }
    return CLFCleanPage::tr("Error 0x%1.").arg(static_cast<qulonglong>(result), 0, 16);
}

QString EnterMessage(const CLFListData& model)
{
    const OpResult result = model.GetScanResult();
    if (IsFailure(result))
        return CLFCleanPage::tr("Scanning failed. %1").arg(ScanFailureReason(result).toHtmlEscaped());
    const bool found = model.GetCount() > 0;
    if (model.IsCancelled())
        return found ? CLFCleanPage::tr("Scanning cancelled.") : CLFCleanPage::tr("Scanning cancelled. No large files found.");
    return found ? CLFCleanPage::tr("Please only choose the file you want to permanently delete.")
                 : CLFCleanPage::tr("Scanning completed. No large files found.");
}

} // namespace

CLFCleanPage::CLFCleanPage()
    : CPage(PAGEID_LARGE_FILE_RESULT, nullptr), listView(new CLFListView), content(new QWidget(this))
{
    setFont(KitFont(font(), 12));
    // On the content alone, as the partition page has it: on the whole page the panel's ground
    // would show behind the header's texts. Given while the content, made in the page, is empty:
    // Qt styles a widget's whole tree again whenever the widget gets a sheet or a new parent.
    content->setStyleSheet(QStringLiteral("border-top-left-radius:0px;border-top-right-radius:0px;"
                                          "border-bottom-right-radius:12px;border-bottom-left-radius:12px;"
                                          "background:#20242f;"));
    InitPage();
}

QWidget* CLFCleanPage::CreateContent()
{
    auto* layout = new QHBoxLayout(content);
    layout->addWidget(listView);
    layout->setSpacing(0);
    layout->setContentsMargins(6, 0, 6, 6);
    return content;
}

QVector<CFuncBtn*> CLFCleanPage::CreateFuncBtns(Qt::Alignment*) { return {new CFuncBtn(kDeleteBtn, tr("Delete"))}; }

QVector<CNavigateBtn*> CLFCleanPage::CreateNavBtns()
{
    auto* back = new CNavigateBtn(NAVBTN_BACK, ResStatesIcon(QStringLiteral("ico_back")), tr("Back"));
    connect(back, &CNavigateBtn::clicked, this, &CLFCleanPage::BackBtnSlot);
    return {back};
}

int CLFCleanPage::GetBackPageId() { return PAGEID_LARGE_FILE_SCAN; }

void CLFCleanPage::CancelAll()
{
    if (listData)
        listData->Cancel();
}

void CLFCleanPage::OnEnter(QWidget* previousPage)
{
    EnableFuncBtn(kDeleteBtn, false);
    auto* scanPage = qobject_cast<CLFDiskSelScanPage*>(previousPage);
    if (!scanPage)
        return;
    selectedCount = 0;
    selectedSize = 0;
    CLFListData* model = scanPage->GetListData();
    listView->SetListData(model);
    if (model != listData) {
        connect(model, &CLFListData::CheckChanged, this, &CLFCleanPage::OnCheckChanged);
        listData = model;
    }
    WriteLog(L"lagre file count %ld", static_cast<long>(model->GetCount()));
    SetHeader(EnterMessage(*model));
    emit CurWindowName(QStringLiteral("ScanCompleted"));
}

void CLFCleanPage::SetHeader(const QString& message)
{
    PageTitleInfo info;
    info.iconPath = GetResPath(QStringLiteral("ico_largefile_big.png"), QStringLiteral("res"));
    info.description = HtmlText(tr("Large File Cleanup"), kTextColour, 20, 700);
    info.title = HtmlText(message, kTextColour, 16, 400);
    SetTitleInfo(info);
}

void CLFCleanPage::OnCheckChanged(int nfileInc, qint64 nSizeInc, int nfileDec, qint64 nSizeDec)
{
    selectedSize += nSizeInc;
    selectedSize -= nSizeDec;
    selectedCount += nfileInc;
    selectedCount -= nfileDec;
    const QString count = Figure(QString::number(selectedCount));
    const QString size = Figure(CUIPublic::FormatSize(static_cast<quint64>(std::max<qint64>(selectedSize, 0))));
    const QString message = selectedCount > 1 ? tr("%1 files (%2) have been selected.").arg(count, size)
                                              : tr("%1 file (%2) has been selected.").arg(count, size);
    EnableFuncBtn(kDeleteBtn, selectedCount > 0);
    SetHeader(message);
}

int CLFCleanPage::OnFuncBtn(int id)
{
    if (id == kDeleteBtn) {
        SendInfoEvent("ScanCompleted", "Click_Delete", "", "");
        DeleteSelected();
    }
    return 0;
}

void CLFCleanPage::BackBtnSlot() { SendInfoEvent("ScanCompleted", "Click_Back", "", ""); }

void CLFCleanPage::DeleteSelected()
{
    if (!listData)
        return;
    const int answer = CMsgBox::ShowMsg(this, CMsgBox::IconAlert, tr("Large File Cleanup"),
                                        tr("The selected file will be permanently deleted."),
                                        tr("Are you sure you want to delete files?"), {tr("Yes"), tr("No")});
    SendInfoEvent("DeleteWindow", answer == 0 ? "Click_OK" : answer == 1 ? "Click_Cancel" : "Click_Close", "", "");
    if (answer != 0)
        return;
    Tallyrun_SetInfoDataEx(L"Clean_Large_File_Delete", 0, 1, 0, false, L"Task_CleanOperation", 1);

    EnableFuncBtn(kDeleteBtn, false);
    ShowNavBtn(NAVBTN_BACK, false);
    listView->setEnabled(false);
    const QSet<int> rows = listData->BeginDelete();
    for (const int row : rows)
        listView->setRowHidden(row, QModelIndex(), true);
    listView->setEnabled(true);

    emit WorkStart(true);
    AsyncExecMember(listData, listData, &CLFListData::EmptyGarbage);
    emit WorkStart(false);

    int deleted = 0;
    int failed = 0;
    qint64 deletedSize = 0;
    listView->setEnabled(false);
    listData->FinishDelete(deleted, failed, deletedSize);
    listView->setEnabled(true);
    listView->reset();
    selectedCount = 0;
    selectedSize = 0;

    const QString sizeText = CUIPublic::FormatSize(static_cast<quint64>(deletedSize));
    const QString count = Figure(QString::number(deleted));
    const QString word = deleted > 1 ? tr("files") : tr("file");
    const QString message =
        failed > 0 ? tr("%1 %2 (%3) has been deleted successfully. %4 %5 failed")
                         .arg(count, word, Figure(sizeText), Figure(QString::number(failed)), failed > 1 ? tr("files") : tr("file"))
                   : tr("%1 %2 (%3) has been deleted successfully.").arg(count, word, Figure(sizeText));
    SetHeader(message);
    ShowNavBtn(NAVBTN_BACK, true);

    const QByteArray size = sizeText.toLocal8Bit();
    SendInfoEvent("DeleteCompleted", "Info_DeleteCompleted",
                  MakeInfoAttribute({{"DeleteSize", std::string_view(size.constData(), size.size())}}).c_str(), "");
    if (failed == 0)
        return;
    const int close = CMsgBox::ShowMsg(this, CMsgBox::IconAlert, tr("Large File Cleanup"),
                                       tr("Some files could not be deleted. "),
                                       tr("Please check if the files are being used by another proecess."), {tr("OK")});
    SendInfoEvent("NotDeleteWindow", close == 0 ? "Click_OK" : "Click_Close", "", "");
}
