#include "MsgStore.h"

#include "ProcessObjects.h"

#include "common/MachineFile.h"
#include "common/ProductFolder.h"
#include "common/WriteLog.h"
#include "platform/Windows.h"

#include <QDataStream>
#include <QMutexLocker>

#include <algorithm>
#include <cerrno>

namespace {

constexpr QDataStream::Version kStreamVersion = QDataStream::Qt_5_6;
// The smallest record: id, two flags, two empty texts (their lengths), the date and the length.
constexpr qint64 kMinRecordBytes = 8 + 1 + 1 + 4 + 4 + 8 + 8;

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
    const std::wstring folder = UserProductFolder(true);
    if (!folder.empty())
        path_ = QString::fromStdWString(folder + L"\\message.dat");
}

bool CMsgStore::Load(QList<CMsgItemInfo>& messages) const
{
    if (path_.isEmpty())
        return false;
    QByteArray bytes;
    int error = 0;
    {
        QMutexLocker lock(&g_messageStoreMutex);
        if (!machine_file::ReadWhole(path_, MAX_BYTES, bytes))
            error = errno;
    }
    if (error != 0 && error != EFBIG) {
        if (error != ENOENT)
            WriteLogA("message.dat cannot be read (errno %d); the messages held are kept", error);
        return false;
    }
    QList<CMsgItemInfo> stored;
    if (error == EFBIG) {
        WriteLogA("message.dat is damaged: it holds more than the %lld bytes a message store may hold; no messages "
                  "are shown",
                  static_cast<long long>(MAX_BYTES));
    } else if (!ParseStore(bytes, stored)) {
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
    if (bytes.size() > MAX_BYTES) {
        WriteLogA("message.dat not saved: %d messages take %d bytes, more than a message store may hold; the "
                  "messages stored before are kept",
                  static_cast<int>(messages.size()), static_cast<int>(bytes.size()));
        return false;
    }
    QMutexLocker lock(&g_messageStoreMutex);
    const bool saved = machine_file::ReplaceWhole(path_, bytes);
    if (!saved)
        WriteLogA("message.dat not saved (error %u); the messages stored before are kept",
                  static_cast<unsigned>(GetLastError()));
    return saved;
}

qint64 CMsgStore::StoredBytes(const CMsgItemInfo& message)
{
    QByteArray bytes;
    QDataStream stream(&bytes, QIODevice::WriteOnly);
    stream.setVersion(kStreamVersion);
    stream << message;
    return bytes.size();
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
