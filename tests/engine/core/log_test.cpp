#include "engine/core/cLogFile.h"
#include "engine/core/cLogManager.h"

#include "engine/core/ErrorText.h"
#include "engine/core/cString.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>
#include <vector>

namespace
{

// Logs are written to the current folder, so every test runs in a folder of its own. The log
// manager lives for the whole program, so every test uses log names of its own.
class LogTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_previous = std::filesystem::current_path();
        std::filesystem::current_path(m_dir.path());
    }
    void TearDown() override { std::filesystem::current_path(m_previous); }

    std::string read(const std::string& file) const { return m_dir.read(file); }

    Engine::cLogManager& manager() const
    {
        Engine::cLogManager* manager = Engine::cLogManager::instance();
        EXPECT_NE(manager, nullptr);
        return *manager;
    }

    ::Test::TempDir m_dir;
    std::filesystem::path m_previous;
};

const std::regex kHeader(R"(\d{2}/\d{2}/\d{4} - \d{2}:\d{2}:\d{2} -{56})");
const std::regex kPrefix(R"(\[\d{2}:\d{2}:\d{2} - (\d{5,})\]\t)");

std::vector<std::string> splitLines(const std::string& content)
{
    std::vector<std::string> lines;
    size_t begin = 0;
    for (size_t end; (end = content.find('\n', begin)) != std::string::npos; begin = end + 1)
        lines.push_back(content.substr(begin, end - begin));
    EXPECT_EQ(begin, content.size()) << "the last line has no line end";
    return lines;
}

// Checks that a log is one header and then lines with the given texts (compared literally),
// and returns the lines' numbers.
std::vector<int> lineNumbers(const std::string& content, const std::vector<std::string>& texts)
{
    const std::vector<std::string> lines = splitLines(content);
    std::vector<int> numbers;
    if (lines.size() != texts.size() + 1)
    {
        ADD_FAILURE() << "expected " << texts.size() << " lines after the header:\n" << content;
        return numbers;
    }
    EXPECT_TRUE(std::regex_match(lines[0], kHeader)) << lines[0];
    for (size_t i = 0; i < texts.size(); ++i)
    {
        std::smatch match;
        const std::string& line = lines[i + 1];
        const size_t tab = line.find('\t');
        const std::string prefix = line.substr(0, tab + 1);
        if (tab == std::string::npos || !std::regex_match(prefix, match, kPrefix))
        {
            ADD_FAILURE() << "no line prefix: " << line;
            continue;
        }
        EXPECT_EQ(line.substr(tab + 1), texts[i]);
        numbers.push_back(std::stoi(match[1].str()));
    }
    return numbers;
}

int countHeaders(const std::string& content)
{
    int count = 0;
    for (const std::string& line : splitLines(content))
        count += std::regex_match(line, kHeader) ? 1 : 0;
    return count;
}

TEST_F(LogTest, HeaderPrefixAndOneLineCounterForAllLogs)
{
    Engine::cLogFile* first = manager().getLog(L"format_first", false);
    Engine::cLogFile* second = manager().getLog(L"format_second", false);
    first->printf("one %d", 1);
    second->write(L"two %d", 2);
    first->write(L"three");

    const std::vector<int> a = lineNumbers(read("format_first.log"), {"one 1", "three"});
    const std::vector<int> b = lineNumbers(read("format_second.log"), {"two 2"});
    ASSERT_EQ(a.size(), 2u);
    ASSERT_EQ(b.size(), 1u);
    EXPECT_EQ(b[0], a[0] + 1);
    EXPECT_EQ(a[1], a[0] + 2);
}

TEST_F(LogTest, SameNameGivesOneObjectAndOneHeader)
{
    Engine::cLogFile* log = manager().getLog(L"same", false);
    EXPECT_EQ(manager().getLog(L"same", true), log);
    log->printf("x");
    EXPECT_EQ(countHeaders(read("same.log")), 1);
    EXPECT_EQ(log->getPath(), L"./same.log");
}

TEST_F(LogTest, LongLinesReachTheFileWhole)
{
    Engine::cLogFile* log = manager().getLog(L"long", false);
    std::string narrow(10000, 'n');
    narrow.back() = 'N';
    std::wstring wide(5000, L'w');
    log->printf("%s|%d", narrow.c_str(), 7);
    log->write(L"%s", wide.c_str());
    lineNumbers(read("long.log"), {narrow + "|7", std::string(5000, 'w')});
}

TEST_F(LogTest, TextIsWrittenAsUtf8WithEngineStringConversions)
{
    // Narrow literals are UTF-8: "grüße", "été", "ñ", "€".
    const char* narrow = "gr\u00FC\u00DFe";
    const wchar_t* wide = L"\u00E9t\u00E9";
    Engine::cLogFile* log = manager().getLog(L"utf8", false);
    log->printf("%s %S %c%C", narrow, wide, 'a', L'\u00F1');
    log->write(L"%s %S %ls %hs", wide, narrow, L"\u20AC", "x");
    log->write(L"[%5s|%-4S|%.2s|%3c]", L"ab", "cd", L"xyz", L'q');
    log->write(L"%d %05.1f %x %lu %lld %% %s", -3, 2.25, 255u, 12ul, 1ll << 40,
               static_cast<wchar_t*>(nullptr));
    lineNumbers(read("utf8.log"),
                {"gr\u00FC\u00DFe \u00E9t\u00E9 a\u00F1", "\u00E9t\u00E9 gr\u00FC\u00DFe \u20AC x",
                 "[   ab|cd  |xy|  q]", "-3 002.2 ff 12 1099511627776 % (null)"});
}

TEST_F(LogTest, AppendAddsAHeaderAndTruncateStartsAfresh)
{
    {
        Engine::cLogFile log(L"reopened", false);
        log.printf("first run");
    }
    {
        Engine::cLogFile log(L"reopened", false);
        log.printf("second run");
    }
    const std::string appended = read("reopened.log");
    EXPECT_EQ(countHeaders(appended), 2);
    EXPECT_NE(appended.find("first run\n"), std::string::npos);
    EXPECT_NE(appended.find("second run\n"), std::string::npos);

    {
        Engine::cLogFile log(L"reopened", true);
        log.printf("third run");
    }
    lineNumbers(read("reopened.log"), {"third run"});
}

TEST_F(LogTest, AFileThatCannotBeOpenedThrowsAndIsNotKept)
{
    const std::string saved = Engine::getErrorString();
    Engine::getErrorString() = "earlier failure. ";
    for (int attempt = 0; attempt < 2; ++attempt)
    {
        try
        {
            manager().getLog(L"no_such_folder/broken", false);
            ADD_FAILURE() << "a log in a missing folder was opened";
        }
        catch (const Engine::cString<std::wstring>& text)
        {
            EXPECT_EQ(text, L"earlier failure. Unable to open [./no_such_folder/broken.log] log file.\n");
        }
    }
    Engine::getErrorString() = saved;
    // Once the folder exists the same name opens: the failed attempts left nothing behind.
    std::filesystem::create_directory("no_such_folder");
    manager().getLog(L"no_such_folder/broken", false)->printf("now");
    lineNumbers(read("no_such_folder/broken.log"), {"now"});
}

} // namespace
