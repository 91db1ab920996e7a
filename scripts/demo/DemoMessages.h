// The demo machine's stored server messages, so that the message centre has something to show
// without a web service: one read, one closed, the others unread, some with links.
#pragma once

// Writes the message store of the current machine's user; false when it cannot be written.
bool MakeDemoMessages();
