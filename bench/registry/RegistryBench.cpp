// The cost of the registry and profile calls as the store and the files grow: opening a key from
// HKEY_LOCAL_MACHINE, reading a value and closing it in a store of 10 keys and of 300,000 keys
// (a tree shaped like a Windows PC's: class registrations, services, installed programs, user
// settings), listing a key's 5,000 subkeys and 3,000 values, and reading and writing INI files of
// 24 and 560 lines beside a plain read and scan of the same file. The store is built through the
// Windows calls. Each figure is the median of several rounds in the thread's own processor time
// (user and kernel), so that other work on the host weighs less.
#include "platform/Machine.h"
#include "platform/Windows.h"
#include "support/ThreadTiming.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <cwctype>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kRounds = 5;
constexpr int kLargeStore = 300000;
constexpr int kListedSubKeys = 5000;
constexpr int kListedValues = 3000;

const wchar_t* const kQueriedKey = L"SOFTWARE\\Orvane\\Orvane Quarnel";
const wchar_t* const kServices = L"SYSTEM\\CurrentControlSet\\Services";
const wchar_t* const kSharedDlls = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
const wchar_t* const kQueriedValue = L"InstallPath";

long Repeat(int calls, const std::function<bool()>& call)
{
    for (int i = 0; i < calls; ++i)
        if (!call())
            return -1;
    return calls;
}

void Report(const char* title, double nanoseconds, const char* unit = "µs", double scale = 1e3)
{
    if (nanoseconds < 0)
        std::printf("  %-46s failed\n", title);
    else
        std::printf("  %-46s %10.2f %s\n", title, nanoseconds / scale, unit);
}

bool OpenQueryClose()
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kQueriedKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    wchar_t data[MAX_PATH];
    DWORD size = sizeof(data);
    const bool read = RegQueryValueExW(key, kQueriedValue, nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size) ==
                      ERROR_SUCCESS;
    return RegCloseKey(key) == ERROR_SUCCESS && read;
}

double OpenQueryCloseCost() { return bench::NanosecondsPerUnit(kRounds, [] { return Repeat(1000, OpenQueryClose); }); }

bool SetText(HKEY key, const std::wstring& name, const std::wstring& text)
{
    return RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

bool SetNumber(HKEY key, const std::wstring& name, DWORD value)
{
    return RegSetValueExW(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value)) ==
           ERROR_SUCCESS;
}

// Makes the keys of a large store through the Windows calls, counting them.
class StoreBuilder {
public:
    // The key below parent (closed by the caller), or nullptr after a failure.
    HKEY Create(HKEY parent, const std::wstring& path)
    {
        HKEY key = nullptr;
        DWORD disposition = 0;
        if (RegCreateKeyExW(parent, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, &disposition) !=
            ERROR_SUCCESS) {
            ok_ = false;
            return nullptr;
        }
        if (disposition == REG_CREATED_NEW_KEY && ++made_ % 20000 == 0)
            std::fprintf(stderr, "  ... %d keys made\n", made_);
        return key;
    }

    // Makes a leaf key with a value or two and closes it.
    void Leaf(HKEY parent, const std::wstring& path, const std::wstring& value)
    {
        if (HKEY key = Create(parent, path)) {
            ok_ = SetText(key, L"", value) && ok_;
            RegCloseKey(key);
        }
    }

    int Made() const { return made_; }
    bool Ok() const { return ok_; }
    void Fail() { ok_ = false; }

private:
    int made_ = 0;
    bool ok_ = true;
};

std::wstring Guid(int n)
{
    wchar_t text[64];
    std::swprintf(text, 64, L"{%08X-%04X-%04X-%04X-%012X}", 0x1F2E3D4Cu * static_cast<unsigned>(n + 1),
                  (n * 7919) & 0xFFFF, (n * 104729) & 0xFFFF, n & 0xFFFF, static_cast<unsigned>(n) * 2654435761u);
    return text;
}

// Makes about `total` keys in a tree shaped like a PC's registry: 5,000 services with parameters,
// 3,000 shared DLLs counted in one key, installed programs, per-user settings of many vendors, and
// class registrations (a key, its server and its ProgID per class) for the rest. The number of
// keys made, or -1 after a failure.
int BuildLargeStore(int total)
{
    StoreBuilder builder;
    HKEY services = builder.Create(HKEY_LOCAL_MACHINE, kServices);
    for (int i = 0; services && i < kListedSubKeys; ++i) {
        HKEY service = builder.Create(services, L"Service" + std::to_wstring(i));
        if (!service)
            break;
        builder.Leaf(service, L"Parameters", L"");
        if (!SetNumber(service, L"Start", 2) || !SetText(service, L"ImagePath", L"C:\\Windows\\System32\\svc.exe"))
            builder.Fail();
        RegCloseKey(service);
    }
    RegCloseKey(services);

    HKEY shared = builder.Create(HKEY_LOCAL_MACHINE, kSharedDlls);
    for (int i = 0; shared && i < kListedValues; ++i)
        if (!SetNumber(shared, L"C:\\Program Files\\Common Files\\Vendor" + std::to_wstring(i) + L"\\lib.dll", 1))
            builder.Fail();
    RegCloseKey(shared);

    HKEY uninstall = builder.Create(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall");
    for (int i = 0; uninstall && i < 1500; ++i)
        builder.Leaf(uninstall, L"Program " + std::to_wstring(i), L"Program " + std::to_wstring(i));
    RegCloseKey(uninstall);

    for (int vendor = 0; vendor < 400; ++vendor) {
        HKEY software = builder.Create(HKEY_CURRENT_USER, L"Software\\Vendor " + std::to_wstring(vendor));
        for (int product = 0; software && product < 10; ++product)
            builder.Leaf(software, L"Product " + std::to_wstring(product) + L"\\Settings", L"1");
        RegCloseKey(software);
    }

    HKEY classes = builder.Create(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Classes\\CLSID");
    for (int n = 0; classes && builder.Ok() && builder.Made() < total; ++n) {
        HKEY entry = builder.Create(classes, Guid(n));
        if (!entry)
            break;
        builder.Leaf(entry, L"InprocServer32", L"C:\\Windows\\System32\\component" + std::to_wstring(n) + L".dll");
        builder.Leaf(entry, L"ProgID", L"Component.Class." + std::to_wstring(n));
        RegCloseKey(entry);
    }
    RegCloseKey(classes);
    return builder.Ok() ? builder.Made() : -1;
}

// Lists a key of HKLM through next(key, index) to its end; 1 when it held `expected` items.
long ListAll(const wchar_t* path, long expected, const std::function<LSTATUS(HKEY, DWORD)>& next)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return -1;
    long listed = 0;
    LSTATUS status = ERROR_SUCCESS;
    while ((status = next(key, static_cast<DWORD>(listed))) == ERROR_SUCCESS)
        ++listed;
    RegCloseKey(key);
    return status == ERROR_NO_MORE_ITEMS && listed == expected ? 1 : -1;
}

long ListSubKeys()
{
    return ListAll(kServices, kListedSubKeys, [](HKEY key, DWORD index) {
        wchar_t name[256];
        DWORD chars = 256;
        FILETIME written {};
        return RegEnumKeyExW(key, index, name, &chars, nullptr, nullptr, nullptr, &written);
    });
}

long ListValues()
{
    return ListAll(kSharedDlls, kListedValues, [](HKEY key, DWORD index) {
        wchar_t name[MAX_PATH];
        DWORD chars = MAX_PATH;
        DWORD type = 0;
        BYTE data[64];
        DWORD size = sizeof(data);
        return RegEnumValueW(key, index, name, &chars, nullptr, &type, data, &size);
    });
}

// An INI file of `lines` lines in sections of ten keys and a blank line; the key asked for is the
// file's last one, which a scan reaches last.
struct IniSample {
    std::string text;
    std::wstring section;
    std::wstring key;
};

IniSample MakeIni(int lines)
{
    IniSample sample;
    std::ostringstream text;
    int written = 0;
    for (int section = 0; written < lines; ++section) {
        text << "[Section" << section << "]\r\n";
        sample.section = L"Section" + std::to_wstring(section);
        ++written;
        for (int key = 0; key < 10 && written < lines - 1; ++key, ++written) {
            text << "Key" << key << "=value of key " << key << " in section " << section << "\r\n";
            sample.key = L"Key" + std::to_wstring(key);
        }
        text << "\r\n";
        ++written;
    }
    sample.text = text.str();
    return sample;
}

std::string Lower(const std::string& text)
{
    std::string lower = text;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    return lower;
}

std::string Trimmed(const std::string& text)
{
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// What a program would do without the profile functions: read the whole file and scan its lines.
bool NaiveRead(const std::string& path, const std::string& section, const std::string& key, std::string& value)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::stringstream bytes;
    bytes << in.rdbuf();
    const std::string wantedSection = "[" + Lower(section) + "]";
    const std::string wantedKey = Lower(key);
    bool inSection = false;
    std::string line;
    while (std::getline(bytes, line)) {
        const std::string trimmed = Trimmed(line);
        if (!trimmed.empty() && trimmed.front() == '[') {
            inSection = Lower(trimmed) == wantedSection;
            continue;
        }
        const auto equals = trimmed.find('=');
        if (inSection && equals != std::string::npos && Lower(Trimmed(trimmed.substr(0, equals))) == wantedKey) {
            value = Trimmed(trimmed.substr(equals + 1));
            return true;
        }
    }
    return false;
}

void ProfileFigures(int lines)
{
    const std::wstring file = L"C:\\Windows\\bench" + std::to_wstring(lines) + L".ini";
    const std::string host = platform::HostPath(file);
    const IniSample sample = MakeIni(lines);
    std::ofstream(host, std::ios::binary) << sample.text;
    const std::wstring& section = sample.section;
    const std::string narrowSection(section.begin(), section.end());
    const std::string narrowKey(sample.key.begin(), sample.key.end());
    const double profile = bench::NanosecondsPerUnit(kRounds, [&] {
        return Repeat(2000, [&] {
            wchar_t value[128];
            return GetPrivateProfileStringW(section.c_str(), sample.key.c_str(), L"", value, 128, file.c_str()) > 0;
        });
    });
    const double naive = bench::NanosecondsPerUnit(kRounds, [&] {
        return Repeat(2000, [&] {
            std::string value;
            return NaiveRead(host, narrowSection, narrowKey, value);
        });
    });
    const std::string title = "GetPrivateProfileStringW, " + std::to_string(lines) + " lines";
    Report(title.c_str(), profile);
    Report("  naive read and scan of the same file", naive);
    std::printf("  %-46s %10.2fx\n", "  ratio", profile / naive);
    int round = 0;
    const double write = bench::NanosecondsPerUnit(kRounds, [&] {
        return Repeat(200, [&] {
            const std::wstring value = L"written " + std::to_wstring(++round);
            return WritePrivateProfileStringW(section.c_str(), sample.key.c_str(), value.c_str(), file.c_str()) != FALSE;
        });
    });
    Report(("WritePrivateProfileStringW, " + std::to_string(lines) + " lines").c_str(), write);
}

} // namespace

// The optional argument names the folder to work in (default /tmp).
int main(int argc, char** argv)
{
    std::string pattern = std::string(argc > 1 ? argv[1] : "/tmp") + "/quarnel-registry-bench-XXXXXX";
    if (!mkdtemp(pattern.data()))
        return 1;
    const std::string root = pattern;
    setenv("QUARNEL_MACHINE", root.c_str(), 1);
    platform::ReloadMachine();

    HKEY product = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kQueriedKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &product, nullptr) !=
            ERROR_SUCCESS ||
        !SetText(product, kQueriedValue, L"C:\\Program Files (x86)\\Orvane\\Orvane Quarnel"))
        return 1;
    RegCloseKey(product);

    std::printf("Registry and profile calls (thread processor time; medians of %d rounds)\n", kRounds);
    // the keys every store starts with and the two of the queried key (in the 32-bit view)
    Report("open+query+close from HKLM, 12 keys", OpenQueryCloseCost());
    const double started = bench::ThreadNanoseconds();
    const int made = BuildLargeStore(kLargeStore);
    if (made < 0) {
        std::printf("  the large store could not be built\n");
        return 1;
    }
    Report("building the large store, per key", (bench::ThreadNanoseconds() - started) / made);
    const std::string large = "open+query+close from HKLM, " + std::to_string(made + 12) + " keys";
    Report(large.c_str(), OpenQueryCloseCost());
    Report("listing 5,000 subkeys (RegEnumKeyExW)", bench::NanosecondsPerUnit(kRounds, ListSubKeys), "ms", 1e6);
    Report("listing 3,000 values (RegEnumValueW)", bench::NanosecondsPerUnit(kRounds, ListValues), "ms", 1e6);
    ProfileFigures(24);
    ProfileFigures(560);
    fs::remove_all(root);
    return 0;
}
