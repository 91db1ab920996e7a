#include "FixTitleBase.h"

#include "DrawPushButton.h"
#include "FixPageId.h"
#include "Language.h"
#include "MessageBox.h"
#include "MsgCenter.h"
#include "ProcessObjects.h"
#include "UpdateCheck.h"

#include "Paneforge/BPMenu.h"
#include "Paneforge/RoundedRectBase.h"
#include "Paneforge/Util.h"
#include "common/MachinePicture.h"
#include "common/SendInfo.h"
#include "common/VisibleOnChange.h"
#include "common/WriteLog.h"
#include "platform/Windows.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QScreen>

#include <cwchar>
#include <iterator>
#include <optional>

namespace {

const wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const wchar_t kAutoLaunchValue[] = L"Orvane Draviel";
// UserMgt and slotLoginSig codes: the log-in page is asked for, or the account changed (logged out
// through UserMgt, logged in through slotLoginSig).
constexpr int kLoginPage = PAGE_LOGIN;
constexpr int kAccountChanged = 8;
// The value's buffer: 260 wide characters, the text and its terminator included.
constexpr size_t kAutoLaunchChars = MAX_PATH;

struct StyleLook {
    int height;
    int leftWidth;
    int rightWidth;
    const char* fill; // null: translucent halves
};

// The looks of styles 1 to 7.
const StyleLook kStyles[] = {
    {48, 400, 400, "#272d3b"}, {48, 270, 370, nullptr},   {48, 320, 320, "#272d3b"}, {48, 320, 320, "#20242f"},
    {48, 320, 320, "#272d3b"}, {37, 320, 320, "#272d3b"}, {37, 320, 320, "#20242f"},
};

QString FormatTitle(const QString& text, int size)
{
    return Util::GetFormatString(text, GetLangFontFamily(FONT_NORMAL), QStringLiteral("#6f788b"), size, 600);
}

QPushButton* MakeButton(const char* objectName, QWidget* parent)
{
    auto* button = new QPushButton(parent);
    button->setObjectName(QLatin1String(objectName));
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

// The Run-key command that starts the program at log-in through the updater, or nothing when the
// updater's path does not fit the value's buffer.
std::optional<std::wstring> AutoLaunchCommand()
{
    const std::wstring renewer = Util::getcurappPath(QStringLiteral("Renewer.exe")).toStdWString();
    std::wstring command = L"\"" + renewer + L"\" autostart";
    if (command.size() >= kAutoLaunchChars)
        return std::nullopt;
    return command;
}

} // namespace

CFixTitleBase::CFixTitleBase(int style, int pageType, QWidget* parent)
    : QWidget(parent), window_(parent), style_(style), pageType_(pageType)
{
    if (pageType == PAGE_HOME)
        msgCenter_ = new CMsgCenter(this);
    InitUI();
}

void CFixTitleBase::InitUI()
{
    setAttribute(Qt::WA_TranslucentBackground);

    closeButton_ = MakeButton("Quarnel_CloseBtn", this);
    minButton_ = MakeButton("Quarnel_MinBtn", this);
    maxButton_ = MakeButton("Quarnel_MaxBtn", this);
    menuButton_ = MakeButton("Quarnel_BtnMenu", this);
    backButton_ = MakeButton("Quarnel_BtnBack", this);
    msgButton_ = new CDrawPushButton(0, this);
    msgButton_->setObjectName(QStringLiteral("Quarnel_BtnMsg"));
    msgButton_->setFocusPolicy(Qt::NoFocus);
    if (msgCenter_)
        msgCenter_->SetButton(msgButton_);
    titleLabel_ = new QLabel(FormatTitle(tr("Orvane Quarnel Beta"), 16), this);
    logoLabel_ = new QLabel(this);
    logoLabel_->setPixmap(CachedPicture(Util::getDravielsResFullPath(QStringLiteral("pic_logo_title.png"))));

    BuildMenu();

    auto* left = new CRoundedRectBase(12, this, true, false, false, false);
    auto* right = new CRoundedRectBase(12, this, false, true, false, false);
    SizeHalves(left, right);

    connect(closeButton_, &QPushButton::clicked, this, &CFixTitleBase::slotBtnClicked);
    connect(maxButton_, &QPushButton::clicked, this, &CFixTitleBase::slotBtnClicked);
    connect(minButton_, &QPushButton::clicked, this, &CFixTitleBase::slotBtnClicked);
    connect(menuButton_, &QPushButton::clicked, this, &CFixTitleBase::slotMenu);

    auto* rightLayout = new QHBoxLayout(right);
    rightLayout->setContentsMargins(0, 0, 16, 0);
    rightLayout->setSpacing(16);
    rightLayout->addStretch();
    for (QWidget* button : {static_cast<QWidget*>(msgButton_), static_cast<QWidget*>(menuButton_),
                            static_cast<QWidget*>(backButton_), static_cast<QWidget*>(minButton_),
                            static_cast<QWidget*>(maxButton_), static_cast<QWidget*>(closeButton_)})
        rightLayout->addWidget(button);

    auto* leftLayout = new QHBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 16, 0);
    leftLayout->setSpacing(0);
    leftLayout->addWidget(logoLabel_);
    leftLayout->addSpacing(12);
    leftLayout->addWidget(titleLabel_);
    leftLayout->addStretch();

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(left);
    layout->addWidget(right);

    slotSetShowFlags(TITLE_SHOW_TITLE | TITLE_SHOW_LOGO | TITLE_SHOW_MENU | TITLE_SHOW_CLOSE | TITLE_SHOW_MIN |
                     TITLE_SHOW_MESSAGE);
}

void CFixTitleBase::BuildMenu()
{
    menu_ = new CBPMenu(this);
    connect(menu_, &QMenu::triggered, this, &CFixTitleBase::menuClickSlot);
    for (const QString& entry : {tr("Settings"), tr("Check for updates"), tr("About")})
        menu_->AddAction({}, entry, entry);
    S_LOCAL_CFG local;
    Util::getDravielsLocalCfgInfo(local);
    const bool loggedOut = local.strAccount.isEmpty() || local.iIsQuit != 0;
    menu_->AddAction({}, loggedOut ? tr("Log in") : tr("Log out"), tr("Log in"));
}

void CFixTitleBase::SizeHalves(QWidget* left, QWidget* right)
{
    if (style_ < 1 || style_ > static_cast<int>(std::size(kStyles)))
        return;
    const StyleLook& look = kStyles[style_ - 1];
    left->setFixedSize(look.leftWidth, look.height);
    right->setFixedSize(look.rightWidth, look.height);
    const QBrush brush = look.fill ? QBrush(QColor(QLatin1String(look.fill))) : QBrush(Qt::transparent);
    static_cast<CRoundedRectBase*>(left)->setBrush(brush);
    static_cast<CRoundedRectBase*>(right)->setBrush(brush);
    if (!look.fill) {
        left->setAttribute(Qt::WA_TranslucentBackground);
        right->setAttribute(Qt::WA_TranslucentBackground);
    }
}

void CFixTitleBase::SetTitle(const QString& title)
{
    if (titleLabel_)
        titleLabel_->setText(FormatTitle(title, style_ == 4 ? 14 : 16));
}

void CFixTitleBase::slotSetShowFlags(int iCmd)
{
    const std::pair<QWidget*, int> elements[] = {
        {msgButton_, TITLE_SHOW_MESSAGE}, {minButton_, TITLE_SHOW_MIN},   {closeButton_, TITLE_SHOW_CLOSE},
        {maxButton_, TITLE_SHOW_MAX},     {menuButton_, TITLE_SHOW_MENU}, {logoLabel_, TITLE_SHOW_LOGO},
        {titleLabel_, TITLE_SHOW_TITLE},  {backButton_, TITLE_SHOW_BACK},
    };
    for (const auto& [element, bits] : elements)
        if (element)
            SetVisibleOnChange(element, (iCmd & bits) == bits);
}

void CFixTitleBase::slotCloseDisable(bool bDisable)
{
    if (closeButton_ && closeButton_->isEnabled() == bDisable)
        closeButton_->setEnabled(!bDisable);
}

void CFixTitleBase::slotCurWindowName(const QString& strName)
{
    SetCurWindowName(strName.toStdString());
}

void CFixTitleBase::slotBtnClicked()
{
    auto* button = qobject_cast<QPushButton*>(sender());
    if (!button)
        return;
    if (button == closeButton_) {
        // The home window's close button only hides it to the tray.
        if (msgButton_ && !msgButton_->isHidden()) {
            emit SigTitleBtnClicked(TITLE_BTN_CLOSE);
            return;
        }
        ReportClose();
        if (window_)
            window_->close();
    } else if (button == minButton_) {
        emit SigTitleBtnClicked(TITLE_BTN_MIN);
    } else if (button == maxButton_) {
        emit SigTitleBtnClicked(TITLE_BTN_MAX);
    }
}

void CFixTitleBase::ReportClose()
{
    switch (pageType_) {
    case PAGE_WRITE_PROTECTION:
        SendInfoEvent("WriteProtection", "Click_Close", nullptr, nullptr);
        break;
    case PAGE_WINDOWS_UPDATE:
        SendInfoEvent("WindowsUpdate", "Click_Close", nullptr, nullptr);
        break;
    case PAGE_FILE_SHOWING:
        SendInfoEvent("FileFixing", "Click_Close", nullptr, nullptr);
        break;
    case PAGE_SYSTEM_CLEANUP:
    case PAGE_LARGE_FILE_CLEANUP:
        if (const std::string name = GetCurWindowName(); !name.empty())
            SendInfoEvent(name.c_str(), "Click_Close", nullptr, nullptr);
        break;
    case PAGE_LOGIN:
        emit SigTitleBtnClicked(TITLE_BTN_CLOSE);
        break;
    default:
        break;
    }
}

void CFixTitleBase::slotMenu()
{
    if (menu_)
        menu_->exec(mapToGlobal(QPoint(620, 48)));
}

void CFixTitleBase::menuClickSlot(QAction* paction)
{
    if (!paction || !menu_)
        return;
    const QString entry = paction->data().toString();
    if (entry == tr("Settings")) {
        SendInfoEvent("Menu", "Click_Settings", nullptr, nullptr);
        emit sigShowSettings();
    } else if (entry == tr("Check for updates")) {
        slotActionUpdateClicked(false);
    } else if (entry == tr("About")) {
        slotActionAboutClicked(false);
    } else if (entry == tr("Log in")) {
        slotActionLogin(false);
    }
}

QPoint CFixTitleBase::DialogPosition() const
{
    return mapToGlobal(QPoint(0, 0)) + QPoint(80, 48);
}

void CFixTitleBase::SetLastDialog(CMessageBox* dialog)
{
    lastDialog_ = dialog;
}

void CFixTitleBase::slotActionAutoUpdateClicked(bool)
{
    slotActionUpdateClicked(true);
}

void CFixTitleBase::slotActionUpdateClicked(bool)
{
    if (!updateCheck_) {
        updateCheck_ = new CUpdateCheck(this);
        connect(updateCheck_, &CUpdateCheck::sigDialogOpened, this, &CFixTitleBase::SetLastDialog);
    }
    updateCheck_->Check(DialogPosition());
}

void CFixTitleBase::slotActionAboutClicked(bool)
{
    SendInfoEvent("Menu", "Click_About", nullptr, nullptr);
    S_NETWORK_CFG network;
    Util::getDravielsNetworkCfgInfo(network);
    auto* about = new CMessageBox(MSGBOX_LOGO, this, QString(), tr("About"), 4);
    SetLastDialog(about);
    about->SetText(tr("Orvane Quarnel %1").arg(network.strVersion),
                   tr("Orvane Quarnel Beta is still a Beta version. We sincerely expect you to join us and build better "
                      "Quarnel starting with you ideas."));
    about->move(DialogPosition());
    about->exec();
}

void CFixTitleBase::slotActionLogin(bool)
{
    QString entry;
    if (menu_)
        menu_->GetActionText(tr("Log in"), entry);
    if (entry == tr("Log out")) {
        SendInfoEvent("Menu", "Click_Logout", nullptr, nullptr);
        Util::setDravielsCfgInfo(QStringLiteral("localcfg.ini"), QStringLiteral("cache"), QStringLiteral("isquit"),
                                 QStringLiteral("0"));
        Util::setDravielsCfgInfo(QStringLiteral("localcfg.ini"), QStringLiteral("cache"), QStringLiteral("account"),
                                 QString());
        slotLoginSig(kLoginPage);
        emit UserMgt(kAccountChanged);
    } else {
        SendInfoEvent("Menu", "Click_Login", nullptr, nullptr);
        emit UserMgt(kLoginPage);
    }
}

void CFixTitleBase::slotLoginSig(int state)
{
    if (!menu_)
        return;
    if (state == kAccountChanged)
        menu_->SetActionText(tr("Log in"), tr("Log out"));
    else if (state == kLoginPage)
        menu_->SetActionText(tr("Log in"), tr("Log in"));
}

void CFixTitleBase::mousePressEvent(QMouseEvent* event)
{
    if (window_ && event) {
        dragging_ = true;
        dragOffset_ = event->globalPos() - window_->pos();
    }
    QWidget::mousePressEvent(event);
}

void CFixTitleBase::mouseMoveEvent(QMouseEvent* event)
{
    if (window_ && event && dragging_) {
        const QScreen* screen = QGuiApplication::primaryScreen();
        if (screen && screen->availableGeometry().contains(event->globalPos()))
            window_->move(event->globalPos() - dragOffset_);
    }
    QWidget::mouseMoveEvent(event);
}

void CFixTitleBase::mouseReleaseEvent(QMouseEvent* event)
{
    dragging_ = false;
    QWidget::mouseReleaseEvent(event);
}

void CFixTitleBase::SetAutoLaunch(bool on)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kRunKey, 0, KEY_READ | KEY_SET_VALUE | KEY_CREATE_SUB_KEY, &key) !=
        ERROR_SUCCESS)
        return;
    if (!on) {
        RegDeleteValueW(key, kAutoLaunchValue);
    } else if (const std::optional<std::wstring> command = AutoLaunchCommand()) {
        wchar_t data[kAutoLaunchChars] = {};
        std::wmemcpy(data, command->c_str(), command->size());
        RegSetValueExW(key, kAutoLaunchValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(data), sizeof(data));
        WriteLogA("RegSetValueEx: %ls", command->c_str());
        WriteLogA("RegSetValueEx LastError : %d", static_cast<int>(GetLastError()));
    } else {
        WriteLogA("autostart not set: the program folder's path is too long for the Run key");
    }
    RegCloseKey(key);
}

bool CFixTitleBase::IsAutoLaunch()
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kRunKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    wchar_t data[kAutoLaunchChars] = {};
    DWORD size = sizeof(data);
    const bool found = RegQueryValueExW(key, kAutoLaunchValue, nullptr, nullptr, reinterpret_cast<BYTE*>(data),
                                        &size) == ERROR_SUCCESS;
    RegCloseKey(key);
    return found;
}
