#include "RegFileParser.h"

#include "platform/Text.h"
#include "platform/win/Errors.h"
#include "platform/win/Registry.h"

#include <optional>

namespace platform::registry {

namespace {

const wchar_t kHeader[] = L"Windows Registry Editor Version 5.00";

struct ParseError {
    std::wstring message;
};

std::wstring TrimLeft(const std::wstring& text)
{
    const size_t start = text.find_first_not_of(L" \t");
    return start == std::wstring::npos ? std::wstring() : text.substr(start);
}

std::wstring TrimRight(const std::wstring& text)
{
    const size_t end = text.find_last_not_of(L" \t\r");
    return end == std::wstring::npos ? std::wstring() : text.substr(0, end + 1);
}

int HexDigit(wchar_t c)
{
    if (c >= L'0' && c <= L'9')
        return c - L'0';
    if (c >= L'a' && c <= L'f')
        return c - L'a' + 10;
    if (c >= L'A' && c <= L'F')
        return c - L'A' + 10;
    return -1;
}

// 1 to maxDigits hex digits and nothing else.
std::optional<uint32_t> HexNumber(const std::wstring& text, size_t maxDigits)
{
    if (text.empty() || text.size() > maxDigits)
        return std::nullopt;
    uint32_t value = 0;
    for (wchar_t c : text) {
        const int digit = HexDigit(c);
        if (digit < 0)
            return std::nullopt;
        value = value * 16 + static_cast<uint32_t>(digit);
    }
    return value;
}

class RegFileParser {
public:
    explicit RegFileParser(const std::wstring& text)
    {
        size_t start = text.compare(0, 1, L"\uFEFF") == 0 ? 1 : 0;
        while (start <= text.size()) {
            size_t end = text.find(L'\n', start);
            if (end == std::wstring::npos)
                end = text.size();
            lines_.push_back(TrimRight(text.substr(start, end - start)));
            start = end + 1;
        }
    }

    std::vector<RegChange> Parse()
    {
        bool headerSeen = false;
        for (next_ = 0; next_ < lines_.size();) {
            lineNumber_ = next_ + 1;
            const std::wstring line = TrimLeft(lines_[next_++]);
            if (line.empty() || line.front() == L';')
                continue;
            if (!headerSeen) {
                if (line != kHeader)
                    Fail(std::wstring(L"not a registry file: the first line must be \"") + kHeader + L"\"");
                headerSeen = true;
            } else if (line.front() == L'[') {
                Section(line);
            } else if (line.front() == L'"' || line.front() == L'@') {
                Value(line);
            } else {
                Fail(L"neither a key section nor a value");
            }
        }
        if (!headerSeen)
            Fail(L"the text is empty");
        return std::move(changes_);
    }

private:
    [[noreturn]] void Fail(const std::wstring& what) const
    {
        throw ParseError{L"line " + std::to_wstring(lineNumber_) + L": " + what};
    }

    void Section(const std::wstring& line)
    {
        if (line.back() != L']')
            Fail(L"a key section must end with ']'");
        std::wstring name = line.substr(1, line.size() - 2);
        const bool deletion = !name.empty() && name.front() == L'-';
        if (deletion)
            name.erase(0, 1);
        const KeyPath parts = SplitKeyPath(name);
        KeyPath key = HiveKeyPath(parts.front());
        if (key.empty())
            Fail(L"unknown root key \"" + parts.front() + L"\"");
        KeyPath rest;
        const wchar_t* below = name.size() > parts.front().size() ? name.c_str() + parts.front().size() + 1 : nullptr;
        if (ParseSubKey(below, rest) != ERROR_SUCCESS)
            Fail(L"bad key name \"" + name + L"\"");
        key.insert(key.end(), rest.begin(), rest.end());
        if (deletion && HoldsPermanentKey(key, true))
            Fail(L"the key \"" + name + L"\" holds a root key and cannot be deleted");
        RegChange change;
        change.kind = deletion ? RegChange::DeleteKey : RegChange::CreateKey;
        change.key = key;
        changes_.push_back(change);
        currentKey_ = deletion ? KeyPath() : key;
    }

    void Value(const std::wstring& line)
    {
        if (currentKey_.empty())
            Fail(L"a value outside a key section");
        size_t pos = 0;
        RegChange change;
        change.key = currentKey_;
        if (line.front() == L'@')
            pos = 1;
        else
            change.name = Quoted(line, pos);
        pos = line.find_first_not_of(L" \t", pos);
        if (pos == std::wstring::npos || line[pos] != L'=')
            Fail(L"'=' expected after the value name");
        std::wstring data = TrimLeft(line.substr(pos + 1));
        if (data == L"-") {
            change.kind = RegChange::DeleteValue;
        } else {
            change.kind = RegChange::SetValue;
            Data(data, change);
        }
        changes_.push_back(std::move(change));
    }

    // A quoted text starting at pos, with \\ and \" escapes; pos ends after the closing quote.
    std::wstring Quoted(const std::wstring& line, size_t& pos) const
    {
        std::wstring text;
        for (++pos; pos < line.size(); ++pos) {
            const wchar_t c = line[pos];
            if (c == L'"') {
                ++pos;
                return text;
            }
            if (c == L'\\') {
                if (pos + 1 >= line.size() || (line[pos + 1] != L'\\' && line[pos + 1] != L'"'))
                    Fail(L"unknown escape in a quoted text (only \\\\ and \\\" are allowed)");
                ++pos;
            }
            text += line[pos];
        }
        Fail(L"a quoted text lacks its closing quote");
    }

    void Data(std::wstring& data, RegChange& change)
    {
        if (data.empty())
            Fail(L"the value data is missing");
        if (data.front() == L'"') {
            size_t pos = 0;
            const std::wstring text = Quoted(data, pos);
            if (pos != data.size())
                Fail(L"text after the closing quote");
            change.type = REG_SZ;
            change.data = ToUtf16LEBytes(text + L'\0');
        } else if (data.compare(0, 6, L"dword:") == 0) {
            const auto number = HexNumber(data.substr(6), 8);
            if (!number)
                Fail(L"a dword needs up to 8 hex digits");
            change.type = REG_DWORD;
            for (int shift = 0; shift < 32; shift += 8)
                change.data += static_cast<char>((*number >> shift) & 0xFF);
        } else if (data.compare(0, 3, L"hex") == 0) {
            Continue(data);
            Hex(data.substr(3), change);
        } else {
            Fail(L"unknown kind of value data");
        }
    }

    // Joins the lines a trailing backslash continues.
    void Continue(std::wstring& data)
    {
        while (!data.empty() && data.back() == L'\\') {
            if (next_ >= lines_.size())
                Fail(L"the last line continues into nothing");
            data.pop_back();
            data += TrimLeft(lines_[next_++]);
        }
    }

    // "(n):bytes" or ":bytes" after "hex".
    void Hex(const std::wstring& text, RegChange& change)
    {
        size_t colon = 0;
        change.type = REG_BINARY;
        if (!text.empty() && text.front() == L'(') {
            const size_t close = text.find(L')');
            const auto type = close == std::wstring::npos ? std::nullopt : HexNumber(text.substr(1, close - 1), 8);
            if (!type)
                Fail(L"hex(n) needs a hex type number");
            change.type = *type;
            colon = close + 1;
        }
        if (colon >= text.size() || text[colon] != L':')
            Fail(L"':' expected after hex");
        const std::wstring bytes = text.substr(colon + 1);
        size_t start = 0;
        while (start < bytes.size()) {
            size_t end = bytes.find(L',', start);
            if (end == std::wstring::npos)
                end = bytes.size();
            const auto byte = HexNumber(TrimRight(TrimLeft(bytes.substr(start, end - start))), 2);
            if (!byte)
                Fail(L"bad hex byte \"" + bytes.substr(start, end - start) + L"\"");
            change.data += static_cast<char>(*byte);
            start = end + 1;
        }
    }

    std::vector<std::wstring> lines_;
    size_t next_ = 0;
    size_t lineNumber_ = 0;
    KeyPath currentKey_;
    std::vector<RegChange> changes_;
};

} // namespace

bool ParseRegText(const std::wstring& text, std::vector<RegChange>& changes, std::wstring& error)
{
    try {
        changes = RegFileParser(text).Parse();
        return true;
    } catch (const ParseError& failure) {
        error = failure.message;
        return false;
    }
}

} // namespace platform::registry
