// The entry point's report of a failure that escaped the run: what the player's message says
// and what the log "error" keeps, for each kind of failure the game throws.
#include "game/screens/EscapedFailure.h"

#include "engine/core/ErrorText.h"
#include "engine/core/cString.h"
#include "platform/window/Window.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

namespace
{

struct Report
{
    std::string shown;  // the message box's text (on stderr in a run without a display)
    std::string logged; // what "error.log" gained
};

std::string readLog()
{
    std::ifstream file("error.log");
    return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

template <class Failure> Report reportOf(const Failure& failure)
{
    const std::string before = readLog();
    testing::internal::CaptureStderr();
    try
    {
        throw failure;
    }
    catch (...)
    {
        reportEscapedFailure();
    }
    Report report;
    report.shown = testing::internal::GetCapturedStderr();
    const std::string after = readLog();
    report.logged = after.size() >= before.size() ? after.substr(before.size()) : after;
    return report;
}

TEST(EscapedFailure, NarrowTextsAreShownAndWideTextsAndExceptionsOnlyLogged)
{
    const std::string restart = "\nRestart the game please.";

    const Report c = reportOf("File \"sys/constants.xml\" not found.");
    EXPECT_NE(c.shown.find("Error: File \"sys/constants.xml\" not found." + restart), std::string::npos)
        << c.shown;
    EXPECT_NE(c.logged.find("File \"sys/constants.xml\" not found." + restart), std::string::npos);
    EXPECT_EQ(Engine::getErrorString(), "File \"sys/constants.xml\" not found." + restart);

    const Report engine = reportOf(Engine::cStringA("Level file \"Levels/n3.xml\": broken."));
    EXPECT_NE(engine.shown.find("Error: Level file \"Levels/n3.xml\": broken." + restart), std::string::npos);

    const Report narrow = reportOf(std::string("a narrow text"));
    EXPECT_NE(narrow.shown.find("Error: a narrow text" + restart), std::string::npos);

    // A wide text (the loaders' Russian messages) and a standard exception: the player reads only
    // the request to restart; the text goes to the log.
    const std::wstring wide =
        L"cUnit::loadSpecificUpgrades(): \u043D\u0430 \u0443\u0440\u043E\u0432\u043D\u0435";
    const Report wideReport = reportOf(wide);
    EXPECT_NE(wideReport.shown.find("Error: " + restart), std::string::npos) << wideReport.shown;
    EXPECT_EQ(wideReport.shown.find("loadSpecificUpgrades"), std::string::npos) << wideReport.shown;
    EXPECT_NE(wideReport.logged.find("cUnit::loadSpecificUpgrades(): \xD0\xBD\xD0\xB0"), std::string::npos)
        << wideReport.logged;
    EXPECT_EQ(Engine::getErrorString(), restart);

    const Report exception = reportOf(std::runtime_error("vector::_M_range_check"));
    EXPECT_NE(exception.shown.find("Error: " + restart), std::string::npos);
    EXPECT_EQ(exception.shown.find("_M_range_check"), std::string::npos);
    EXPECT_NE(exception.logged.find("vector::_M_range_check" + restart), std::string::npos);

    const Report other = reportOf(42);
    EXPECT_NE(other.shown.find("Error: " + restart), std::string::npos);
}

// No display is nothing a restart mends: the player is told what would.
TEST(EscapedFailure, NoDisplayIsToldWhatWouldHelp)
{
    const std::string why = "No display to show the window on: the display :7 did not answer in 5 s.";
    const Report noDisplay = reportOf(Platform::NoDisplayError(why));
    const std::string advice =
        "\nStart the game from a desktop session, or set DISPLAY (or WAYLAND_DISPLAY) to a running display.";
    EXPECT_NE(noDisplay.shown.find("Error: " + why + advice + "\n"), std::string::npos) << noDisplay.shown;
    EXPECT_EQ(noDisplay.shown.find("Restart the game"), std::string::npos) << noDisplay.shown;
    EXPECT_NE(noDisplay.logged.find(why + advice), std::string::npos) << noDisplay.logged;
}

} // namespace
