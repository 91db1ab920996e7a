#include "HomeBasePage.h"

#include "AnimtButton.h"
#include "FixPageId.h"
#include "ProgressDrawWdg.h"

#include "Paneforge/Util.h"
#include "common/SendInfo.h"
#include "common/WriteLog.h"
#include "platform/Windows.h"

#include <QFontMetrics>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include <iterator>

namespace {

struct Card {
    const char* text;
    const char* normalIcon;
    const char* hoverIcon;
    int row;
    int column;
    const char* activity;
    int pageType;
};

const Card kCards[] = {
    {QT_TRANSLATE_NOOP("CHomeBasePage", "Write Protection"), "ico_writeprotection_nomal.png",
     "ico_writeprotection_hover.png", 0, 0, "Click_WriteProtection", PAGE_WRITE_PROTECTION},
    {QT_TRANSLATE_NOOP("CHomeBasePage", "File Showing"), "ico_FileFixing_nomal.png", "ico_FileFixing_hover.png", 0, 1,
     "Click_FileFixing", PAGE_FILE_SHOWING},
    {QT_TRANSLATE_NOOP("CHomeBasePage", "Windows Update"), "ico_windowsupdate_nomal.png",
     "ico_windowsupdate_hover.png", 0, 2, "Click_WindowsUpdate", PAGE_WINDOWS_UPDATE},
    {QT_TRANSLATE_NOOP("CHomeBasePage", "System Cleanup"), "ico_SystemCleanup_nomal.png",
     "ico_SystemCleanup_hover.png", 1, 0, "Click_SystemCleanup", PAGE_SYSTEM_CLEANUP},
    {QT_TRANSLATE_NOOP("CHomeBasePage", "Large File Cleanup"), "ico_Largefile_nomla.png", "ico_Largefile_hover.png",
     1, 1, "Click_LargeFileCleanup", PAGE_LARGE_FILE_CLEANUP},
};

QString Res(const char* name)
{
    return Util::getDravielsResFullPath(QLatin1String(name));
}

} // namespace

CHomeBasePage::CHomeBasePage(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("HomeBasePage"));
    gauge_ = new CProgressDrawWdg(this);
    gauge_->setFixedSize(180, 180);
    partName_ = new QLabel(this);
    partName_->setObjectName(QStringLiteral("sysPartName"));
    partName_->setMaximumWidth(240);

    auto* left = new QVBoxLayout;
    left->setContentsMargins(32, 94, 36, 0);
    left->setSpacing(0);
    left->addWidget(gauge_, 0, Qt::AlignHCenter);
    left->addSpacing(31);
    left->addWidget(partName_, 0, Qt::AlignHCenter);
    left->addStretch();

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(36);
    grid->setVerticalSpacing(36);
    grid->setContentsMargins(0, 48, 40, 60);
    for (int id = 0; id < static_cast<int>(std::size(kCards)); ++id) {
        const Card& card = kCards[id];
        auto* button = new CAnimtButton(id, this);
        button->SetText(tr(card.text));
        button->SetImages({Res("pic_kapian.png"), Res("pic_highlights.png"), Res(card.normalIcon), Res(card.hoverIcon)});
        connect(button, SIGNAL(clicked(int)), this, SLOT(BtnClickSlot(int)));
        grid->addWidget(button, card.row, card.column);
        buttons_.append(button);
    }

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addLayout(left);
    layout->addLayout(grid);

    UpdateSysPartInfo();
}

void CHomeBasePage::BtnClickSlot(int id)
{
    if (id < 0 || id >= static_cast<int>(std::size(kCards)))
        return;
    SendInfoEvent("Home", kCards[id].activity, nullptr, nullptr);
    emit sigBtnClicked(kCards[id].pageType);
}

bool CHomeBasePage::GetSystemVolumeInfo(QString& label, quint64& total, quint64& used, QString& letter)
{
    wchar_t system[MAX_PATH] = {};
    if (GetSystemDirectoryW(system, MAX_PATH) == 0 || !system[0])
        return false;
    const std::wstring root = std::wstring(1, system[0]) + L":\\";
    ULARGE_INTEGER available {}, totalBytes {}, freeBytes {};
    if (!GetDiskFreeSpaceExW(root.c_str(), &available, &totalBytes, &freeBytes))
        return false;
    letter = label = QString(QChar(static_cast<char16_t>(system[0])));

    wchar_t volumeName[255] = {};
    wchar_t fileSystem[255] = {};
    DWORD serial = 0, longestName = 0, flags = 0;
    if (!GetVolumeInformationW(root.c_str(), volumeName, 255, &serial, &longestName, &flags, fileSystem, 255)) {
        WriteLog(L"CSysVolumnInfo  GetSystemVolumnInfo::GetVolumeInformation failed, error code =%u ",
                 static_cast<unsigned>(GetLastError()));
        return false;
    }
    QString name = QString::fromWCharArray(volumeName);
    if (name.isEmpty()) {
        SHFILEINFOW info {};
        SHGetFileInfoW(root.c_str(), 0, &info, sizeof(info), SHGFI_DISPLAYNAME);
        name = QString::fromWCharArray(info.szDisplayName);
        const int blank = name.lastIndexOf(QLatin1Char(' '));
        if (blank >= 0)
            name.truncate(blank);
    }
    label = QStringLiteral("%1(%2:)").arg(name, letter);
    total = totalBytes.QuadPart;
    used = totalBytes.QuadPart >= freeBytes.QuadPart ? totalBytes.QuadPart - freeBytes.QuadPart : 0;
    return true;
}

int CHomeBasePage::UsedPercent(quint64 total, quint64 used)
{
    const quint64 hundredth = total / 100;
    if (hundredth == 0)
        return 0;
    return static_cast<int>(qMin<quint64>(used / hundredth, 100));
}

void CHomeBasePage::UpdateSysPartInfo()
{
    QString label, letter;
    quint64 total = 0, used = 0;
    const bool sized = GetSystemVolumeInfo(label, total, used, letter);
    QFont font(QStringLiteral("Segoe UI"));
    font.setPixelSize(16);
    font.setWeight(57);
    partName_->setText(QFontMetrics(font).elidedText(label, Qt::ElideMiddle, 220));
    gauge_->SetValue(sized ? UsedPercent(total, used) : 0);
}
