#include "ResPath.h"

#include "platform/Windows.h"

namespace {

// The executable's folder, not the library's: pictures ship beside the program.
QString ProgramFolderOnce()
{
    static const QString folder = [] {
        wchar_t path[MAX_PATH] = {};
        const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
        const std::wstring text(path, length < MAX_PATH ? length : 0);
        const size_t slash = text.rfind(L'\\');
        return QString::fromStdWString(slash == std::wstring::npos ? std::wstring() : text.substr(0, slash));
    }();
    return folder;
}

} // namespace

QString GetResPath(const QString& file, const QString& folder)
{
    return ProgramFolderOnce() + QLatin1Char('\\') + folder + QStringLiteral("\\Jex\\") + file;
}
