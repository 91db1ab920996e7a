#include "HomePage.h"

#include "SettingsDlg.h"

#include "common/ModuleDir.h"
#include "common/TallyrunBinding.h"
#include "kit/FuncBtn.h"
#include "kit/HomeLargeBtn.h"
#include "kit/KitFont.h"
#include "kit/ResPath.h"
#include "outside/Tallyrun/TallyrunApi.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace {

enum Entry { Junk = 0, LargeFiles = 1, DiskOptimization = 2 };

struct EntryInfo {
    const char* caption;
    const char* image;
    int statisticId;
    int pageId;
    const char* description;
};

const EntryInfo kEntries[] = {
    {QT_TRANSLATE_NOOP("CHomePage", "Junk File Cleanup"), "icon_garbage.png", 0x11002, PAGEID_JUNK_SCAN,
     QT_TRANSLATE_NOOP("CHomePage", "Delete junk files to save disk space and improve your computer performance.")},
    {QT_TRANSLATE_NOOP("CHomePage", "Large File Cleanup"), "icon_large_files.png", 0x11005, PAGEID_LARGE_FILE_SCAN,
     QT_TRANSLATE_NOOP("CHomePage", "Locate large files on your hard disk and delete/move them.")},
    {QT_TRANSLATE_NOOP("CHomePage", "Disk Optimization"), "icon_disk_optimization.png", 0x11007, PAGEID_DISK_OPT,
     QT_TRANSLATE_NOOP("CHomePage", "Optimize your hard disk to improve the disk performance.")},
};

constexpr int kSettingsBtn = 0;
constexpr int kButtonSize = 180;
const wchar_t kCategory[] = L"Task_CleanOperation";

} // namespace

QString GetAppDirPath()
{
    const std::wstring folder = GetModuleDir();
    return QString::fromStdWString(folder.empty() ? folder : folder.substr(0, folder.size() - 1));
}

CHomePage::CHomePage() : CPage(PAGEID_HOME, nullptr)
{
    InitPage();
    PageTitleInfo info;
    info.iconPath = GetResPath(QStringLiteral("icon_clean.png"), QStringLiteral("res"));
    info.title = tr("Welcome to Cleanup and Optimization");
    info.height = 50;
    info.margins.setBottom(0);
    SetTitleInfo(info);
    const ULONGLONG handle = Tallyrun_BeginAction();
    Tallyrun_AddHandle(kCategory, static_cast<DWORD>(handle), static_cast<DWORD>(handle >> 32), kCategory);
}

CHomePage::~CHomePage()
{
    if (IsShown() && !operated)
        Tallyrun_SetInfoData(L"Clean_Home_NoOperation", 0, 0, 0, false, kCategory);
    if (ISmartSpy* spy = Tallyrun_GetSmartSpy()) {
        try {
            spy->Close();
        } catch (...) {
            // The reporter's failures never reach the user.
        }
    }
}

bool CHomePage::IsStartPage() { return true; }

QWidget* CHomePage::CreateContent()
{
    auto* content = new QWidget;
    auto* column = new QVBoxLayout(content);
    column->addStretch();
    auto* row = new QHBoxLayout;
    using Slot = void (CHomePage::*)();
    const Slot entrySlots[] = {&CHomePage::onGarbage, &CHomePage::onLargeFile, &CHomePage::onDiskOptimization};
    for (int i = 0; i < 3; ++i) {
        auto* button = new CHomeLargeBtn(tr(kEntries[i].caption),
                                         GetResPath(QString::fromLatin1(kEntries[i].image), QStringLiteral("res")));
        button->setFixedSize(kButtonSize, kButtonSize);
        connect(button, &CHomeLargeBtn::clicked, this, entrySlots[i]);
        connect(button, &CHomeLargeBtn::sigEnterEvent, this, &CHomePage::onBtnEnter);
        connect(button, &CHomeLargeBtn::sigLeaveEvent, this, &CHomePage::onBtnLeave);
        row->addWidget(button);
        buttons[i] = button;
    }
    column->addLayout(row);
    column->addSpacing(40);
    description = new QLabel;
    QFont font = description->font();
    font.setFamily(KitFontFamily());
    font.setPixelSize(15);
    description->setFont(font);
    description->setAlignment(Qt::AlignHCenter);
    description->setWordWrap(true);
    description->setFixedHeight(45);
    // On the window's white, in the grey of the large buttons' captions.
    description->setStyleSheet(QStringLiteral("color:#666666;"));
    column->addWidget(description);
    column->addStretch();
    return content;
}

QVector<CFuncBtn*> CHomePage::CreateFuncBtns(Qt::Alignment* align)
{
    if (align)
        *align = Qt::AlignRight | Qt::AlignVCenter;
    return {new CFuncBtn(kSettingsBtn, tr("Settings"))};
}

QVector<CNavigateBtn*> CHomePage::CreateNavBtns() { return {}; }

int CHomePage::OnFuncBtn(int id)
{
    if (id == kSettingsBtn) {
        CSettingsDlg dialog(tr("Settings"), this);
        dialog.Exec();
    }
    return 0;
}

CHomeLargeBtn* CHomePage::ToolButton(int entry) const { return entry >= 0 && entry < 3 ? buttons[entry] : nullptr; }

void CHomePage::onGarbage() { Choose(Junk); }

void CHomePage::onLargeFile() { Choose(LargeFiles); }

void CHomePage::onDiskOptimization() { Choose(DiskOptimization); }

void CHomePage::Choose(int entry)
{
    operated = true;
    if (ISmartSpy* spy = Tallyrun_GetSmartSpy()) {
        try {
            spy->CountEvent(kEntries[entry].statisticId);
        } catch (...) {
            // As above: counting is best effort.
        }
    }
    emit navigate(kEntries[entry].pageId);
}

void CHomePage::onBtnEnter(QEvent*)
{
    if (!description)
        return;
    for (int i = 0; i < 3; ++i)
        if (sender() == buttons[i]) {
            description->setText(tr(kEntries[i].description));
            return;
        }
    description->clear();
}

void CHomePage::onBtnLeave(QEvent*)
{
    if (description)
        description->clear();
}
