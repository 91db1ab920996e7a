// One message's card in the message pop-up: its title, its date (a close mark under the pointer)
// and its content, folded to four lines when it is longer ("Read full message" / "Collapse").
// A press on the card marks it read.
#pragma once

#include "MsgItemInfo.h"

#include <QColor>
#include <QLabel>
#include <QPointer>
#include <QTextEdit>
#include <QWidget>

class CMsgPopWndItem : public QWidget {
    Q_OBJECT
public:
    // The card is as wide as the parent minus the pop-up's side margins.
    CMsgPopWndItem(const CMsgItemInfo& info, QWidget* parent);

    qint64 GetId() const { return info_.GetId(); }

    // Switches the card to the colours of a read message.
    void MarkRead();

signals:
    void sigCloseItem();
    void sigRead();

public slots:
    void slotLinkActived(const QString& link);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void SetColors(bool read);
    void FitTitle();
    void ShowFolded();
    void ShowOpen();
    QStringList ContentLines();

    QColor background_;
    QColor textColor_;
    CMsgItemInfo info_;
    QPointer<QTextEdit> title_;
    QPointer<QLabel> content_;
};
