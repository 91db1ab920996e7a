#include "winlib/StringSet.h"

#include "platform/Windows.h"

#include <cwchar>
#include <new>

namespace {

bool IsEmpty(const wchar_t* text)
{
    return !text || text[0] == L'\0';
}

// A heap copy of the parts joined, or null when it cannot be allocated.
wchar_t* JoinedCopy(const wchar_t* first, const wchar_t* second)
{
    const size_t firstLength = std::wcslen(first);
    const size_t secondLength = second ? std::wcslen(second) : 0;
    auto* copy = new (std::nothrow) wchar_t[firstLength + secondLength + 1];
    if (!copy)
        return nullptr;
    std::wmemcpy(copy, first, firstLength);
    if (secondLength)
        std::wmemcpy(copy + firstLength, second, secondLength);
    copy[firstLength + secondLength] = L'\0';
    return copy;
}

// Frees *out and makes it a copy of the parts joined (null when the first is empty); 0 only when
// the copy cannot be allocated.
int ReplaceWith(wchar_t** out, const wchar_t* first, const wchar_t* second)
{
    delete[] *out;
    *out = nullptr;
    if (IsEmpty(first))
        return 1;
    *out = JoinedCopy(first, second);
    return *out ? 1 : 0;
}

} // namespace

bool CStringLess::operator()(const wchar_t* a, const wchar_t* b) const
{
    if (IsEmpty(b))
        return false;
    return IsEmpty(a) || _wcsicmp(a, b) < 0;
}

CStringSet::~CStringSet()
{
    Clear();
}

void CStringSet::Clear()
{
    for (wchar_t* text : strings_)
        delete[] text;
    strings_.clear();
}

void CStringSet::Remove(const wchar_t* text)
{
    const auto found = strings_.find(const_cast<wchar_t*>(text));
    if (found == strings_.end())
        return;
    wchar_t* stored = *found;
    strings_.erase(found);
    delete[] stored;
}

bool CStringSet::Add(const wchar_t* text)
{
    if (!text)
        return false;
    wchar_t* copy = nullptr;
    if (!IsEmpty(text) && !(copy = JoinedCopy(text, nullptr)))
        return false;
    if (!strings_.insert(copy).second)
        delete[] copy;
    return true;
}

bool CStringSet::Contains(const wchar_t* text) const
{
    return text && strings_.count(const_cast<wchar_t*>(text)) > 0;
}

int DupWideString(wchar_t** out, const wchar_t* source)
{
    return ReplaceWith(out, source, nullptr);
}

int ConcatWideStrings(wchar_t** out, const wchar_t* first, const wchar_t* second)
{
    return ReplaceWith(out, IsEmpty(second) ? nullptr : first, second);
}
