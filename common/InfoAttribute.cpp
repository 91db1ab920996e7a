#include "common/InfoAttribute.h"

#include <cstdio>

std::string JsonQuote(std::string_view text)
{
    std::string quoted = "\"";
    for (const char c : text) {
        switch (c) {
        case '"': quoted += "\\\""; break;
        case '\\': quoted += "\\\\"; break;
        case '\b': quoted += "\\b"; break;
        case '\f': quoted += "\\f"; break;
        case '\n': quoted += "\\n"; break;
        case '\r': quoted += "\\r"; break;
        case '\t': quoted += "\\t"; break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
                quoted += escaped;
            } else {
                quoted += c;
            }
        }
    }
    return quoted + "\"";
}

std::string MakeInfoAttribute(std::initializer_list<std::pair<std::string_view, std::string_view>> members,
                              InfoMemberForm form)
{
    const char* const colon = form == InfoMemberForm::Spaced ? ": " : ":";
    std::string attribute = "{";
    for (const auto& [key, value] : members) {
        if (attribute.size() > 1)
            attribute += ',';
        attribute += JsonQuote(key) + colon + JsonQuote(value);
    }
    return attribute + "}";
}
