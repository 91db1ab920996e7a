#include "MsgStore.h"

#include "ProcessObjects.h"

#include "common/ProductFolder.h"
#include "common/WriteLog.h"
#include "platform/Windows.h"

#include <QDataStream>
#include <QFile>
#include <QMutexLocker>

#include <algorithm>
#include <cerrno>
#include <unistd.h>

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

// Up to one byte more than a store may hold, through the layer, which opens no FIFO, socket or
// device (so nothing here can block); false with errno set when the file does not open or read.
bool ReadCapped(const QString& path, QByteArray& bytes)
{
    const int fd = _wopen(path.toStdWString().c_str(), _O_RDONLY | _O_BINARY);
    if (fd < 0)
        return false;
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        close(fd);
        errno = EIO;
        return false;
    }
    bytes = file.read(CMsgStore::MAX_BYTES + 1);
    if (file.error() != QFileDevice::NoError) {
        errno = EIO;
        return false;
    }
    return true;
}

// A name beside the store that no one can have made before this save.
std::wstring DraftName(const std::wstring& store)
{
    GUID guid;
    wchar_t text[40] = {};
    if (FAILED(CoCreateGuid(&guid)) || StringFromGUID2(guid, text, 40) == 0)
        return std::wstring();
    return store + L"." + text + L".saving";
}

// The whole store under a name of its own, made anew; what was made is gone again on failure.
bool WriteDraft(const std::wstring& draft, const QByteArray& bytes)
{
    const HANDLE file =
        CreateFileW(draft.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const bool wrote = WriteFile(file, bytes.constData(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                       written == static_cast<DWORD>(bytes.size()) && FlushFileBuffers(file);
    if (CloseHandle(file) && wrote)
        return true;
    DeleteFileW(draft.c_str());
    return false;
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
        if (!ReadCapped(path_, bytes))
            error = errno;
    }
    if (error != 0) {
        if (error != ENOENT)
            WriteLogA("message.dat cannot be read (errno %d); the messages held are kept", error);
        return false;
    }
    QList<CMsgItemInfo> stored;
    if (bytes.size() > MAX_BYTES) {
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
    const std::wstring store = path_.toStdWString();
    QMutexLocker lock(&g_messageStoreMutex);
    const std::wstring draft = DraftName(store);
    bool saved = !draft.empty() && WriteDraft(draft, bytes);
    if (saved && !MoveFileExW(draft.c_str(), store.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        const DWORD error = GetLastError();
        DeleteFileW(draft.c_str());
        SetLastError(error);
        saved = false;
    }
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
