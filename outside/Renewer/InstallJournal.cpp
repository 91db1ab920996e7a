#include "InstallJournal.h"

#include "platform/Text.h"
#include "platform/Windows.h"

#include <cstdio>
#include <sstream>

namespace {

const wchar_t kJournalName[] = L"journal";
const char kPlaceWord[] = "place";
const char kCompleteLine[] = "complete";
// A journal of the most files a package may hold is far smaller.
constexpr DWORD kMostJournalBytes = 64u << 20;

// Bytes that would end a word or a line, the escape itself and the separator of the place's
// parts are written as %XX; everything else of the UTF-8 name stands as it is.
bool NeedsEscape(unsigned char c)
{
    return c <= 0x20 || c == 0x7F || c == '%' || c == '\\';
}

std::string Encode(const std::vector<std::wstring>& place)
{
    std::string text;
    for (const std::wstring& part : place) {
        if (!text.empty())
            text += '\\';
        for (const unsigned char c : platform::ToUtf8(part)) {
            if (NeedsEscape(c)) {
                char escaped[4];
                std::snprintf(escaped, sizeof escaped, "%%%02X", c);
                text += escaped;
            } else {
                text += static_cast<char>(c);
            }
        }
    }
    return text;
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The parts of an encoded place; false when it is no place this journal wrote.
bool Decode(const std::string& text, std::vector<std::wstring>& place)
{
    place.clear();
    std::string part;
    for (size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == '\\') {
            const std::wstring name = platform::FromUtf8(part);
            if (part.empty() || name == L"." || name == L".." || name.find_first_of(L"/\\") != std::wstring::npos)
                return false;
            place.push_back(name);
            part.clear();
        } else if (text[i] == '%') {
            const int high = i + 2 < text.size() ? HexValue(text[i + 1]) : -1;
            const int low = i + 2 < text.size() ? HexValue(text[i + 2]) : -1;
            if (high < 0 || low < 0)
                return false;
            part += static_cast<char>(high * 16 + low);
            i += 2;
        } else {
            part += text[i];
        }
    }
    return true;
}

bool ParseStep(const std::string& line, CInstallJournal::Step& step)
{
    std::istringstream words(line);
    std::string word;
    unsigned long long volume = 0;
    int kept = -1;
    std::string place;
    if (!(words >> word >> volume >> step.fileIndex >> kept >> place) || word != kPlaceWord ||
        volume > 0xFFFFFFFFull || (kept != 0 && kept != 1) || !(words >> std::ws).eof())
        return false;
    step.volume = static_cast<DWORD>(volume);
    step.kept = kept == 1;
    return Decode(place, step.place);
}

std::string ReadWhole(HANDLE file, bool& whole)
{
    LARGE_INTEGER size {};
    whole = GetFileSizeEx(file, &size) && size.QuadPart >= 0 && size.QuadPart <= kMostJournalBytes;
    if (!whole)
        return std::string();
    std::string text(static_cast<size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    whole = ReadFile(file, text.data(), static_cast<DWORD>(text.size()), &read, nullptr) && read == text.size();
    return text;
}

} // namespace

CInstallJournal::CInstallJournal(const CHeldFolder& staging)
{
    file_ = staging.CreateEntry(kJournalName, GENERIC_WRITE, FILE_CREATE, FILE_NON_DIRECTORY_FILE, FILE_ATTRIBUTE_NORMAL,
                                error_);
}

CInstallJournal::~CInstallJournal()
{
    if (file_)
        CloseHandle(file_);
}

bool CInstallJournal::Write(const Step& step)
{
    return Append(std::string(kPlaceWord) + " " + std::to_string(step.volume) + " " + std::to_string(step.fileIndex) +
                  " " + (step.kept ? "1" : "0") + " " + Encode(step.place));
}

bool CInstallJournal::Complete()
{
    return Append(kCompleteLine);
}

bool CInstallJournal::Append(const std::string& line)
{
    const std::string text = line + "\n";
    DWORD written = 0;
    if (!file_ || !WriteFile(file_, text.data(), static_cast<DWORD>(text.size()), &written, nullptr))
        return false;
    if (written != text.size()) {
        SetLastError(ERROR_DISK_FULL);
        return false;
    }
    return FlushFileBuffers(file_) != FALSE;
}

CInstallJournal::Reading CInstallJournal::Read(const CHeldFolder& staging, std::vector<Step>& steps)
{
    steps.clear();
    DWORD error = ERROR_SUCCESS;
    const HANDLE file = staging.OpenEntry(kJournalName, GENERIC_READ, FILE_NON_DIRECTORY_FILE, error);
    if (!file)
        return folder_chain::IsGone(error) ? Reading::Missing : Reading::Damaged;
    bool whole = false;
    const std::string text = ReadWhole(file, whole);
    CloseHandle(file);
    if (!whole)
        return Reading::Damaged;
    bool complete = false;
    // A last line without its end was cut short as it was written: its rename never came.
    for (size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        const std::string line = text.substr(start, end - start);
        Step step;
        if (complete)
            return Reading::Damaged;
        if (line == kCompleteLine)
            complete = true;
        else if (ParseStep(line, step))
            steps.push_back(step);
        else
            return Reading::Damaged;
    }
    return complete ? Reading::Complete : Reading::Incomplete;
}
