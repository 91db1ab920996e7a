// The message store "message.dat" in the user's application data: the messages of the title bar's
// message centre with their read and closed marks, as a Qt data stream (version Qt 5.6, big-endian):
// a qint32 count, then the records in list order. One process-wide lock guards every read and
// write; load and save never hold it together.
#pragma once

#include "MsgItemInfo.h"

#include <QList>
#include <QString>

class CMsgStore {
public:
    // A store never holds more: a larger file is damaged, and messages that would make one are not
    // saved.
    static constexpr qint64 MAX_BYTES = 1024 * 1024;

    // "<application data>\Orvane\Quarnel\message.dat", its folders made through the layer when
    // missing; empty (the store can be neither read nor written) when they cannot be had.
    CMsgStore();

    // Windows path.
    const QString& Path() const { return path_; }

    // False, leaving the list as it is, when the file does not open (what is there other than a
    // missing file, such as a FIFO, is logged). A damaged file (larger than MAX_BYTES, or a count
    // or a record that the file does not hold) is logged and gives an empty list.
    bool Load(QList<CMsgItemInfo>& messages) const;

    // Writes the whole store under a fresh name beside it and renames that over the old one, so
    // that a failed write, a kill or messages too many for the store keep the messages stored
    // before.
    bool Save(const QList<CMsgItemInfo>& messages) const;

    // What the message takes in the store.
    static qint64 StoredBytes(const CMsgItemInfo& message);

    // The fetched messages in their order, each taking every field (marks and texts) of the first
    // stored message with its id; stored messages that were not fetched are dropped.
    static QList<CMsgItemInfo> Merge(const QList<CMsgItemInfo>& fetched, const QList<CMsgItemInfo>& stored);

private:
    QString path_;
};
