#include "HomeCard.h"

#include "Language.h"

#include "Paneforge/Util.h"
#include "common/MachinePicture.h"

#include <QEvent>
#include <QLabel>
#include <QPainter>
#include <QPropertyAnimation>
#include <QVBoxLayout>

namespace {

constexpr int COLUMN_STEP = 162;
constexpr int RESTING_Y = 6;
constexpr int RAISED_Y = 4;
constexpr int STATE_COLOR_COUNT = 4;

} // namespace

CHomeCard::CHomeCard(int index, QWidget* parent)
    : QFrame(parent), m_index(index), m_rise(new QPropertyAnimation(this, "pos", this))
{
    setFixedSize(126, 140);
    m_rise->setDuration(400);
    m_caption = new QLabel(this);
    m_icon = new QLabel(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 28, 0, 20);
    layout->addWidget(m_icon, 0, Qt::AlignHCenter);
    layout->addStretch();
    layout->addWidget(m_caption, 0, Qt::AlignHCenter);
}

void CHomeCard::SetCaption(const QString& caption)
{
    if (caption.isEmpty())
        return;
    m_caption->setText(Util::GetFormatString(caption, GetLangFontFamily(FONT_SEMIBOLD), QStringLiteral("#ffffff"), 14, 400));
}

void CHomeCard::SetIcon(const QString& name)
{
    if (name.isEmpty())
        return;
    m_iconName = name;
    ShowIcon("nor");
}

void CHomeCard::SetColumn(int column) { m_column = column; }

void CHomeCard::SetGlowColor(const QColor& color) { m_glowColor = color; }

void CHomeCard::AddStateColor(const QColor& color) { m_stateColors.append(color); }

void CHomeCard::SetGlowWidth(int width)
{
    if (width > 0 && width < this->width() / 2.0)
        m_glowWidth = width;
}

QPoint CHomeCard::RestingPos() const { return QPoint(m_column * COLUMN_STEP, RESTING_Y); }

QPoint CHomeCard::RaisedPos() const { return QPoint(m_column * COLUMN_STEP, RAISED_Y); }

void CHomeCard::ShowIcon(const char* state)
{
    m_icon->setPixmap(CachedPicture(Util::getDravielsResFullPath(QStringLiteral("ico_%1_%2.png").arg(m_iconName, QLatin1String(state)))));
}

void CHomeCard::enterEvent(QEvent* event)
{
    if (!isEnabled() || !event->isAccepted())
        return;
    m_bHovered = true;
    if (!m_iconName.isEmpty()) {
        if (!m_bRisePrepared) {
            m_rise->setStartValue(RestingPos());
            m_rise->setEndValue(RaisedPos());
            m_bRisePrepared = true;
        }
        ShowIcon("hover");
        m_rise->start();
        setFrameShadow(QFrame::Raised);
    }
    update();
}

void CHomeCard::leaveEvent(QEvent* event)
{
    if (!isEnabled() || !event->isAccepted())
        return;
    m_bHovered = false;
    m_rise->stop();
    move(RestingPos());
    if (!m_iconName.isEmpty())
        ShowIcon("nor");
    update();
}

void CHomeCard::mousePressEvent(QMouseEvent* event)
{
    QFrame::mousePressEvent(event);
    m_bChecked = !m_bChecked;
    emit clicked(m_index);
}

void CHomeCard::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    const QRect inner = rect().adjusted(m_glowWidth, m_glowWidth, -m_glowWidth, -m_glowWidth);
    QLinearGradient gradient(inner.topLeft(), inner.bottomLeft());
    gradient.setColorAt(0, QColor(110, 133, 158, 200));
    gradient.setColorAt(1, QColor(QStringLiteral("#3d506a")));
    painter.setBrush(gradient);
    painter.drawRoundedRect(inner, 6, 6);
    if (m_bHovered) {
        if (m_rise->state() != QAbstractAnimation::Running)
            move(RaisedPos());
        painter.setBrush(Qt::NoBrush);
        for (int ring = 0; ring < m_glowWidth; ++ring) {
            QColor color = m_glowColor;
            color.setAlpha(qMax(0, 60 - 10 * ring));
            painter.setPen(color);
            const int inset = m_glowWidth - ring;
            painter.drawRoundedRect(rect().adjusted(inset, inset, -inset, -inset), 5 + ring, 5 + ring);
        }
        painter.setPen(Qt::NoPen);
    }
    if (m_stateColors.size() == STATE_COLOR_COUNT) {
        painter.setBrush(m_stateColors.at(m_bHovered ? 2 : 0));
        painter.drawRoundedRect(inner, 6, 6);
    }
}

CHomeCards::CHomeCards(QWidget* parent) : QFrame(parent) {}
