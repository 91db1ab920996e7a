#include "MsgStore.h"

#include "ProcessObjects.h"

#include "common/WriteLog.h"
#include "platform/Machine.h"
#include "platform/Windows.h"

#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QMutexLocker>
#include <QSaveFile>

#include <algorithm>

namespace {

constexpr QDataStream::Version kStreamVersion = QDataStream::Qt_5_6;
// The smallest record: id, two flags, two empty texts (their lengths), the date and the length.
constexpr qint64 kMinRecordBytes = 8 + 1 + 1 + 4 + 4 + 8 + 8;
// Far above any real store; a larger file is taken as damaged rather than read into memory.
constexpr qint64 kMaxStoreBytes = 64 * 1024 * 1024;

QString HostFile(const QString& windowsPath)
{
    return QString::fromStdString(platform::HostPath(windowsPath.toStdWString()));
}

// The records of the store's bytes, or nothing when the bytes are not a whole store.
bool ParseStore(const QByteArray& bytes, QList<CMsgItemInfo>& messages)
{
    QDataStream stream(bytes);
    stream.setVersion(kStreamVersion);
    qint32 count = 0;
    stream >> count;
    if (stream.status() != QDataStream::Ok || count < 0 || count > (bytes.size() - 4) / kMinRecordBytes)
        return false;
    messages.reserve(count);
    for (qint32 i = 0; i < count; ++i) {
        CMsgItemInfo item;
        stream >> item;
        if (stream.status() != QDataStream::Ok)
            return false;
        messages.append(item);
    }
    return true;
}

} // namespace

CMsgStore::CMsgStore()
{
    wchar_t appData[MAX_PATH] = {};
    if (!SHGetSpecialFolderPathW(nullptr, appData, CSIDL_APPDATA, FALSE) || appData[0] == L'\0')
        return;
    const QString folder = QString::fromWCharArray(appData) + QStringLiteral("\\Orvane\\Quarnel\\");
    QDir().mkpath(HostFile(folder));
    path_ = folder + QStringLiteral("message.dat");
}

bool CMsgStore::Load(QList<CMsgItemInfo>& messages) const
{
    if (path_.isEmpty())
        return false;
    QByteArray bytes;
    {
        QMutexLocker lock(&g_messageStoreMutex);
        QFile file(HostFile(path_));
        if (!file.open(QIODevice::ReadOnly))
            return false;
        if (file.size() > kMaxStoreBytes) {
            WriteLogA("message.dat is damaged: %lld bytes, far more than a message store holds",
                      static_cast<long long>(file.size()));
            messages.clear();
            return true;
        }
        bytes = file.readAll();
    }
    QList<CMsgItemInfo> stored;
    if (!ParseStore(bytes, stored)) {
        WriteLogA("message.dat is damaged: its %d bytes do not hold the records it counts; no messages are shown",
                  static_cast<int>(bytes.size()));
        stored.clear();
    }
    messages = stored;
    return true;
}

bool CMsgStore::Save(const QList<CMsgItemInfo>& messages) const
{
    if (path_.isEmpty())
        return false;
    QByteArray bytes;
    {
        QDataStream stream(&bytes, QIODevice::WriteOnly);
        stream.setVersion(kStreamVersion);
        stream << static_cast<qint32>(messages.size());
        for (const CMsgItemInfo& item : messages)
            stream << item;
    }
    QMutexLocker lock(&g_messageStoreMutex);
    QSaveFile file(HostFile(path_));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        WriteLogA("message.dat not saved; the messages stored before are kept");
        return false;
    }
    return true;
}

QList<CMsgItemInfo> CMsgStore::Merge(const QList<CMsgItemInfo>& fetched, const QList<CMsgItemInfo>& stored)
{
    QList<CMsgItemInfo> merged = fetched;
    for (CMsgItemInfo& item : merged) {
        const auto same = std::find_if(stored.begin(), stored.end(),
                                       [&item](const CMsgItemInfo& old) { return old.GetId() == item.GetId(); });
        if (same != stored.end())
            item = *same;
    }
    return merged;
}
