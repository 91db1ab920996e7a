#include "RegistryImport.h"

#include "RegFileParser.h"

#include "platform/Text.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

namespace platform::registry {

bool ReadRegFile(const std::string& hostPath, std::wstring& text, std::wstring& error)
{
    std::ifstream in(hostPath, std::ios::binary);
    std::ostringstream bytes;
    if (in)
        bytes << in.rdbuf();
    if (!in || in.bad()) {
        error = L"cannot read " + FromUtf8(hostPath) + L": " + FromUtf8(std::strerror(errno));
        return false;
    }
    const std::string content = bytes.str();
    if (content.compare(0, 2, "\xFF\xFE") == 0)
        text = FromUtf16LEBytes(content.data() + 2, content.size() - 2);
    else
        text = FromUtf8(content.compare(0, 3, "\xEF\xBB\xBF") == 0 ? content.substr(3) : content);
    return true;
}

bool ImportInto(RegistryStore& store, const std::wstring& text, std::wstring& error)
{
    std::vector<RegChange> changes;
    if (!ParseRegText(text, changes, error))
        return false;
    for (const RegChange& change : changes) {
        bool created = false;
        switch (change.kind) {
        case RegChange::CreateKey: store.Create(change.key, created); break;
        case RegChange::DeleteKey: store.DeleteTree(change.key); break;
        case RegChange::SetValue: store.SetValue(store.Create(change.key, created), change.name, change.type, change.data); break;
        case RegChange::DeleteValue:
            if (const auto id = store.Find(change.key))
                store.DeleteValue(*id, change.name);
            break;
        }
    }
    return true;
}

} // namespace platform::registry
