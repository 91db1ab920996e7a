// What a process's message port is sent: one request per connection, a header and then, for
// WM_COPYDATA, the data; when the sender waits, the port answers with a reply.
#pragma once

#include <cstdint>

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

} // namespace platform
