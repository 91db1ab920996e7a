// Fuzz target of the shell-link reader and writer: any bytes, loaded as a ".lnk" file through the
// shell's link object, read through every call, asked for by the installer, given a new icon,
// saved and loaded again. A saved link that does not load, or that reads back otherwise than the
// link it was saved from, or anything the sanitizers see, is a finding.
#include "FuzzMachine.h"

#include "platform/Windows.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {

const wchar_t kInput[] = L"C:\\input.lnk";
const wchar_t kSaved[] = L"C:\\saved.lnk";
// Buffers of every size that matters: none to speak of, a cut one and a whole one.
const int kBufferSizes[] = {1, 7, MAX_PATH};

std::filesystem::path g_root;

// What the link object gives of a loaded link.
struct Reading_ {
    std::wstring path_;
    std::wstring description_;
    std::wstring arguments_;
    std::wstring workingDir_;
    std::wstring icon_;
    int iconIndex_ = 0;
    WORD hotKey_ = 0;
    int showCmd_ = 0;

    bool operator==(const Reading_& other) const
    {
        return path_ == other.path_ && description_ == other.description_ && arguments_ == other.arguments_ &&
               workingDir_ == other.workingDir_ && icon_ == other.icon_ && iconIndex_ == other.iconIndex_ &&
               hotKey_ == other.hotKey_ && showCmd_ == other.showCmd_;
    }
};

template <class Getter>
std::wstring Text(Getter get)
{
    std::wstring whole;
    for (const int size : kBufferSizes) {
        std::wstring buffer(static_cast<size_t>(size), L'#');
        if (FAILED(get(buffer.data(), size)))
            return std::wstring();
        whole = buffer.c_str();
    }
    return whole;
}

Reading_ Read(IShellLinkW* link)
{
    Reading_ reading;
    WIN32_FIND_DATAW found {};
    reading.path_ = Text([&](wchar_t* b, int n) { return link->GetPath(b, n, &found, 0); });
    (void)Text([&](wchar_t* b, int n) { return link->GetPath(b, n, nullptr, SLGP_SHORTPATH); });
    reading.description_ = Text([&](wchar_t* b, int n) { return link->GetDescription(b, n); });
    reading.arguments_ = Text([&](wchar_t* b, int n) { return link->GetArguments(b, n); });
    reading.workingDir_ = Text([&](wchar_t* b, int n) { return link->GetWorkingDirectory(b, n); });
    reading.icon_ = Text([&](wchar_t* b, int n) { return link->GetIconLocation(b, n, &reading.iconIndex_); });
    link->GetHotkey(&reading.hotKey_);
    link->GetShowCmd(&reading.showCmd_);
    return reading;
}

// The shell's link object, both interfaces.
struct LinkObject_ {
    IShellLinkW* link_ = nullptr;
    IPersistFile* file_ = nullptr;

    LinkObject_()
    {
        if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                    reinterpret_cast<void**>(&link_))) ||
            FAILED(link_->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file_))))
            abort();
    }
    ~LinkObject_()
    {
        file_->Release();
        link_->Release();
    }
    LinkObject_(const LinkObject_&) = delete;
    LinkObject_& operator=(const LinkObject_&) = delete;
};

void Finding(const char* what)
{
    fprintf(stderr, "%s\n", what);
    abort();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    g_root = MakeFuzzMachine();
    if (FAILED(CoInitialize(nullptr)))
        abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    {
        std::ofstream out(g_root / "drive_c" / "input.lnk", std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    wchar_t product[39] = {}, feature[MAX_FEATURE_CHARS + 1] = {}, component[39] = {};
    (void)MsiGetShortcutTargetW(kInput, product, feature, component);

    LinkObject_ loaded;
    if (FAILED(loaded.file_->Load(kInput, STGM_READWRITE)))
        return 0;
    (void)Read(loaded.link_);
    if (FAILED(loaded.link_->SetIconLocation(L"C:\\icons\\new.ico", 2)) || FAILED(loaded.file_->Save(kSaved, FALSE)))
        Finding("a link that loaded could not be saved");
    const Reading_ expected = Read(loaded.link_);

    LinkObject_ saved;
    if (FAILED(saved.file_->Load(kSaved, STGM_READ)))
        Finding("a saved link does not load");
    if (!(Read(saved.link_) == expected))
        Finding("a saved link reads back otherwise than the link it was saved from");
    return 0;
}
