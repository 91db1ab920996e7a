// One server message as the program keeps it: in the message store "message.dat", in the title
// bar's badge count and in the message pop-up. Messages are told apart by their id alone.
#pragma once

#include <QDataStream>
#include <QDate>
#include <QString>

struct S_MSG_DATA;

class CMsgItemInfo {
public:
    // Id 0, not read, not closed, empty texts, today's date, length 0.
    CMsgItemInfo();
    // Read and closed false; runs of directly adjacent "<br />" in the content become one.
    CMsgItemInfo(qint64 id, const QString& title, const QString& content, const QDate& date, qint64 length);
    CMsgItemInfo(const CMsgItemInfo& other) = default;
    CMsgItemInfo& operator=(const CMsgItemInfo& other);
    virtual ~CMsgItemInfo() = default;

    // The record of a server item: false (item skipped) for a negative id or add time. The date
    // is the local date of the add time; the texts are read as UTF-8.
    static bool FromMsgData(const S_MSG_DATA& data, CMsgItemInfo& item);

    qint64 GetId() const { return id_; }
    bool IsRead() const { return read_; }
    bool IsClosed() const { return closed_; }
    void SetRead(bool read) { read_ = read; }
    void SetClosed(bool closed) { closed_ = closed; }
    QString GetTitle() const { return title_; }
    QDate GetDate() const { return date_; }
    qint64 GetLength() const { return length_; }

    // Rewrites the stored content for display and returns it: every style="..." attribute is
    // removed and every "<a" gets the link colour.
    QString GetContent();

    // "MM.dd" in the current year, else "yyyy".
    QString GetDateText() const;

    friend QDataStream& operator<<(QDataStream& stream, const CMsgItemInfo& item);
    friend QDataStream& operator>>(QDataStream& stream, CMsgItemInfo& item);

private:
    qint64 id_ = 0;
    bool read_ = false;
    bool closed_ = false;
    QString title_;
    QString content_;
    QDate date_;
    qint64 length_ = 0;
};

// Writes id, read, closed, title, content, date, length in that order (the store sets the stream
// version); reading collapses the content's "<br />" runs again.
QDataStream& operator<<(QDataStream& stream, const CMsgItemInfo& item);
QDataStream& operator>>(QDataStream& stream, CMsgItemInfo& item);
