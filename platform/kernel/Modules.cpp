#include "platform/win/Module.h"

#include "platform/Machine.h"
#include "platform/Text.h"
#include "platform/win/Errors.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <functional>
#include <link.h>
#include <map>
#include <memory>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct BuiltinModule {
    std::wstring fileName;                    // "kernel32.dll"
    std::map<std::string, FARPROC> procedures;
};

std::mutex g_mutex;
std::map<void*, int> g_loads; // host modules handed out, with the loads FreeLibrary may undo

std::wstring BaseName(const std::wstring& path) { return path.substr(path.find_last_of(L"\\/") + 1); }

bool HasDllSuffix(const std::wstring& name)
{
    return name.size() > 4 && platform::EqualsIgnoringCase(name.substr(name.size() - 4), L".dll");
}

// Built-in modules by their upper-case name without ".dll"; they live as long as the process.
std::map<std::wstring, std::unique_ptr<BuiltinModule>>& Builtins()
{
    static auto* builtins = [] {
        auto* made = new std::map<std::wstring, std::unique_ptr<BuiltinModule>>;
        for (const wchar_t* name : {L"kernel32.dll", L"ntdll.dll"})
            (*made)[platform::UpperCase(std::wstring(name).substr(0, std::wcslen(name) - 4))].reset(
                new BuiltinModule {name, {}});
        return made;
    }();
    return *builtins;
}

std::wstring BuiltinKey(const std::wstring& name)
{
    std::wstring base = BaseName(name);
    if (HasDllSuffix(base))
        base.erase(base.size() - 4);
    return platform::UpperCase(base);
}

BuiltinModule* FindBuiltin(const std::wstring& name)
{
    const auto found = Builtins().find(BuiltinKey(name));
    return found == Builtins().end() ? nullptr : found->second.get();
}

BuiltinModule* BuiltinOf(HMODULE module)
{
    for (auto& [key, builtin] : Builtins())
        if (builtin.get() == module)
            return builtin.get();
    return nullptr;
}

bool IsBuiltin(HMODULE module)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    return BuiltinOf(module) != nullptr;
}

void* ProgramHandle()
{
    static void* program = dlopen(nullptr, RTLD_NOW);
    return program;
}

bool IsRegularFile(const std::string& path)
{
    struct stat st {};
    return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// Hands use the real path of each place "X.dll" may be, in the order Windows' search would reach
// the same places (the program folder, then the path as given, with ".so" for ".dll", then
// unchanged), until use takes one; whether one was taken. A name without an extension means
// "X.dll", one ending in "." has none. A place is looked at only when those before it were not
// taken.
bool TakeCandidate(std::wstring name, const std::function<bool(const char* path)>& use)
{
    const std::wstring base = BaseName(name);
    if (!base.empty() && base.back() == L'.')
        name.pop_back();
    else if (base.find(L'.') == std::wstring::npos)
        name += L".dll";
    const std::wstring hostName = HasDllSuffix(name) ? name.substr(0, name.size() - 4) + L".so" : name;
    for (const std::wstring& place : {platform::Machine().programFolder + L"\\" + BaseName(hostName), hostName, name}) {
        const std::string candidate = platform::HostPath(place);
        char real[PATH_MAX];
        if (IsRegularFile(candidate) && realpath(candidate.c_str(), real) && use(real))
            return true;
    }
    return false;
}

// A module of the name already in the process, without a load counted; null when none is.
void* LoadedModule(const std::wstring& name)
{
    void* handle = nullptr;
    TakeCandidate(name, [&](const char* path) {
        if ((handle = dlopen(path, RTLD_NOW | RTLD_NOLOAD)))
            dlclose(handle);
        return handle != nullptr;
    });
    return handle;
}

// Counts one more load of a module already in the process.
bool AddLoad(void* handle)
{
    link_map* map = nullptr;
    return dlinfo(handle, RTLD_DI_LINKMAP, &map) == 0 && map && dlopen(map->l_name, RTLD_NOW | RTLD_NOLOAD);
}

void Remember(void* handle, int loads)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    g_loads[handle] += loads;
}

bool IsKnownHostModule(void* handle)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    return handle == ProgramHandle() || g_loads.count(handle);
}

// The running program's path. A program outside the machine (a test's) is taken to lie in the
// program folder, so that code finding its companions beside the program finds them there.
std::string ProgramPath()
{
    // The path the program was started from, as Windows keeps a module's: read once.
    static const std::string exe = [] {
        char buffer[PATH_MAX];
        const ssize_t n = readlink("/proc/self/exe", buffer, sizeof(buffer) - 1);
        return std::string(buffer, n > 0 ? static_cast<size_t>(n) : 0);
    }();
    const std::string folder = platform::ProgramFolder();
    if (exe.substr(0, exe.rfind('/')) == folder || !platform::WindowsPath(exe).empty())
        return exe;
    return folder + exe.substr(exe.rfind('/'));
}

bool ModulePath(HMODULE module, std::wstring& path)
{
    if (!module || module == ProgramHandle()) {
        path = platform::WindowsPath(ProgramPath());
        return true;
    }
    std::lock_guard<std::mutex> lock(g_mutex);
    if (const BuiltinModule* builtin = BuiltinOf(module)) {
        path = L"C:\\Windows\\System32\\" + builtin->fileName;
        return true;
    }
    link_map* map = nullptr;
    if (!g_loads.count(module) || dlinfo(module, RTLD_DI_LINKMAP, &map) != 0 || !map) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return false;
    }
    path = platform::WindowsPath(map->l_name);
    // A module loaded from outside the machine (only a test does that) is named as if it lay in
    // the program folder, so that no host path reaches a Windows caller.
    if (path.empty())
        path = platform::Machine().programFolder + L"\\" + BaseName(platform::FromUtf8(map->l_name));
    return true;
}

// Windows' copy-out: the whole text when it fits, else size - 1 units, terminated, and size.
template <class Char>
DWORD CopyOut(const std::basic_string<Char>& text, Char* buffer, DWORD size)
{
    if (!buffer || size == 0) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    if (text.size() < size) {
        std::memcpy(buffer, text.c_str(), (text.size() + 1) * sizeof(Char));
        return static_cast<DWORD>(text.size());
    }
    std::memcpy(buffer, text.data(), (size - 1) * sizeof(Char));
    buffer[size - 1] = 0;
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return size;
}

} // namespace

namespace platform {

void RegisterBuiltinProcedure(const wchar_t* module, const char* name, FARPROC proc)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    auto& builtin = Builtins()[BuiltinKey(module)];
    if (!builtin)
        builtin.reset(new BuiltinModule {BaseName(module), {}});
    builtin->procedures[name] = proc;
}

} // namespace platform

HMODULE LoadLibraryExW(LPCWSTR fileName, HANDLE, DWORD)
{
    if (!fileName || !*fileName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        if (BuiltinModule* builtin = FindBuiltin(fileName))
            return builtin;
    }
    // Bound at once, as Windows binds a module's imports when it loads: a module that imports what
    // no loaded library has fails the load, rather than end the program when that is first called.
    void* handle = nullptr;
    if (TakeCandidate(fileName, [&](const char* path) { return (handle = dlopen(path, RTLD_NOW | RTLD_LOCAL)) != nullptr; })) {
        Remember(handle, 1);
        return handle;
    }
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
}

HMODULE LoadLibraryW(LPCWSTR fileName) { return LoadLibraryExW(fileName, nullptr, 0); }

HMODULE LoadLibraryA(LPCSTR fileName)
{
    return fileName ? LoadLibraryW(platform::FromUtf8(fileName).c_str()) : LoadLibraryW(nullptr);
}

BOOL FreeLibrary(HMODULE module)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    if (module && (module == ProgramHandle() || BuiltinOf(module)))
        return TRUE;
    const auto found = g_loads.find(module);
    if (found == g_loads.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (found->second > 0) {
        dlclose(module);
        if (--found->second == 0)
            g_loads.erase(found);
    }
    return TRUE;
}

FARPROC GetProcAddress(HMODULE module, LPCSTR procName)
{
    if (reinterpret_cast<uintptr_t>(procName) < 0x10000) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        if (const BuiltinModule* builtin = BuiltinOf(module)) {
            const auto found = builtin->procedures.find(procName);
            if (found != builtin->procedures.end())
                return found->second;
            SetLastError(ERROR_PROC_NOT_FOUND);
            return nullptr;
        }
    }
    void* handle = module ? module : ProgramHandle();
    if (!IsKnownHostModule(handle)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    void* symbol = dlsym(handle, procName);
    if (!symbol)
        SetLastError(ERROR_PROC_NOT_FOUND);
    return reinterpret_cast<FARPROC>(symbol);
}

HMODULE GetModuleHandleW(LPCWSTR moduleName)
{
    if (!moduleName)
        return ProgramHandle();
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        if (BuiltinModule* builtin = FindBuiltin(moduleName))
            return builtin;
    }
    void* handle = LoadedModule(moduleName);
    if (!handle) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    Remember(handle, 0);
    return handle;
}

BOOL GetModuleHandleExW(DWORD flags, LPCWSTR moduleName, HMODULE* module)
{
    if (!module) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *module = nullptr;
    void* handle = nullptr;
    if (flags & GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS) {
        Dl_info info {};
        if (!dladdr(moduleName, &info) || !info.dli_fname) {
            SetLastError(ERROR_MOD_NOT_FOUND);
            return FALSE;
        }
        // The program itself does not answer to its own path.
        handle = dlopen(info.dli_fname, RTLD_NOW | RTLD_NOLOAD);
        if (handle)
            dlclose(handle);
        else
            handle = ProgramHandle();
    } else {
        handle = GetModuleHandleW(moduleName);
        if (!handle)
            return FALSE;
    }
    const bool counted = !(flags & GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT) && handle != ProgramHandle() &&
                         !IsBuiltin(handle) && AddLoad(handle);
    if (!IsBuiltin(handle))
        Remember(handle, counted ? 1 : 0);
    *module = handle;
    return TRUE;
}

DWORD GetModuleFileNameW(HMODULE module, LPWSTR fileName, DWORD size)
{
    std::wstring path;
    return ModulePath(module, path) ? CopyOut(path, fileName, size) : 0;
}

DWORD GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size)
{
    std::wstring path;
    if (!ModulePath(module, path))
        return 0;
    std::string text = platform::ToUtf8(path);
    if (text.size() >= size && size > 0) {
        // cut at a character's start, not inside one
        size_t cut = size - 1;
        while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
            --cut;
        text.resize(cut);
        CopyOut(text, fileName, size);
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return size;
    }
    return CopyOut(text, fileName, size);
}
