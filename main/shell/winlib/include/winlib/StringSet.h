// An ordered set of wide C strings that owns its strings: each is a private heap copy, freed when
// it leaves the set. Ordering ignores case; null and empty strings come first and are equal to
// each other.
#pragma once

#include <cstddef>
#include <set>

struct CStringLess {
    bool operator()(const wchar_t* a, const wchar_t* b) const;
};

class CStringSet {
public:
    CStringSet() = default;
    virtual ~CStringSet();
    CStringSet(const CStringSet&) = delete;
    CStringSet& operator=(const CStringSet&) = delete;

    virtual void Clear();
    virtual void Remove(const wchar_t* text);
    // False for null. A string equal to a stored one (ignoring case) leaves the set unchanged, so
    // the first spelling stays; an empty string is stored as a null entry.
    virtual bool Add(const wchar_t* text);
    virtual bool Contains(const wchar_t* text) const;

    using const_iterator = std::set<wchar_t*, CStringLess>::const_iterator;
    const_iterator begin() const { return strings_.begin(); }
    const_iterator end() const { return strings_.end(); }
    bool empty() const { return strings_.empty(); }
    size_t size() const { return strings_.size(); }

private:
    std::set<wchar_t*, CStringLess> strings_;
};

// Frees the old *out; a null or empty source leaves *out null, otherwise *out becomes a new copy.
// 0 only when the copy cannot be allocated.
int DupWideString(wchar_t** out, const wchar_t* source);

// The same with the two strings joined; null when either is null or empty.
int ConcatWideStrings(wchar_t** out, const wchar_t* first, const wchar_t* second);
