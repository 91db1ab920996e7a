#include "Paneforge/Util.h"

#include "common/ProductFolder.h"
#include "common/ProfileText.h"

#include "platform/Machine.h"
#include "platform/Windows.h"

#include <QFont>

#include <algorithm>

namespace {

const wchar_t kProductFolder[] = L"Orvane\\Quarnel\\";

// The program folder as the machine names it.
QString ProgramFolder() { return QString::fromStdWString(platform::Machine().programFolder); }

int ReadProfileInt(const std::wstring& file, const wchar_t* section, const wchar_t* key)
{
    return static_cast<int>(GetPrivateProfileIntW(section, key, 0, file.c_str()));
}

QString ReadProfileString(const std::wstring& file, const wchar_t* section, const wchar_t* key)
{
    return QString::fromStdWString(ReadProfileText(file, section, key));
}

// Qt 5's rich text reads a CSS weight w as the font weight w / 8, which makes 600 bold and 700
// extra bold; the weight is written in that scale so that each CSS weight gets its own face.
int RichTextWeight(int cssWeight)
{
    // CSS weights 100 to 900 and the font weights they stand for.
    static const int kFontWeights[] = {QFont::Thin, QFont::ExtraLight, QFont::Light, QFont::Normal, QFont::Medium,
                                       QFont::DemiBold, QFont::Bold, QFont::ExtraBold, QFont::Black};
    const int step = std::clamp(cssWeight, 100, 900) / 100 - 1;
    return kFontWeights[step] * 8;
}

} // namespace

QString Util::getDravielsResFullPath(const QString& name)
{
    return ProgramFolder() + QStringLiteral("\\res\\") + name;
}

QString Util::getDravielsTempFullPath(const QString& name)
{
    wchar_t temp[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathW(MAX_PATH + 1, temp);
    if (length == 0 || length > MAX_PATH)
        return {};
    std::wstring path = temp;
    if (path.back() != L'\\')
        path += L'\\';
    return QString::fromStdWString(path + kProductFolder + name.toStdWString());
}

QString Util::getcurappPath(const QString& name)
{
    return ProgramFolder() + QLatin1Char('\\') + name;
}

void Util::getDravielsLocalCfgInfo(S_LOCAL_CFG& cfg)
{
    cfg = S_LOCAL_CFG();
    const std::wstring file = LocalCfgPath();
    if (file.empty())
        return;
    cfg.iLogin = ReadProfileInt(file, L"cache", L"login");
    cfg.iUpdate = ReadProfileInt(file, L"cache", L"update");
    cfg.iIsQuit = ReadProfileInt(file, L"cache", L"isquit");
    cfg.strAccount = ReadProfileString(file, L"cache", L"account");
}

void Util::getDravielsNetworkCfgInfo(S_NETWORK_CFG& cfg)
{
    const std::wstring file = platform::Machine().programFolder + L"\\kyphtupdate.ini";
    cfg.iForce = ReadProfileInt(file, L"update", L"force");
    cfg.strUrl = ReadProfileString(file, L"update", L"url");
    cfg.strVersion = QStringLiteral(PANEFORGE_PRODUCT_VERSION);
    cfg.strBuild = ReadProfileString(file, L"update", L"build");
    cfg.strDes = ReadProfileString(file, L"update", L"des");
    cfg.strConfig = ReadProfileString(file, L"update", L"config");
    cfg.strWebsite = ReadProfileString(file, L"update", L"website");
}

bool Util::setDravielsCfgInfo(const QString& file, const QString& group, const QString& key,
                              const QVariant& value)
{
    const std::wstring folder = UserProductFolder(true);
    if (folder.empty() || file.isEmpty() || group.isEmpty() || key.isEmpty())
        return false;
    const std::wstring path = folder + L"\\" + file.toStdWString();
    return WritePrivateProfileStringW(group.toStdWString().c_str(), key.toStdWString().c_str(),
                                      value.toString().toStdWString().c_str(), path.c_str()) != FALSE;
}

QString Util::GetFormatString(const QString& text, const QString& family, const QString& color,
                              int size, int weight)
{
    // One substitution pass, so markers such as "%1" inside the text stay as they are.
    return QStringLiteral("<span style=\"font-family:'%1'; font-size:%2px; font-weight:%3; color:%4;\">%5</span>")
        .arg(family, QString::number(size), QString::number(RichTextWeight(weight)), color, text);
}
