#include "jex_main/Scatterscope/AnalysisHelper.h"

#include "jex_main/Scatterscope/MiscFunc.h"

#include <cctype>
#include <cstdlib>
#include <vector>

namespace {

constexpr size_t LONGEST_LINE = 511;
constexpr size_t CODE_DIGITS = 8;

struct ReportCodes {
    OpResult nothingBefore;
    OpResult nothingAfter;
    OpResult noLine;
};

constexpr ReportCodes VISTA_CODES = {MakeResult(0x12F, RESULT_SYSTEM_CALL), MakeResult(0x137, RESULT_SYSTEM_CALL),
                                     MakeResult(0x143, RESULT_SYSTEM_CALL)};
constexpr ReportCodes WIN7_CODES = {MakeResult(0x162, RESULT_SYSTEM_CALL), MakeResult(0x16A, RESULT_SYSTEM_CALL),
                                    MakeResult(0x176, RESULT_SYSTEM_CALL)};

// The lines of the output up to the first one longer than the search takes.
std::vector<std::string> Lines(const std::string& output)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < output.size()) {
        size_t end = output.find('\n', start);
        if (end == std::string::npos)
            end = output.size();
        std::string line = output.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.size() > LONGEST_LINE)
            break;
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

// The decimal number at the start of the text, blanks skipped; 0 without digits.
int LeadingNumber(const std::string& text)
{
    size_t i = text.find_first_not_of(" \t");
    int number = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i)
        number = number * 10 + (text[i] - '0');
    return number;
}

OpResult ParseBeforeVista(const std::vector<std::string>& lines, int& percent)
{
    for (const auto& line : lines) {
        if (line.find('%') == std::string::npos)
            continue;
        bool anyPiece = false;
        size_t start = 0;
        while (start <= line.size()) {
            size_t comma = line.find(',', start);
            if (comma == std::string::npos)
                comma = line.size();
            const std::string piece = line.substr(start, comma - start);
            anyPiece = anyPiece || !piece.empty();
            if (piece.find("Fragmented") != std::string::npos) {
                percent = LeadingNumber(piece);
                return RESULT_OK;
            }
            start = comma + 1;
        }
        return anyPiece ? MakeResult(0x104, RESULT_SYSTEM_CALL) : MakeResult(0xF5, RESULT_SYSTEM_CALL);
    }
    return MakeResult(0x111, RESULT_SYSTEM_CALL);
}

OpResult ParseAssignment(const std::vector<std::string>& lines, const ReportCodes& codes, int& percent)
{
    for (const auto& line : lines) {
        const size_t equals = line.find('=');
        if (line.find('%') == std::string::npos || equals == std::string::npos)
            continue;
        if (equals == 0)
            return codes.nothingBefore;
        const size_t next = line.find('=', equals + 1);
        const std::string value =
            line.substr(equals + 1, next == std::string::npos ? std::string::npos : next - equals - 1);
        if (value.empty())
            return codes.nothingAfter;
        percent = LeadingNumber(value);
        return RESULT_OK;
    }
    return codes.noLine;
}

} // namespace

OpResult CheckOutput(const std::string& output)
{
    bool vistaOrLater = false, win7OrLater = false;
    OpResult result = IsVistaOrLater(vistaOrLater);
    if (IsFailure(result) || !vistaOrLater)
        return result;
    result = IsWin7OrLater(win7OrLater);
    if (IsFailure(result))
        return result;
    if (!win7OrLater) {
        const bool cancelled = output.find("Defragmentation was cancelled by the user.") != std::string::npos;
        return cancelled ? MakeResult(0x2AD, RESULT_CANCELLED) : RESULT_OK;
    }
    const size_t code = output.find("(0x");
    if (code == std::string::npos || output.size() - (code + 3) <= CODE_DIGITS)
        return RESULT_OK;
    const std::string digits = output.substr(code + 3, CODE_DIGITS);
    return std::strtoul(digits.c_str(), nullptr, 16) != 0 ? MakeResult(0x2C8, RESULT_SYSTEM_CALL) : RESULT_OK;
}

OpResult ParseFragmentation(const std::string& output, int& percent)
{
    bool vistaOrLater = false, win7OrLater = false;
    OpResult result = IsVistaOrLater(vistaOrLater);
    if (!IsFailure(result) && vistaOrLater)
        result = IsWin7OrLater(win7OrLater);
    if (IsFailure(result))
        return result;
    const std::vector<std::string> lines = Lines(output);
    if (!vistaOrLater)
        return ParseBeforeVista(lines, percent);
    return ParseAssignment(lines, win7OrLater ? WIN7_CODES : VISTA_CODES, percent);
}
