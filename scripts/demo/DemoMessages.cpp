#include "DemoMessages.h"

#include "MsgItemInfo.h"
#include "MsgStore.h"

#include <QDate>
#include <QList>

namespace {

struct DemoMessage_ {
    qint64 id;
    int daysAgo;
    const char* title;
    const char* content;
    bool read;
    bool closed;
};

// Newest first, as the web service sends them. The last one is from an earlier year, so its card
// shows the year alone. None announces a version: the demo's update check offers none beyond the
// installed one, and would contradict it.
const DemoMessage_ kMessages[] = {
    {1005, 1, "File Showing checks the drive too",
     "Tick \"Check and fix file system error\" and File Showing checks the file system of a drive before it "
     "shows its hidden files.<br />"
     "See what else the beta brings in the <a href=\"https://community.orvane.example/beta/release-notes\">release "
     "notes</a>.",
     false, false},
    {1004, 3, "Tell us what to build next",
     "Which repair tool do you miss most? Every week we read what beta testers ask for and pick the next "
     "tool from it. Vote for the ideas of others, add your own and follow how each one gets built, from "
     "the first sketch to the finished tool in the program.<br /><br />"
     "Join the discussion on the <a href=\"https://community.orvane.example/beta/ideas\">ideas board</a> "
     "or write to us at <a href=\"mailto:beta@orvane.example\">beta@orvane.example</a>.",
     false, false},
    {1003, 9, "Your USB stick hides its files?",
     "A virus often hides a stick's files and leaves look-alike shortcuts. Open File Showing, choose the "
     "stick and press Execute: your files come back.",
     false, false},
    {1002, 20, "Community site maintenance on Saturday",
     "The community site is down for maintenance on Saturday from 02:00 to 04:00 UTC.", false, true},
    {1001, 400, "Welcome to the Orvane Quarnel Beta",
     "Thank you for joining the beta. Read the <a href=\"https://community.orvane.example/beta/guide\">beta "
     "guide</a> to get started.",
     true, false},
};

} // namespace

bool MakeDemoMessages()
{
    const QDate today = QDate::currentDate();
    QList<CMsgItemInfo> messages;
    for (const DemoMessage_& demo : kMessages) {
        CMsgItemInfo item(demo.id, QString::fromUtf8(demo.title), QString::fromUtf8(demo.content),
                          today.addDays(-demo.daysAgo), 0);
        item.SetRead(demo.read);
        item.SetClosed(demo.closed);
        messages.append(item);
    }
    return CMsgStore().Save(messages);
}
