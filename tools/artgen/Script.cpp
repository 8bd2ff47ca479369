#include "tools/artgen/Script.h"

#include <cctype>
#include <sstream>
#include <stdexcept>

namespace ArtGen
{

namespace
{

struct Line
{
    int number;
    std::string keyword;
    std::string rest;
};

std::string trim(const std::string& text)
{
    size_t first = 0;
    while (first < text.size() && std::isspace(static_cast<unsigned char>(text[first])))
        ++first;
    size_t last = text.size();
    while (last > first && std::isspace(static_cast<unsigned char>(text[last - 1])))
        --last;
    return text.substr(first, last - first);
}

std::string withoutComment(const std::string& text)
{
    bool quoted = false;
    for (size_t i = 0; i < text.size(); ++i)
    {
        if (text[i] == '"')
            quoted = !quoted;
        else if (!quoted && text[i] == '#' &&
                 (i == 0 || std::isspace(static_cast<unsigned char>(text[i - 1]))))
            return text.substr(0, i);
    }
    return text;
}

std::vector<Line> splitLines(const std::string& text)
{
    std::vector<Line> lines;
    std::istringstream in(text);
    std::string raw;
    std::string joined;
    int number = 0;
    int first = 0;
    while (std::getline(in, raw))
    {
        ++number;
        std::string part = trim(withoutComment(raw));
        if (joined.empty())
            first = number;
        const bool continues = !part.empty() && part.back() == '\\';
        if (continues)
            part.pop_back();
        joined += joined.empty() ? part : " " + part;
        if (continues)
            continue;
        const std::string statement = trim(joined);
        joined.clear();
        if (statement.empty())
            continue;
        const size_t space = statement.find_first_of(" \t");
        Line line{first, statement.substr(0, space),
                  space == std::string::npos ? "" : trim(statement.substr(space))};
        lines.push_back(line);
    }
    if (!joined.empty())
        lines.push_back({first, trim(joined), ""});
    return lines;
}

class Builder
{
public:
    Builder(std::vector<Line> lines, const std::string& file) : m_lines(std::move(lines)), m_file(file) {}

    std::vector<Statement> all()
    {
        std::vector<Statement> out = block(nullptr);
        return out;
    }

private:
    [[noreturn]] void fail(int line, const std::string& reason) const
    {
        throw std::runtime_error(m_file + ":" + std::to_string(line) + ": " + reason);
    }

    // Reads statements up to the "end" (or "else"/"elif" of an "if") closing `opener`, or to the
    // end of the file at the top level.
    std::vector<Statement> block(const Statement* opener)
    {
        std::vector<Statement> list;
        while (m_at < m_lines.size())
        {
            const Line& line = m_lines[m_at];
            if (line.keyword == "end" || line.keyword == "else" || line.keyword == "elif")
            {
                if (!opener)
                    fail(line.number, "\"" + line.keyword + "\" without a block to close");
                if (line.keyword != "end" && opener->keyword != "if")
                    fail(line.number,
                         "\"" + line.keyword + "\" inside \"" + opener->keyword + "\", not \"if\"");
                return list;
            }
            ++m_at;
            Statement statement;
            statement.file = m_file;
            statement.line = line.number;
            statement.keyword = line.keyword;
            statement.rest = line.rest;
            if (opensBlock(line.keyword))
                readBody(statement);
            list.push_back(std::move(statement));
        }
        if (opener)
            fail(opener->line, "\"" + opener->keyword + "\" has no \"end\"");
        return list;
    }

    void readBody(Statement& statement)
    {
        statement.body = block(&statement);
        if (m_at >= m_lines.size())
            fail(statement.line, "\"" + statement.keyword + "\" has no \"end\"");
        const Line& closing = m_lines[m_at++];
        if (closing.keyword == "else")
        {
            statement.otherwise = block(&statement);
            if (m_at >= m_lines.size() || m_lines[m_at].keyword != "end")
                fail(closing.number, "\"else\" has no \"end\"");
            ++m_at;
        }
        else if (closing.keyword == "elif")
        {
            Statement nested;
            nested.file = m_file;
            nested.line = closing.number;
            nested.keyword = "if";
            nested.rest = closing.rest;
            readBody(nested);
            statement.otherwise.push_back(std::move(nested));
        }
    }

    std::vector<Line> m_lines;
    std::string m_file;
    size_t m_at = 0;
};

} // namespace

std::string Statement::where() const
{
    return file + ":" + std::to_string(line) + ": ";
}

bool opensBlock(const std::string& keyword)
{
    return keyword == "part" || keyword == "sheet" || keyword == "scene" || keyword == "for" ||
           keyword == "if" || keyword == "group" || keyword == "under" || keyword == "over";
}

std::vector<Statement> parseScript(const std::string& text, const std::string& shownName)
{
    return Builder(splitLines(text), shownName).all();
}

} // namespace ArtGen
