#include "FrameTitle.h"

#include "ResPicture.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>

namespace {

// The library's dark look for the bar; an application style sheet may refine it by object name.
QString BarStyle()
{
    return QStringLiteral("QLabel#CFrameTitle_textTitle { color: #c6d6f0; font-size: 14px; background: transparent; }"
                          "QPushButton#CFrameTitle_CloseBtn { border: none; background: transparent; image: %1; }"
                          "QPushButton#CFrameTitle_CloseBtn:hover { image: %2; }")
        .arg(ResPictureUrl(QStringLiteral("title_close.png")), ResPictureUrl(QStringLiteral("title_close_hover.png")));
}

} // namespace

CFrameTitle::CFrameTitle(QWidget* window) : QFrame(window), window_(window)
{
    setObjectName(QStringLiteral("CFrameTitle"));
    setStyleSheet(BarStyle());

    text_ = new QLabel(this);
    text_->setObjectName(QStringLiteral("CFrameTitle_textTitle"));
    icon_ = new QLabel(this);
    icon_->setObjectName(QStringLiteral("CFrameTitle_IconLabel"));
    icon_->setPixmap(ResPicture(QStringLiteral("title_logo.png")));
    closeBtn_ = new QPushButton(this);
    closeBtn_->setObjectName(QStringLiteral("CFrameTitle_CloseBtn"));
    closeBtn_->setFixedSize(32, 32);
    closeBtn_->setFocusPolicy(Qt::NoFocus);
    connect(closeBtn_, &QPushButton::clicked, this, &CFrameTitle::BtnClicked);

    auto* row = new QHBoxLayout(this);
    row->setSpacing(0);
    row->setContentsMargins(7, 0, 12, 0);
    row->addWidget(icon_);
    row->addSpacing(8);
    row->addWidget(text_);
    row->addStretch();
    row->addWidget(closeBtn_);

    setFixedHeight(35);
}

void CFrameTitle::SetTitle(const QString& text)
{
    text_->setText(text);
}

void CFrameTitle::ShowIcon(bool show)
{
    icon_->setVisible(show);
}

void CFrameTitle::CloseTitle() { close(); }

void CFrameTitle::BtnClicked()
{
    auto* button = qobject_cast<QPushButton*>(sender());
    if (button && button == closeBtn_)
        emit TitleBtnClicked(1);
}

void CFrameTitle::mousePressEvent(QMouseEvent* event)
{
    if (window_) {
        dragging_ = true;
        dragOffset_ = event->globalPos() - window_->pos();
    }
    QFrame::mousePressEvent(event);
}

void CFrameTitle::mouseMoveEvent(QMouseEvent* event)
{
    // Only while the cursor stays on the primary screen's usable area, so the dialog cannot be
    // dragged to where its title bar can no longer be reached.
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (dragging_ && window_ && screen && screen->availableGeometry().contains(event->globalPos()))
        window_->move(event->globalPos() - dragOffset_);
    QFrame::mouseMoveEvent(event);
}

void CFrameTitle::mouseReleaseEvent(QMouseEvent* event)
{
    dragging_ = false;
    QFrame::mouseReleaseEvent(event);
}
