// The named events through which other processes reach the running main window: an elevated copy
// listens on the first and comes forward, a copy without administrator rights listens on the
// second and quits.
#pragma once

inline constexpr wchar_t kShowAdminEvent[] = L"Global\\ORVANE Draviels Show Admin";
inline constexpr wchar_t kShowNotAdminEvent[] = L"Global\\ORVANE Draviels Show Not Admin";
