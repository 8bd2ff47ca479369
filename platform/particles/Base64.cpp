#include "platform/particles/Base64.h"

namespace PyroParticles
{

namespace
{

const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int digitValue(char c)
{
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '+')
        return 62;
    if (c == '/')
        return 63;
    return -1;
}

} // namespace

bool decodeBase64(const std::string& text, std::vector<uint8_t>& out)
{
    out.clear();
    std::string digits;
    digits.reserve(text.size());
    for (char c : text)
    {
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n')
            digits.push_back(c);
    }
    if (digits.size() % 4 != 0)
        return false;
    size_t padding = 0;
    while (padding < 2 && padding < digits.size() && digits[digits.size() - 1 - padding] == '=')
        ++padding;
    out.reserve(digits.size() / 4 * 3);
    for (size_t i = 0; i < digits.size(); i += 4)
    {
        uint32_t group = 0;
        for (size_t j = 0; j < 4; ++j)
        {
            const bool isPadding = i + j >= digits.size() - padding;
            const int value = isPadding ? 0 : digitValue(digits[i + j]);
            if (value < 0)
                return false;
            group = (group << 6) | static_cast<uint32_t>(value);
        }
        out.push_back(static_cast<uint8_t>(group >> 16));
        if (i + 4 < digits.size() || padding < 2)
            out.push_back(static_cast<uint8_t>(group >> 8));
        if (i + 4 < digits.size() || padding < 1)
            out.push_back(static_cast<uint8_t>(group));
    }
    return true;
}

std::string encodeBase64(const uint8_t* data, size_t size)
{
    std::string out;
    out.reserve((size + 2) / 3 * 4);
    for (size_t i = 0; i < size; i += 3)
    {
        const size_t n = size - i < 3 ? size - i : 3;
        uint32_t group = static_cast<uint32_t>(data[i]) << 16;
        if (n > 1)
            group |= static_cast<uint32_t>(data[i + 1]) << 8;
        if (n > 2)
            group |= data[i + 2];
        out.push_back(kAlphabet[(group >> 18) & 63]);
        out.push_back(kAlphabet[(group >> 12) & 63]);
        out.push_back(n > 1 ? kAlphabet[(group >> 6) & 63] : '=');
        out.push_back(n > 2 ? kAlphabet[group & 63] : '=');
    }
    return out;
}

} // namespace PyroParticles
