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
    // "<application data>\Orvane\Quarnel\message.dat", its folder made when missing; empty (the
    // store can be neither read nor written) when the application-data folder is unknown.
    CMsgStore();

    // Windows path.
    const QString& Path() const { return path_; }

    // False, leaving the list as it is, when the file does not open. A damaged file (a count or a
    // record that the file does not hold) is logged and gives an empty list.
    bool Load(QList<CMsgItemInfo>& messages) const;

    // Writes a new file and then puts it in place of the old one, so that a failed write keeps the
    // messages stored before.
    bool Save(const QList<CMsgItemInfo>& messages) const;

    // The fetched messages in their order, each taking every field (marks and texts) of the first
    // stored message with its id; stored messages that were not fetched are dropped.
    static QList<CMsgItemInfo> Merge(const QList<CMsgItemInfo>& fetched, const QList<CMsgItemInfo>& stored);

private:
    QString path_;
};
