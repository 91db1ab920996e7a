#include "JsonReply.h"

#include <cmath>
#include <cstdlib>
#include <limits>

JsonTree ParseReply(const std::string& reply)
{
    return JsonTree(cJSON_ParseWithLength(reply.data(), reply.size()));
}

const cJSON* JsonMember(const cJSON* object, const char* name)
{
    return cJSON_IsObject(object) ? cJSON_GetObjectItem(object, name) : nullptr;
}

const char* JsonText(const cJSON* object, const char* name)
{
    const cJSON* member = JsonMember(object, name);
    return cJSON_IsString(member) ? member->valuestring : nullptr;
}

bool JsonInteger(const cJSON* item, int64_t& value)
{
    if (!cJSON_IsNumber(item))
        return false;
    const double number = item->valuedouble;
    constexpr double limit = 9223372036854775807.0;
    if (std::isnan(number))
        value = 0;
    else if (number >= limit)
        value = std::numeric_limits<int64_t>::max();
    else if (number <= -limit)
        value = std::numeric_limits<int64_t>::min();
    else
        value = static_cast<int64_t>(number);
    return true;
}

int32_t Low32(int64_t value)
{
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(value)));
}

int32_t DecimalValue(const char* text)
{
    if (!text)
        return 0;
    const long long value = std::strtoll(text, nullptr, 10);
    if (value > std::numeric_limits<int32_t>::max())
        return std::numeric_limits<int32_t>::max();
    if (value < std::numeric_limits<int32_t>::min())
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);
}
