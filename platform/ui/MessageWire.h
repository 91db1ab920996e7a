// What a process's message port is sent: one request per connection, a header and then, for
// WM_COPYDATA, the data; when the sender waits, the port answers with a reply. Who may send is
// the kernel's word on the sender, never anything the sender says.
#pragma once

#include <cstdint>
#include <optional>
#include <sys/socket.h>
#include <sys/types.h>

namespace platform {

constexpr uint32_t kMessageMagic = 0x4D574751; // "QGWM"
constexpr uint32_t kLongestCopy = 16u * 1024u * 1024u;
constexpr uint32_t kWantsReply = 1;

struct MessageRequest {
    uint32_t magic;
    uint32_t flags;
    uint32_t localId;
    uint32_t message;
    uint64_t wParam;
    int64_t lParam;  // WM_COPYDATA: 0, the data follows
    uint64_t dwData;
    uint32_t cbData;
    uint32_t reserved;
};

struct MessageReply {
    int64_t result;
    uint32_t delivered; // 0: no window of the port's process has the id
    uint32_t reserved;
};

// A port hears only senders of its own rights or more: root, or its own user, as Windows keeps a
// less privileged program's messages from an elevated window.
inline bool IsHeard(uid_t sender, uid_t receiver) { return sender == 0 || sender == receiver; }

// The process at the other end of a connected socket, as the kernel names it: the connecting
// process at connect() for an accepted socket, the listening process at listen() for a connected one.
inline std::optional<ucred> PeerCredentials(int fd)
{
    ucred peer {};
    socklen_t size = sizeof(peer);
    if (getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0 || size != sizeof(peer))
        return std::nullopt;
    return peer;
}

} // namespace platform
