#include "engine/core/cLogFile.h"

#include "engine/core/ErrorText.h"
#include "engine/core/StringUtils.h"
#include "engine/core/cString.h"

#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <cwchar>

namespace Engine
{

namespace
{

// The number of the next line written to any log of the process.
unsigned nextLineNumber()
{
    static unsigned counter = 0;
    return counter++;
}

std::tm localNow()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local;
}

// One conversion of a format: "%" flags width .precision length conversion.
struct Conversion
{
    std::string flags;
    int width = -1;
    int precision = -1;
    std::string length;    // in the C library's spelling: "", "hh", "h", "l", "ll", "j", "z", "t", "L"
    bool wideText = false; // an explicit "l"/"w" or "h" decides the width of %s and %c
    bool narrowText = false;
};

bool isFlag(wchar_t c)
{
    return c == L'-' || c == L'+' || c == L' ' || c == L'#' || c == L'0' || c == L'\'';
}

// Reads a decimal number; stops growing at a bound so a silly width cannot overflow.
int readNumber(const std::wstring& format, size_t& i)
{
    int value = 0;
    while (i < format.size() && format[i] >= L'0' && format[i] <= L'9')
    {
        if (value < 100000000)
            value = value * 10 + (format[i] - L'0');
        ++i;
    }
    return value;
}

void readLength(const std::wstring& format, size_t& i, Conversion& conversion)
{
    auto next = [&](const wchar_t* text)
    {
        const size_t n = std::wcslen(text);
        if (format.compare(i, n, text) != 0)
            return false;
        i += n;
        return true;
    };
    if (next(L"hh"))
        conversion.length = "hh";
    else if (next(L"h"))
    {
        conversion.length = "h";
        conversion.narrowText = true;
    }
    else if (next(L"ll") || next(L"q") || next(L"I64") || next(L"L"))
        conversion.length = "ll";
    else if (next(L"l") || next(L"w"))
    {
        conversion.length = "l";
        conversion.wideText = true;
    }
    else if (next(L"j"))
        conversion.length = "j";
    else if (next(L"I32"))
        conversion.length = "";
    else if (next(L"z") || next(L"I"))
        conversion.length = "z";
    else if (next(L"t"))
        conversion.length = "t";
}

std::wstring widenAscii(const std::string& text)
{
    return std::wstring(text.begin(), text.end());
}

// Formats one number through the C library, whose output for numbers is plain ASCII.
template <class T>
std::wstring formatNumber(const Conversion& conversion, const char* length, wchar_t type, T value)
{
    std::string format = "%" + conversion.flags;
    if (conversion.width >= 0)
        format += std::to_string(conversion.width);
    if (conversion.precision >= 0)
        format += "." + std::to_string(conversion.precision);
    format += length;
    format += static_cast<char>(type);
    const int size = std::snprintf(nullptr, 0, format.c_str(), value);
    if (size <= 0)
        return {};
    std::string out(static_cast<size_t>(size) + 1, '\0');
    std::snprintf(out.data(), out.size(), format.c_str(), value);
    out.resize(static_cast<size_t>(size));
    return widenAscii(out);
}

std::wstring formatSigned(const Conversion& conversion, wchar_t type, va_list& args)
{
    const std::string& length = conversion.length;
    if (length == "l")
        return formatNumber(conversion, "l", type, va_arg(args, long));
    if (length == "ll")
        return formatNumber(conversion, "ll", type, va_arg(args, long long));
    if (length == "j")
        return formatNumber(conversion, "j", type, va_arg(args, intmax_t));
    if (length == "z" || length == "t")
        return formatNumber(conversion, "t", type, va_arg(args, ptrdiff_t));
    return formatNumber(conversion, length.c_str(), type, va_arg(args, int));
}

std::wstring formatUnsigned(const Conversion& conversion, wchar_t type, va_list& args)
{
    const std::string& length = conversion.length;
    if (length == "l")
        return formatNumber(conversion, "l", type, va_arg(args, unsigned long));
    if (length == "ll")
        return formatNumber(conversion, "ll", type, va_arg(args, unsigned long long));
    if (length == "j")
        return formatNumber(conversion, "j", type, va_arg(args, uintmax_t));
    if (length == "z" || length == "t")
        return formatNumber(conversion, "z", type, va_arg(args, size_t));
    return formatNumber(conversion, length.c_str(), type, va_arg(args, unsigned));
}

std::wstring pad(std::wstring text, const Conversion& conversion)
{
    if (conversion.width > 0 && text.size() < static_cast<size_t>(conversion.width))
    {
        const size_t fill = static_cast<size_t>(conversion.width) - text.size();
        if (conversion.flags.find('-') != std::string::npos)
            text.append(fill, L' ');
        else
            text.insert(0, fill, L' ');
    }
    return text;
}

// Whether %s or %c (lower case: the format's own width) or %S or %C takes a wide argument.
bool takesWide(const Conversion& conversion, bool lowerCase, bool narrowFormat)
{
    if (conversion.wideText)
        return true;
    if (conversion.narrowText)
        return false;
    return lowerCase ? !narrowFormat : narrowFormat;
}

std::wstring formatText(const Conversion& conversion, bool wide, va_list& args)
{
    const size_t limit = conversion.precision >= 0 ? static_cast<size_t>(conversion.precision) : SIZE_MAX;
    if (wide)
    {
        const wchar_t* text = va_arg(args, const wchar_t*);
        if (!text)
            return pad(L"(null)", conversion);
        return pad(std::wstring(text, wcsnlen(text, limit)), conversion);
    }
    const char* text = va_arg(args, const char*);
    if (!text)
        return pad(L"(null)", conversion);
    return pad(fromUtf8(std::string(text, strnlen(text, limit))), conversion);
}

std::wstring formatCharacter(const Conversion& conversion, bool wide, va_list& args)
{
    const int value = va_arg(args, int);
    if (wide)
        return pad(std::wstring(1, static_cast<wchar_t>(value)), conversion);
    return pad(fromUtf8(std::string(1, static_cast<char>(value))), conversion);
}

// Formats `format` with its arguments into wide text. `narrowFormat` tells whether the format
// was given as narrow text, which decides the width of the %s and %c arguments.
std::wstring formatLine(const std::wstring& format, bool narrowFormat, va_list& args)
{
    std::wstring out;
    size_t i = 0;
    while (i < format.size())
    {
        const wchar_t c = format[i++];
        if (c != L'%')
        {
            out += c;
            continue;
        }
        const size_t start = i - 1;
        Conversion conversion;
        while (i < format.size() && isFlag(format[i]))
        {
            if (format[i] != L'\'')
                conversion.flags += static_cast<char>(format[i]);
            ++i;
        }
        if (i < format.size() && format[i] == L'*')
        {
            ++i;
            const int width = va_arg(args, int);
            if (width < 0)
                conversion.flags += '-';
            conversion.width = width == INT32_MIN ? 0 : (width < 0 ? -width : width);
        }
        else if (i < format.size() && format[i] >= L'0' && format[i] <= L'9')
            conversion.width = readNumber(format, i);
        if (i < format.size() && format[i] == L'.')
        {
            ++i;
            if (i < format.size() && format[i] == L'*')
            {
                ++i;
                const int precision = va_arg(args, int);
                conversion.precision = precision < 0 ? -1 : precision;
            }
            else
                conversion.precision = readNumber(format, i);
        }
        readLength(format, i, conversion);
        if (i >= format.size())
        {
            out += format.substr(start);
            break;
        }
        const wchar_t type = format[i++];
        switch (type)
        {
        case L'%':
            out += L'%';
            break;
        case L'd':
        case L'i':
            out += formatSigned(conversion, type, args);
            break;
        case L'o':
        case L'u':
        case L'x':
        case L'X':
            out += formatUnsigned(conversion, type, args);
            break;
        case L'e':
        case L'E':
        case L'f':
        case L'F':
        case L'g':
        case L'G':
        case L'a':
        case L'A':
            if (conversion.length == "ll")
                out += formatNumber(conversion, "L", type, va_arg(args, long double));
            else
                out += formatNumber(conversion, "", type, va_arg(args, double));
            break;
        case L'p':
            out += formatNumber(conversion, "", type, va_arg(args, void*));
            break;
        case L's':
        case L'S':
            out += formatText(conversion, takesWide(conversion, type == L's', narrowFormat), args);
            break;
        case L'c':
        case L'C':
            out += formatCharacter(conversion, takesWide(conversion, type == L'c', narrowFormat), args);
            break;
        case L'n':
            // Writing through a pointer taken from a format is never wanted in a log.
            (void)va_arg(args, void*);
            break;
        default:
            // Unknown: the argument's type cannot be told, so the text stays as written.
            out += format.substr(start, i - start);
            break;
        }
    }
    return out;
}

} // namespace

std::wstring getLogFolder()
{
    return L".";
}

cLogFile::cLogFile(const std::wstring& name, bool truncate) : m_path(getLogFolder() + L"/" + name + L".log")
{
    m_file.reset(std::fopen(toUtf8(m_path).c_str(), truncate ? "w" : "a"));
    if (!m_file)
        throw cString<std::wstring>(fromUtf8(getErrorString()) + L"Unable to open [" + m_path +
                                    L"] log file.\n");
    const std::tm now = localNow();
    char header[64];
    std::snprintf(header, sizeof header, "%02d/%02d/%04d - %02d:%02d:%02d ", now.tm_mday, now.tm_mon + 1,
                  now.tm_year + 1900, now.tm_hour, now.tm_min, now.tm_sec);
    writeBytes(header + std::string(56, '-') + "\n");
}

cLogFile::~cLogFile() = default;

void cLogFile::printf(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::wstring text;
    try
    {
        text = formatLine(fromUtf8(format ? format : ""), true, args);
    }
    catch (...)
    {
        va_end(args);
        throw;
    }
    va_end(args);
    writeLine(text);
}

void cLogFile::write(const wchar_t* format, ...)
{
    va_list args;
    va_start(args, format);
    std::wstring text;
    try
    {
        text = formatLine(format ? format : L"", false, args);
    }
    catch (...)
    {
        va_end(args);
        throw;
    }
    va_end(args);
    writeLine(text);
}

void cLogFile::writeLine(const std::wstring& text)
{
    const std::tm now = localNow();
    char prefix[48];
    std::snprintf(prefix, sizeof prefix, "[%02d:%02d:%02d - %05u]\t", now.tm_hour, now.tm_min, now.tm_sec,
                  nextLineNumber());
    std::string line = prefix;
    line += toUtf8(text);
    line += '\n';
    writeBytes(line);
}

void cLogFile::writeBytes(const std::string& bytes)
{
    // A log that cannot be written (a full disk) must not take the program down with it, least
    // of all on the fatal error path, so write errors are not reported.
    std::fwrite(bytes.data(), 1, bytes.size(), m_file.get());
    std::fflush(m_file.get());
}

} // namespace Engine
