#include "MsgPopWindow.h"

#include "MsgPopWndItem.h"

#include "common/WindowGround.h"

#include <QEvent>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QSpacerItem>

namespace {

constexpr int kCornerRadius = 12;

} // namespace

CMsgPopWindow::CMsgPopWindow(const QString& title, QWidget* parent) : QWidget(parent)
{
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
    SetWindowGround(this);
    setWindowState(Qt::WindowActive);
    InitUI(title);
    installEventFilter(this);
}

void CMsgPopWindow::InitUI(const QString& title)
{
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(16, 16, 16, 6);

    auto* top = new QHBoxLayout();
    top->setContentsMargins(0, 0, 0, 0);
    auto* titleLabel = new QLabel(title, this);
    titleLabel->setObjectName(QStringLiteral("PopMsgTitleLabel"));
    titleLabel->setFixedHeight(30);
    top->addWidget(titleLabel);
    top->addStretch();
    auto* close = new QPushButton(this);
    close->setObjectName(QStringLiteral("Quarnel_CloseBtn"));
    connect(close, &QPushButton::released, this, &CMsgPopWindow::slotHide);
    top->addWidget(close);
    outer->addLayout(top);

    auto* scroll = new QScrollArea(this);
    scroll->setContentsMargins(0, 0, 0, 0);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    auto* content = new QWidget(scroll);
    content->setObjectName(QStringLiteral("PopMsgContentWidget"));
    content->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    cardLayout_ = new QVBoxLayout(content);
    cardLayout_->setContentsMargins(0, 0, 0, 0);
    cardLayout_->setSpacing(8);
    scroll->setWidget(content);
    outer->addWidget(scroll);

    markLabel_ = new QLabel(tr("Mark as read"), this);
    markLabel_->setObjectName(QStringLiteral("PopMsgMarkLabel"));
    markLabel_->installEventFilter(this);
    outer->addWidget(markLabel_, 0, Qt::AlignBottom | Qt::AlignRight);
}

void CMsgPopWindow::SetMsgList(const QList<CMsgItemInfo>& messages)
{
    if (messages.isEmpty() || !cardLayout_)
        return;
    RemoveCards();
    for (const CMsgItemInfo& message : messages) {
        auto* card = new CMsgPopWndItem(message, this);
        cardLayout_->addWidget(card, 0, Qt::AlignTop);
        cards_.append(card);
        connect(card, &CMsgPopWndItem::sigCloseItem, this, &CMsgPopWindow::slotCloseItem);
        connect(card, &CMsgPopWndItem::sigRead, this, &CMsgPopWindow::slotRead);
    }
    AppendSpacer();
}

void CMsgPopWindow::ShowAt(const QPoint& position)
{
    move(position);
    activateWindow();
    show();
}

void CMsgPopWindow::slotHide()
{
    hide();
}

void CMsgPopWindow::slotCloseItem()
{
    auto* card = qobject_cast<CMsgPopWndItem*>(sender());
    if (!card || !cards_.contains(card))
        return;
    if (cardLayout_)
        cardLayout_->removeWidget(card);
    cards_.removeAll(card);
    card->hide();
    card->deleteLater();
    AppendSpacer();
    emit sigCloseMsgItem(card->GetId());
}

void CMsgPopWindow::slotRead()
{
    if (auto* card = qobject_cast<CMsgPopWndItem*>(sender()))
        emit sigMsgRead(card->GetId());
}

bool CMsgPopWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == this && event->type() == QEvent::WindowDeactivate) {
        RemoveCards();
        RemoveSpacer();
        hide();
        return true;
    }
    if (watched == markLabel_ && event->type() == QEvent::MouseButtonPress) {
        for (const QPointer<CMsgPopWndItem>& card : qAsConst(cards_)) {
            if (card)
                card->MarkRead();
        }
        emit sigMsgRead(-1);
    }
    return QWidget::eventFilter(watched, event);
}

void CMsgPopWindow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(QStringLiteral("#272d3b")));
    painter.drawRoundedRect(rect().adjusted(0, 0, 1, 1), kCornerRadius, kCornerRadius);
}

void CMsgPopWindow::RemoveCards()
{
    for (const QPointer<CMsgPopWndItem>& card : qAsConst(cards_)) {
        if (!card)
            continue;
        if (cardLayout_)
            cardLayout_->removeWidget(card);
        card->hide();
        card->deleteLater();
    }
    cards_.clear();
}

void CMsgPopWindow::RemoveSpacer()
{
    if (!spacer_)
        return;
    // Without its layout the spacer went with it.
    if (cardLayout_) {
        cardLayout_->removeItem(spacer_);
        delete spacer_;
    }
    spacer_ = nullptr;
}

void CMsgPopWindow::AppendSpacer()
{
    RemoveSpacer();
    if (!cardLayout_)
        return;
    spacer_ = new QSpacerItem(0, 0, QSizePolicy::Fixed, QSizePolicy::Expanding);
    cardLayout_->addItem(spacer_);
}
