// Whether the calling thread acts as another user, for the token calls.
#pragma once

namespace platform {

bool ThreadImpersonates();
void SetThreadImpersonates(bool impersonates);

} // namespace platform
