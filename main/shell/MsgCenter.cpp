#include "MsgCenter.h"

#include "BgRunThread.h"
#include "DrawPushButton.h"
#include "MsgPopWindow.h"

#include "Paneforge/Util.h"
#include "common/SendInfo.h"
#include "common/WriteLog.h"

#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <memory>

namespace {

constexpr int kPopupWidth = 360;
constexpr int kPopupHeight = 390;
// The pop-up hangs below the title bar, this far in from the window's right edge.
constexpr int kPopupRightInset = 13;

} // namespace

CMsgCenter::CMsgCenter(QWidget* titleBar) : QObject(titleBar), titleBar_(titleBar)
{
    RequestRefresh(1, 1);
}

CMsgCenter::~CMsgCenter()
{
    for (CBgRunThread* thread : threads_) {
        auto* request = static_cast<S_MSG_REQUEST*>(thread->GetData());
        if (thread->isFinished()) {
            delete request;
            delete thread;
            continue;
        }
        disconnect(thread, nullptr, this, nullptr);
        connect(
            thread, &QThread::finished, thread,
            [thread, request] {
                delete request;
                thread->deleteLater();
            },
            Qt::DirectConnection);
    }
}

void CMsgCenter::SetButton(CDrawPushButton* button)
{
    button_ = button;
    if (!button)
        return;
    SetBadge(UnreadCount());
    connect(button, &QPushButton::clicked, this, &CMsgCenter::slotMessage);
}

int CMsgCenter::UnreadCount() const
{
    return static_cast<int>(std::count_if(messages_.begin(), messages_.end(), [](const CMsgItemInfo& item) {
        return !item.IsRead() && !item.IsClosed();
    }));
}

void CMsgCenter::SetBadge(int count)
{
    badge_ = count;
    if (button_)
        button_->SetCount(count);
}

void CMsgCenter::RequestRefresh(int flag, int count)
{
    if (flag == 0)
        return;
    S_NETWORK_CFG network;
    Util::getDravielsNetworkCfgInfo(network);
    auto request = std::make_unique<S_MSG_REQUEST>();
    request->strVersion = network.strVersion.toStdString();
    request->iPage = page_;
    request->iCount = count;
    auto* thread = new CBgRunThread(&CUserHelper::GetMessageData, request.release());
    threads_.append(thread);
    connect(thread, &QThread::finished, this, &CMsgCenter::slotGetBufferLen);
    thread->start(QThread::InheritPriority);
}

void CMsgCenter::slotGetBufferLen()
{
    auto* thread = qobject_cast<CBgRunThread*>(sender());
    if (!thread || !threads_.removeOne(thread))
        return;
    // finished() comes just before the thread's end, which is a moment away.
    thread->wait();
    const std::unique_ptr<S_MSG_REQUEST> request(static_cast<S_MSG_REQUEST*>(thread->GetData()));
    delete thread;
    if (request->lstMsg.empty()) {
        QTimer::singleShot(0, this, &CMsgCenter::slotUpdateMsgInfo);
        return;
    }
    const bool taken = TakePage(*request);
    ++page_;
    if (page_ > request->iPageCount) {
        slotThreadFinished();
        return;
    }
    if (!taken || page_ > MAX_PAGES) {
        WriteLogA("the message refresh ends after page %d of the %d the service announces", page_ - 1,
                  static_cast<int>(request->iPageCount));
        slotThreadFinished();
        return;
    }
    RequestRefresh(static_cast<int>(request->lstMsg.size()), 1);
}

bool CMsgCenter::TakePage(const S_MSG_REQUEST& request)
{
    bool fresh = false;
    for (const S_MSG_DATA& data : request.lstMsg) {
        if (seen_.contains(data.iId))
            continue;
        seen_.insert(data.iId);
        fresh = true;
        CMsgItemInfo item;
        if (!CMsgItemInfo::FromMsgData(data, item))
            continue;
        fetchedBytes_ += CMsgStore::StoredBytes(item);
        if (fetchedBytes_ > CMsgStore::MAX_BYTES)
            return false;
        fetched_.append(item);
    }
    return fresh;
}

void CMsgCenter::slotThreadFinished()
{
    Store(fetched_, true);
    QTimer::singleShot(0, this, &CMsgCenter::slotUpdateMsgInfo);
}

void CMsgCenter::Store(const QList<CMsgItemInfo>& messages, bool merge)
{
    if (!merge) {
        store_.Save(messages);
        return;
    }
    store_.Load(messages_);
    store_.Save(CMsgStore::Merge(messages, messages_));
}

void CMsgCenter::slotUpdateMsgInfo()
{
    if (!button_)
        return;
    store_.Load(messages_);
    SetBadge(UnreadCount());
}

void CMsgCenter::slotMessage()
{
    if (!popup_) {
        popup_ = new CMsgPopWindow(tr("Message"), titleBar_);
        popup_->setFixedSize(kPopupWidth, kPopupHeight);
        connect(popup_, &CMsgPopWindow::sigMsgRead, this, &CMsgCenter::slotMsgRead);
        connect(popup_, &CMsgPopWindow::sigCloseMsgItem, this, &CMsgCenter::slotCloseMsgItem);
    }
    QList<CMsgItemInfo> shown;
    std::copy_if(messages_.begin(), messages_.end(), std::back_inserter(shown),
                 [](const CMsgItemInfo& item) { return !item.IsClosed(); });
    popup_->SetMsgList(shown);
    popup_->ShowAt(PopupPosition());
    SendInfoEvent("Home", "Click_Message", nullptr, nullptr);
}

QPoint CMsgCenter::PopupPosition() const
{
    if (!titleBar_ || !titleBar_->parentWidget())
        return QPoint(0, 0);
    const QWidget* window = titleBar_->window();
    const QPoint corner = window->mapToGlobal(QPoint(0, 0));
    return QPoint(corner.x() + window->width() - kPopupWidth - kPopupRightInset, corner.y() + titleBar_->height() + 1);
}

bool CMsgCenter::slotMsgRead(qint64 i64Id)
{
    if (!button_)
        return false;
    bool changed = false;
    for (CMsgItemInfo& item : messages_) {
        if ((i64Id == -1 || item.GetId() == i64Id) && !item.IsRead()) {
            item.SetRead(true);
            changed = true;
        }
    }
    if (i64Id == -1)
        changed = true;
    SetBadge(UnreadCount());
    if (changed)
        Store(messages_, false);
    return changed;
}

void CMsgCenter::slotCloseMsgItem(qint64 i64Id)
{
    const auto item = std::find_if(messages_.begin(), messages_.end(),
                                   [i64Id](const CMsgItemInfo& message) { return message.GetId() == i64Id; });
    if (item != messages_.end())
        item->SetClosed(true);
    if (!slotMsgRead(i64Id))
        Store(messages_, false);
}
