#include "tools/artgen/Expression.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <vector>

namespace ArtGen
{

namespace
{

constexpr double kDegree = 3.14159265358979323846 / 180.0;

uint64_t mix(uint64_t x)
{
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

class Parser
{
public:
    Parser(const std::string& text, const Variables& variables) : m_text(text), m_variables(variables) {}

    Value run()
    {
        const Value value = orExpression();
        skipSpace();
        if (m_at != m_text.size())
            fail("unexpected \"" + m_text.substr(m_at) + "\"");
        return value;
    }

private:
    [[noreturn]] void fail(const std::string& reason) const
    {
        throw std::runtime_error("in \"" + m_text + "\": " + reason);
    }

    void skipSpace()
    {
        while (m_at < m_text.size() && std::isspace(static_cast<unsigned char>(m_text[m_at])))
            ++m_at;
    }

    bool take(const char* symbol)
    {
        skipSpace();
        const size_t length = std::char_traits<char>::length(symbol);
        if (m_text.compare(m_at, length, symbol) != 0)
            return false;
        // "<" must not take the first half of "<=", nor "=" of "==".
        if (length == 1 && m_at + 1 < m_text.size() && m_text[m_at + 1] == '=' &&
            (symbol[0] == '<' || symbol[0] == '>' || symbol[0] == '!'))
            return false;
        m_at += length;
        return true;
    }

    double number(const Value& value) const
    {
        try
        {
            return value.asNumber();
        }
        catch (const std::runtime_error& error)
        {
            fail(error.what());
        }
    }

    static Value truth(bool value) { return Value::of(value ? 1.0 : 0.0); }

    Value orExpression()
    {
        Value left = andExpression();
        while (take("||"))
        {
            const Value right = andExpression();
            left = truth(number(left) != 0.0 || number(right) != 0.0);
        }
        return left;
    }

    Value andExpression()
    {
        Value left = comparison();
        while (take("&&"))
        {
            const Value right = comparison();
            left = truth(number(left) != 0.0 && number(right) != 0.0);
        }
        return left;
    }

    Value comparison()
    {
        const Value left = sum();
        if (take("=="))
            return truth(left == sum());
        if (take("!="))
            return truth(!(left == sum()));
        if (take("<="))
            return truth(number(left) <= number(sum()));
        if (take(">="))
            return truth(number(left) >= number(sum()));
        if (take("<"))
            return truth(number(left) < number(sum()));
        if (take(">"))
            return truth(number(left) > number(sum()));
        return left;
    }

    Value sum()
    {
        Value left = product();
        for (;;)
        {
            if (take("+"))
                left = Value::of(number(left) + number(product()));
            else if (take("-"))
                left = Value::of(number(left) - number(product()));
            else
                return left;
        }
    }

    Value product()
    {
        Value left = unary();
        for (;;)
        {
            if (take("*"))
                left = Value::of(number(left) * number(unary()));
            else if (take("/"))
            {
                const double divisor = number(unary());
                if (divisor == 0.0)
                    fail("division by zero");
                left = Value::of(number(left) / divisor);
            }
            else if (take("%"))
            {
                const double divisor = number(unary());
                if (divisor == 0.0)
                    fail("division by zero");
                const double value = std::fmod(number(left), divisor);
                left = Value::of(value < 0.0 ? value + std::fabs(divisor) : value);
            }
            else
                return left;
        }
    }

    Value unary()
    {
        if (take("-"))
            return Value::of(-number(unary()));
        if (take("+"))
            return Value::of(number(unary()));
        if (take("!"))
            return truth(number(unary()) == 0.0);
        return primary();
    }

    Value primary()
    {
        skipSpace();
        if (m_at >= m_text.size())
            fail("a value is missing");
        const char c = m_text[m_at];
        if (take("("))
        {
            const Value inner = orExpression();
            if (!take(")"))
                fail("\")\" is missing");
            return inner;
        }
        if (std::isdigit(static_cast<unsigned char>(c)) || c == '.')
        {
            const char* start = m_text.c_str() + m_at;
            char* end = nullptr;
            const double value = std::strtod(start, &end);
            if (end == start)
                fail("bad number");
            m_at += static_cast<size_t>(end - start);
            return Value::of(value);
        }
        if (std::isalpha(static_cast<unsigned char>(c)) || c == '_')
        {
            const size_t start = m_at;
            while (m_at < m_text.size() &&
                   (std::isalnum(static_cast<unsigned char>(m_text[m_at])) || m_text[m_at] == '_'))
                ++m_at;
            const std::string name = m_text.substr(start, m_at - start);
            if (take("("))
                return call(name);
            if (const Value* value = m_variables.find(name))
                return *value;
            return Value::ofWord(name);
        }
        fail(std::string("unexpected \"") + c + "\"");
    }

    Value call(const std::string& name)
    {
        std::vector<double> args;
        if (!take(")"))
        {
            do
                args.push_back(number(orExpression()));
            while (take(","));
            if (!take(")"))
                fail("\")\" is missing after the arguments of " + name);
        }
        const auto need = [&](size_t count)
        {
            if (args.size() != count)
                fail(name + " takes " + std::to_string(count) + " argument(s)");
        };
        if (name == "sin" || name == "cos" || name == "abs" || name == "floor" || name == "ceil" ||
            name == "round" || name == "sqrt" || name == "frac" || name == "tri")
        {
            need(1);
            const double x = args[0];
            if (name == "sin")
                return Value::of(std::sin(x * kDegree));
            if (name == "cos")
                return Value::of(std::cos(x * kDegree));
            if (name == "abs")
                return Value::of(std::fabs(x));
            if (name == "floor")
                return Value::of(std::floor(x));
            if (name == "ceil")
                return Value::of(std::ceil(x));
            if (name == "round")
                return Value::of(std::floor(x + 0.5));
            if (name == "sqrt")
            {
                if (x < 0.0)
                    fail("sqrt of a negative number");
                return Value::of(std::sqrt(x));
            }
            const double f = x - std::floor(x);
            if (name == "frac")
                return Value::of(f);
            return Value::of(1.0 - std::fabs(2.0 * f - 1.0));
        }
        if (name == "atan2")
        {
            need(2);
            return Value::of(std::atan2(args[0], args[1]) / kDegree);
        }
        if (name == "pow")
        {
            need(2);
            return Value::of(std::pow(args[0], args[1]));
        }
        if (name == "min" || name == "max")
        {
            if (args.empty())
                fail(name + " needs arguments");
            return Value::of(name == "min" ? *std::min_element(args.begin(), args.end())
                                           : *std::max_element(args.begin(), args.end()));
        }
        if (name == "clamp")
        {
            need(3);
            return Value::of(std::min(args[2], std::max(args[1], args[0])));
        }
        if (name == "lerp")
        {
            need(3);
            return Value::of(args[0] + (args[1] - args[0]) * args[2]);
        }
        if (name == "rand")
            return Value::of(hashUnit(args.data(), args.size()));
        fail("unknown function " + name);
    }

    const std::string& m_text;
    const Variables& m_variables;
    size_t m_at = 0;
};

} // namespace

Value evaluate(const std::string& text, const Variables& variables)
{
    return Parser(text, variables).run();
}

double evaluateNumber(const std::string& text, const Variables& variables)
{
    const Value value = evaluate(text, variables);
    if (value.isWord)
        throw std::runtime_error("\"" + text + "\" is not a number");
    return value.number;
}

double hashUnit(const double* values, size_t count)
{
    uint64_t state = 0x2545F4914F6CDD1Dull ^ count;
    for (size_t i = 0; i < count; ++i)
    {
        // Rounded to thousandths, so that 0.1 + 0.2 and 0.3 scatter alike.
        const auto fixed = static_cast<int64_t>(std::llround(values[i] * 1000.0));
        state = mix(state ^ static_cast<uint64_t>(fixed));
    }
    return static_cast<double>(mix(state) >> 11) / 9007199254740992.0;
}

} // namespace ArtGen
