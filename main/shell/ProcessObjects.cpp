#include "ProcessObjects.h"

#include "winlib/Mutex.h"

namespace {

QString QuotedUrl(const char* path)
{
    return QStringLiteral("url(\"%1\")").arg(QLatin1String(path));
}

QString CheckRadioStyle()
{
    return QStringLiteral("QCheckBox{spacing: 12px;}") +
           QStringLiteral("QRadioButton{spacing: 12px;color:#c6d6f0;font-size: 14px;}") +
           QStringLiteral("QRadioButton:disabled{spacing: 12px;color:#475166;font-size: 14px;}") +
           QStringLiteral("QRadioButton::indicator::unchecked {image: %1;}").arg(QuotedUrl("./res/ico_danxuan_nor.png")) +
           QStringLiteral("QRadioButton::indicator::unchecked:disabled {image: %1;}")
               .arg(QuotedUrl("./res/ico_danxuan_nor_disable.png")) +
           QStringLiteral("QRadioButton::indicator:unchecked:hover{image: %1;}")
               .arg(QuotedUrl("./res/ico_danxuan_hover.png")) +
           QStringLiteral("QRadioButton::indicator::checked {image: %1;}").arg(QuotedUrl("./res/ico_danxuan_sel.png")) +
           QStringLiteral("QRadioButton::indicator::checked:disabled {image: %1;}")
               .arg(QuotedUrl("./res/ico_danxuan_sel_disable.png"));
}

std::string g_curWindowName;

// The program has always kept one lock of its own for the whole run; nothing takes it.
Mutex g_processLock;

} // namespace

QString g_checkRadioStyleSheet = CheckRadioStyle();
QString g_popButtonStyleSheet = QStringLiteral(
    "QPushButton{\tborder-radius: 14px;\tbackground-color: #1be1d0;}"
    "QPushButton:hover{background-color: #1bffeb;}"
    "QPushButton:pressed{background-color: #1db1a4;}");
QString g_popTitleStyle = QStringLiteral("font-family: Segoe UI;font-size: 16px;font-weight: 600;color: #ffffff;");
QString g_fileShowingTextName = QStringLiteral("orvanedraviel.txt");
std::string g_loginText;
QMutex g_messageStoreMutex;

std::string GetCurWindowName()
{
    return g_curWindowName;
}

void SetCurWindowName(const std::string& name)
{
    g_curWindowName = name;
}
