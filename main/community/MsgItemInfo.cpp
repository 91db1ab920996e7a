#include "MsgItemInfo.h"

#include "UserHelper.h"

#include <QDateTime>
#include <QStringList>

namespace {

// Runs of directly adjacent "<br />" tags become one tag; tags with anything between them, a
// blank included, all stay. A unit that breaks a partial match is not tried as the start of a
// new tag.
QString CollapseBreaks(const QString& content)
{
    static const QString tag = QStringLiteral("<br />");
    if (content.isEmpty())
        return content;
    QString output;
    QString pending;
    int matched = 0;
    bool afterTag = false;
    for (const QChar unit : content) {
        if (unit == tag[matched]) {
            pending += unit;
            if (++matched == tag.size()) {
                if (!afterTag)
                    output += pending;
                pending.clear();
                matched = 0;
                afterTag = true;
            }
        } else {
            afterTag = false;
            output += pending;
            pending.clear();
            matched = 0;
            output += unit;
        }
    }
    return output + pending;
}

} // namespace

CMsgItemInfo::CMsgItemInfo()
    : date_(QDate::currentDate())
{
}

CMsgItemInfo::CMsgItemInfo(qint64 id, const QString& title, const QString& content, const QDate& date, qint64 length)
    : id_(id), title_(title), content_(CollapseBreaks(content)), date_(date), length_(length)
{
}

CMsgItemInfo& CMsgItemInfo::operator=(const CMsgItemInfo& other)
{
    id_ = other.id_;
    read_ = other.read_;
    closed_ = other.closed_;
    title_ = other.title_;
    content_ = CollapseBreaks(other.content_);
    date_ = other.date_;
    length_ = other.length_;
    return *this;
}

bool CMsgItemInfo::FromMsgData(const S_MSG_DATA& data, CMsgItemInfo& item)
{
    if (data.iId < 0 || data.iAddTime < 0)
        return false;
    const QDate date = QDateTime::fromSecsSinceEpoch(data.iAddTime).date();
    item = CMsgItemInfo(data.iId, QString::fromUtf8(data.strTitle.data(), static_cast<int>(data.strTitle.size())),
                        QString::fromUtf8(data.strContent.data(), static_cast<int>(data.strContent.size())), date,
                        data.iLength);
    return true;
}

QString CMsgItemInfo::GetContent()
{
    // Each style="..." attribute is noted first and then removed wherever its text stands. An
    // attribute whose closing quote is missing ends the search: the rest stays as it is.
    static const QString styleOpen = QStringLiteral("style=\"");
    QStringList styles;
    for (int from = 0;;) {
        const int at = content_.indexOf(styleOpen, from);
        if (at < 0)
            break;
        const int close = content_.indexOf(QLatin1Char('"'), at + styleOpen.size());
        if (close < 0)
            break;
        styles << content_.mid(at, close - at + 1);
        from = close + 1;
    }
    for (const QString& style : styles)
        content_.remove(style);
    content_.replace(QStringLiteral("<a"), QStringLiteral("<a style=\"color: #0092ff;\""));
    return content_;
}

QString CMsgItemInfo::GetDateText() const
{
    return date_.year() == QDate::currentDate().year() ? date_.toString(QStringLiteral("MM.dd"))
                                                       : date_.toString(QStringLiteral("yyyy"));
}

QDataStream& operator<<(QDataStream& stream, const CMsgItemInfo& item)
{
    return stream << item.id_ << item.read_ << item.closed_ << item.title_ << item.content_ << item.date_
                  << item.length_;
}

QDataStream& operator>>(QDataStream& stream, CMsgItemInfo& item)
{
    // A damaged or short record leaves the item as it was; the assignment collapses the content's
    // "<br />" runs.
    CMsgItemInfo read;
    stream >> read.id_ >> read.read_ >> read.closed_ >> read.title_ >> read.content_ >> read.date_ >> read.length_;
    if (stream.status() == QDataStream::Ok)
        item = read;
    return stream;
}
