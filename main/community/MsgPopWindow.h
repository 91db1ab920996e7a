// The message pop-up of the title bar's message button: one card per message in a scroll area,
// "Mark as read" for all of them, and a close mark per card. It tells the title bar what the user
// did through the message ids; -1 stands for every message. It empties and hides itself when it
// loses activation.
#pragma once

#include "MsgItemInfo.h"

#include <QLabel>
#include <QList>
#include <QPointer>
#include <QVBoxLayout>
#include <QWidget>

class CMsgPopWndItem;
class QSpacerItem;

class CMsgPopWindow : public QWidget {
    Q_OBJECT
public:
    CMsgPopWindow(const QString& title, QWidget* parent);

    // Replaces the cards with one per message, in list order; an empty list keeps the cards.
    void SetMsgList(const QList<CMsgItemInfo>& messages);
    void ShowAt(const QPoint& position);

signals:
    void sigMsgRead(qint64 i64ID);
    void sigCloseMsgItem(qint64 i64ID);

public slots:
    void slotHide();
    void slotCloseItem();
    void slotRead();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void InitUI(const QString& title);
    void RemoveCards();
    // The one trailing spacer that keeps the cards at the top: taken out, or put back last.
    void RemoveSpacer();
    void AppendSpacer();

    QPointer<QVBoxLayout> cardLayout_;
    QList<QPointer<CMsgPopWndItem>> cards_;
    QPointer<QLabel> markLabel_;
    QSpacerItem* spacer_ = nullptr;
};
