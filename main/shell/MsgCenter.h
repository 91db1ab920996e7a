// The message centre of the home window's title bar: at start it fetches the server's messages
// page by page on worker threads, merges them with the stored ones so that read and closed marks
// survive, keeps them in the message store and shows the messages that are neither read nor closed
// as the badge of the message button, whose press opens the message pop-up. What the pop-up
// reports (read, closed) is stored at once.
//
// What the service says of its pages is not trusted to end the fetch: it ends at a page that
// brings no message not seen before, after MAX_PAGES pages, and before the messages outgrow the
// store, whatever page count the service announces.
#pragma once

#include "MsgItemInfo.h"
#include "MsgPopWindow.h"
#include "DrawPushButton.h"
#include "MsgStore.h"
#include "UserHelper.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>

class CBgRunThread;
class QWidget;

class CMsgCenter : public QObject {
    Q_OBJECT
public:
    static constexpr int MAX_PAGES = 100;

    // The title bar is the pop-up's parent and places it; the first page is asked for at once.
    explicit CMsgCenter(QWidget* titleBar);
    // A refresh thread that still runs is left to end on its own; it then frees itself and its
    // request.
    ~CMsgCenter() override;

    // The message button: its badge shows the count, its press opens the pop-up.
    void SetButton(CDrawPushButton* button);

    const QList<CMsgItemInfo>& Messages() const { return messages_; }
    // The messages that are neither read nor closed.
    int UnreadCount() const;
    // What the badge shows now.
    int BadgeCount() const { return badge_; }
    CMsgPopWindow* PopWindow() const { return popup_; }
    // The refresh threads not yet ended and freed: one while a page is on its way, else none.
    int RefreshThreads() const { return threads_.size(); }

public slots:
    void slotMessage();
    bool slotMsgRead(qint64 i64Id);
    void slotCloseMsgItem(qint64 i64Id);
    void slotGetBufferLen();
    void slotThreadFinished();
    void slotUpdateMsgInfo();

private:
    // Nothing when flag is 0.
    void RequestRefresh(int flag, int count);
    // Takes the page's messages not seen before; false when there were none, or when the store
    // could not hold them beside those taken.
    bool TakePage(const S_MSG_REQUEST& request);
    void Store(const QList<CMsgItemInfo>& messages, bool merge);
    void SetBadge(int count);
    QPoint PopupPosition() const;

    QWidget* titleBar_;
    QPointer<CDrawPushButton> button_;
    CMsgStore store_;
    QList<CMsgItemInfo> messages_;
    QPointer<CMsgPopWindow> popup_;
    QList<CBgRunThread*> threads_;
    int page_ = 1;
    QSet<qint32> seen_;             // the ids of the service's messages this refresh
    QList<CMsgItemInfo> fetched_;
    qint64 fetchedBytes_ = sizeof(qint32); // what fetched_ takes in the store, with its count
    int badge_ = 0;
};
