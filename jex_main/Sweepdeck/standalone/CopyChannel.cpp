#include "CopyChannel.h"

#include "platform/Machine.h"
#include "platform/win/Process.h"

#include <QCryptographicHash>
#include <QDataStream>
#include <QLocalServer>

namespace {

constexpr int kWaitMs = 2000;
constexpr qint64 kAnswerBytes = 5; // visible flag, process id

} // namespace

QString CopyChannelName()
{
    const QByteArray root = QByteArray::fromStdString(platform::Machine().root);
    return QStringLiteral("orvane-jex-cleanup-") +
           QString::fromLatin1(QCryptographicHash::hash(root, QCryptographicHash::Sha1).toHex().left(16));
}

CCopyChannelServer::CCopyChannelServer(std::function<bool()> visibleNow, QObject* parent)
    : QObject(parent), server(new QLocalServer(this)), visible(std::move(visibleNow))
{
    connect(server, &QLocalServer::newConnection, this, &CCopyChannelServer::OnConnection);
}

bool CCopyChannelServer::Listen()
{
    // Only the copy holding the instance mutex listens, so a name still there is a dead copy's.
    QLocalServer::removeServer(CopyChannelName());
    return server->listen(CopyChannelName());
}

void CCopyChannelServer::OnConnection()
{
    while (QLocalSocket* socket = server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        QByteArray answer;
        QDataStream stream(&answer, QIODevice::WriteOnly);
        stream << static_cast<quint8>(visible() ? 1 : 0) << static_cast<quint32>(GetCurrentProcessId());
        socket->write(answer);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket]() {
            char request = CopyShow;
            // One byte per connection; more is ignored.
            if (socket->read(&request, 1) == 1) {
                socket->readAll();
                emit requested(static_cast<unsigned char>(request));
            }
        });
    }
}

bool CCopyChannelClient::Connect()
{
    socket.connectToServer(CopyChannelName());
    if (!socket.waitForConnected(kWaitMs))
        return false;
    while (socket.bytesAvailable() < kAnswerBytes)
        if (!socket.waitForReadyRead(kWaitMs))
            return false;
    QDataStream stream(socket.read(kAnswerBytes));
    quint8 shown = 0;
    stream >> shown >> processId;
    visible = shown != 0;
    return true;
}

bool CCopyChannelClient::Send(CopyRequest request)
{
    const char byte = request;
    if (socket.write(&byte, 1) != 1 || !socket.waitForBytesWritten(kWaitMs))
        return false;
    socket.disconnectFromServer();
    return true;
}
