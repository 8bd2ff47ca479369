#include "tools/artgen/Value.h"

#include <cmath>
#include <cstdio>
#include <stdexcept>

namespace ArtGen
{

Value Value::of(double number)
{
    Value value;
    value.number = number;
    return value;
}

Value Value::ofWord(const std::string& word)
{
    Value value;
    value.isWord = true;
    value.word = word;
    return value;
}

double Value::asNumber() const
{
    if (isWord)
        throw std::runtime_error("\"" + word + "\" is not a number");
    return number;
}

std::string Value::text() const
{
    if (isWord)
        return word;
    if (number == std::floor(number) && std::fabs(number) < 1e15)
        return std::to_string(static_cast<long long>(number));
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.6g", number);
    return buffer;
}

bool Value::operator==(const Value& other) const
{
    if (isWord != other.isWord)
        return false;
    return isWord ? word == other.word : number == other.number;
}

Variables::Variables() : m_frames(1) {}

void Variables::push()
{
    m_frames.emplace_back();
}

void Variables::pop()
{
    if (m_frames.size() > 1)
        m_frames.pop_back();
}

void Variables::set(const std::string& name, const Value& value)
{
    m_frames.back()[name] = value;
}

const Value* Variables::find(const std::string& name) const
{
    for (auto frame = m_frames.rbegin(); frame != m_frames.rend(); ++frame)
    {
        const auto found = frame->find(name);
        if (found != frame->end())
            return &found->second;
    }
    return nullptr;
}

double Variables::number(const std::string& name) const
{
    const Value* value = find(name);
    if (!value)
        throw std::runtime_error(name + " is not set");
    return value->asNumber();
}

} // namespace ArtGen
