#include "FileFixInfo.h"

#include "common/SendInfo.h"
#include "platform/Windows.h"

#include "Paneforge/Util.h"
#include "common/MachinePicture.h"
#include "common/WindowGround.h"

#include <QEnterEvent>
#include <QLabel>
#include <QPainter>

namespace {

constexpr uint32_t READ_TIP_MS = 2000;

} // namespace

// The tip opens with its corner under the pointer. Were it to take the pointer, the icon would
// lose it and hide the tip, get it back and show the tip again, without end: the pointer passes
// through the tip to the icon.
_FixTip::_FixTip()
    : QWidget(nullptr, Qt::FramelessWindowHint | Qt::Tool | Qt::WindowStaysOnTopHint | Qt::WindowTransparentForInput)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    SetWindowGround(this);
    setFixedSize(440, 83);
    m_text = new QLabel(this);
    m_text->setWordWrap(true);
    m_text->setGeometry(22, 13, 396, 52);
    m_text->setText(QStringLiteral("<p style=\"line-height:26px;  font-family:Segoe UI; font-size:14px;color:#ffffff\">%1</p>")
                        .arg(tr("Program will check and fix the file system error automatically. It will take some "
                                "time, please be patient.")));
}

void _FixTip::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawPixmap(rect(), CachedPicture(Util::getDravielsResFullPath(QStringLiteral("pic_tips.png"))));
}

CFileFixInfo::CFileFixInfo(QWidget* parent) : QWidget(parent), m_tip(new _FixTip())
{
    setFixedSize(14, 14);
    setAttribute(Qt::WA_TranslucentBackground);
    m_tip->hide();
}

// The tip has no parent of its own, so it goes with its icon.
CFileFixInfo::~CFileFixInfo() { delete m_tip; }

void CFileFixInfo::enterEvent(QEvent* event)
{
    if (auto* enter = dynamic_cast<QEnterEvent*>(event))
        m_tip->move(enter->globalPos());
    m_tip->show();
    m_bHovered = true;
    m_enterTick = GetTickCount();
    update();
}

void CFileFixInfo::leaveEvent(QEvent*)
{
    m_tip->hide();
    m_bHovered = false;
    if (static_cast<uint32_t>(GetTickCount() - m_enterTick) >= READ_TIP_MS)
        SendInfoEvent("FileFixing", "Result_Info", "{\"ViewInfo\":\"Yes\"}", nullptr);
    update();
}

void CFileFixInfo::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QString name = m_bHovered ? QStringLiteral("ico_info_hover.png") : QStringLiteral("ico_info_nomal.png");
    painter.drawPixmap(rect(), CachedPicture(Util::getDravielsResFullPath(name)));
}
