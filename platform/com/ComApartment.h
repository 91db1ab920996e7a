// Whether the calling thread is in a COM apartment, for the calls that need one.
#pragma once

namespace platform {

bool InApartment();

} // namespace platform
