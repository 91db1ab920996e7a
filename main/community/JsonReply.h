// Reading the web service's JSON replies. Member names match without regard to case (cJSON's
// lookup). A member of another JSON type than the reader needs counts as missing, so a reply of
// the wrong shape is a failure code, never a crash.
#pragma once

#include <cjson/cJSON.h>

#include <cstdint>
#include <memory>
#include <string>

struct JsonTreeDeleter {
    void operator()(cJSON* tree) const { cJSON_Delete(tree); }
};
using JsonTree = std::unique_ptr<cJSON, JsonTreeDeleter>;

// Null when the reply is not JSON.
JsonTree ParseReply(const std::string& reply);

// The member of an object; null when the parent is no object or lacks it.
const cJSON* JsonMember(const cJSON* object, const char* name);

// The member's text; null when it is missing or not a JSON string.
const char* JsonText(const cJSON* object, const char* name);

// A JSON number as a 64-bit integer (fractions cut, out-of-range values held at the limits);
// false for anything else.
bool JsonInteger(const cJSON* item, int64_t& value);

// The low 32 bits of a 64-bit value: what a 32-bit field keeps of a reply's integer.
int32_t Low32(int64_t value);

// The decimal value at the start of a text as the C library's atoi reads it (leading blanks, an
// optional sign, digits up to the first other character; 0 without digits), held within 32 bits.
int32_t DecimalValue(const char* text);
