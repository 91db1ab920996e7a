#include "JunkRulesCheck.h"

#include "services/FileLocation.h"
#include "services/Language.h"

#include "common/RuleFileSize.h"

#include "platform/win/Files.h"
#include "platform/win/Handles.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QXmlStreamReader>

namespace {

constexpr DWORD kChunk = 64 * 1024;

QString Translated(const char* text) { return QCoreApplication::translate("JunkRulesCheck", text); }

QString ErrorText(DWORD error)
{
    const QString text = SystemErrorText(error, ProductLanguage().languageId).trimmed();
    return text.isEmpty() ? Translated("It cannot be read (error %1).").arg(error) : text;
}

} // namespace

QString JunkRulesProblem(const std::wstring& path)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return ErrorText(GetLastError());
    QByteArray bytes;
    QByteArray chunk(static_cast<int>(kChunk), '\0');
    DWORD read = 0;
    BOOL ok = FALSE;
    while (bytes.size() <= kLargestRuleFile && (ok = ReadFile(file, chunk.data(), kChunk, &read, nullptr)) &&
           read > 0)
        bytes.append(chunk.constData(), static_cast<int>(read));
    const DWORD error = !ok ? GetLastError() : bytes.size() > kLargestRuleFile ? ERROR_FILE_TOO_LARGE : ERROR_SUCCESS;
    CloseHandle(file);
    if (error != ERROR_SUCCESS)
        return ErrorText(error);
    if (bytes.isEmpty())
        return Translated("The file is empty.");
    QXmlStreamReader reader(bytes);
    while (!reader.atEnd())
        reader.readNext();
    if (reader.hasError())
        return Translated("The file is cut short or damaged (line %1): %2")
            .arg(reader.lineNumber())
            .arg(reader.errorString());
    return QString();
}
