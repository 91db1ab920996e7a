// The attribute of a usage event is a small JSON object text. Values from the machine or the user
// (paths, descriptions, replies) may hold quotes, backslashes or line breaks, so attributes are
// built here with every key and value escaped, and are always valid JSON.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>

// The text as a JSON string, with its double quotes: quote, backslash and control characters
// escaped; other bytes (UTF-8) pass unchanged.
std::string JsonQuote(std::string_view text);

// How a member's key and value meet. Each event keeps the form its receivers know: most are compact,
// the account, update and result events put a blank after the colon.
enum class InfoMemberForm {
    Compact, // "key":"value"
    Spaced,  // "key": "value"
};

// {"key":"value","key2":"value2"} in the given order; members are joined by a bare comma in both forms.
std::string MakeInfoAttribute(std::initializer_list<std::pair<std::string_view, std::string_view>> members,
                              InfoMemberForm form = InfoMemberForm::Compact);
