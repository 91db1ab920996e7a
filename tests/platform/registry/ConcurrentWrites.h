// The writes each thread or process of the concurrency tests makes: DWORD values "<prefix><i>"
// (value i) in HKCU\Software\Concurrency, and a key "<prefix>\<i>" below it, for i < count.
#pragma once

#include <string>

namespace registry_test {

constexpr const wchar_t* kConcurrencyKey = L"Software\\Concurrency";

// The number of writes that failed.
int WriteConcurrently(const std::wstring& prefix, int count);

} // namespace registry_test
