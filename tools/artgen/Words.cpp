#include "tools/artgen/Words.h"

#include "tools/artgen/Expression.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>

namespace ArtGen
{

namespace
{

// How deep colour names may lead through variables before the chain is taken for a loop.
constexpr int kMaxDepth = 64;

} // namespace

const std::string* Words::Arguments::take(const std::string& key)
{
    const auto found = options.find(key);
    if (found == options.end())
        return nullptr;
    taken.insert(key);
    return &found->second;
}

void Words::Arguments::finish() const
{
    for (const auto& option : options)
        if (!taken.count(option.first))
            throw std::runtime_error("unknown option " + option.first + "=");
}

Words::Words(const Palette& palette, const Variables& variables) : m_palette(palette), m_variables(variables)
{
}

std::vector<std::string> Words::split(const std::string& text)
{
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    bool quoted = false;
    for (const char c : text)
    {
        if (!quoted && std::isspace(static_cast<unsigned char>(c)))
        {
            if (inWord)
                words.push_back(word);
            word.clear();
            inWord = false;
            continue;
        }
        if (c == '"')
            quoted = !quoted;
        word += c;
        inWord = true;
    }
    if (quoted)
        throw std::runtime_error("a quote is not closed: " + text);
    if (inWord)
        words.push_back(word);
    return words;
}

bool Words::isName(const std::string& text)
{
    if (text.empty() || !(std::isalpha(static_cast<unsigned char>(text[0])) || text[0] == '_'))
        return false;
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; });
}

// "key=value" (not a comparison such as "a==b").
bool Words::splitOption(const std::string& token, std::string& key, std::string& value)
{
    const size_t equals = token.find('=');
    if (equals == std::string::npos || equals == 0 || equals + 1 >= token.size() || token[equals + 1] == '=')
        return false;
    key = token.substr(0, equals);
    if (!isName(key))
        return false;
    value = token.substr(equals + 1);
    return true;
}

std::vector<std::string> Words::splitCommas(const std::string& text)
{
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;)
    {
        const size_t comma = text.find(',', start);
        parts.push_back(text.substr(start, comma - start));
        if (comma == std::string::npos)
            return parts;
        start = comma + 1;
    }
}

Words::Arguments Words::arguments(const std::string& rest) const
{
    Arguments args;
    for (const std::string& token : split(substitute(rest)))
    {
        std::string key;
        std::string value;
        if (splitOption(token, key, value))
        {
            if (args.options.count(key))
                throw std::runtime_error(key + "= is given twice");
            args.options[key] = value;
        }
        else
            args.positional.push_back(token);
    }
    return args;
}

std::string Words::substitute(const std::string& text) const
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i)
    {
        if (text[i] != '$')
        {
            out += text[i];
            continue;
        }
        size_t start = i + 1;
        size_t end = start;
        const bool braced = start < text.size() && text[start] == '{';
        if (braced)
        {
            // "${a_${b}}": the inside is put together first, so a name may be made of values.
            int depth = 1;
            start = end = start + 1;
            while (end < text.size() && depth > 0)
            {
                if (text[end] == '{')
                    ++depth;
                else if (text[end] == '}' && --depth == 0)
                    break;
                ++end;
            }
            if (end >= text.size())
                throw std::runtime_error("\"${\" has no \"}\"");
        }
        else
            while (end < text.size() &&
                   (std::isalnum(static_cast<unsigned char>(text[end])) || text[end] == '_'))
                ++end;
        const std::string name =
            braced ? substitute(text.substr(start, end - start)) : text.substr(start, end - start);
        const Value* value = m_variables.find(name);
        if (!value)
            throw std::runtime_error("$" + name + " is not set");
        out += value->text();
        i = braced ? end : end - 1;
    }
    return out;
}

std::string Words::resolveColour(const std::string& token) const
{
    return resolveColourFrom(token, 0);
}

std::string Words::resolveColourFrom(const std::string& token, int depth) const
{
    // "wood+(i%2*8)": a change worked out from an expression in brackets.
    const size_t open = token.find('(');
    if (open != std::string::npos && open > 0 &&
        (token[open - 1] == '+' || token[open - 1] == '-' || token[open - 1] == '@'))
    {
        int level = 0;
        size_t close = open;
        for (; close < token.size(); ++close)
            if (token[close] == '(')
                ++level;
            else if (token[close] == ')' && --level == 0)
                break;
        if (close >= token.size())
            throw std::runtime_error("\"" + token + "\" has no \")\"");
        double amount = evaluateNumber(token.substr(open + 1, close - open - 1), m_variables);
        std::string prefix = token.substr(0, open);
        if (amount < 0.0 && prefix.back() != '@')
        {
            prefix.back() = prefix.back() == '+' ? '-' : '+';
            amount = -amount;
        }
        return resolveColourFrom(prefix + Value::of(amount).text() + token.substr(close + 1), depth);
    }

    size_t length = 0;
    while (length < token.size() && token[length] != '+' && token[length] != '-' && token[length] != '@')
        ++length;
    const std::string name = token.substr(0, length);
    if (m_palette.has(name))
        return token;
    const Value* value = m_variables.find(name);
    if (value && value->isWord && value->word != name && depth < kMaxDepth)
        return resolveColourFrom(value->word, depth + 1) + token.substr(length);
    return token;
}

bool Words::isColour(const std::string& token) const
{
    if (token.empty() || !std::isalpha(static_cast<unsigned char>(token[0])))
        return false;
    return m_palette.isColourToken(resolveColour(token));
}

Value Words::argument(const std::string& token) const
{
    // A word in quotes stays as it is written ("damageIdle,damageRepair").
    if (token.size() >= 2 && token.front() == '"' && token.back() == '"')
        return Value::ofWord(token.substr(1, token.size() - 2));
    if (isColour(token))
        return Value::ofWord(resolveColour(token));
    return evaluate(token, m_variables);
}

double Words::style(const char* name, double fallback) const
{
    const Value* value = m_variables.find(name);
    return value ? value->asNumber() : fallback;
}

} // namespace ArtGen
