// The failed writes the player hears of: each file once in a run, in the order its writes first
// failed, one at a time, whenever the listener comes; every failure logged.
#include "engine/core/SaveFailures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace
{

using Engine::eSavedFile;

TEST(SaveFailures, EachFileThatCannotBeWrittenIsHeardOnceInTheOrderItFirstFailed)
{
    Engine::resetSaveFailures();
    std::vector<eSavedFile> heard;
    int depth = 0;
    int deepest = 0;
    // Before anyone listens: heard once the listener comes.
    Engine::reportSaveFailure(eSavedFile::settings, "settings");
    Engine::reportSaveFailure(eSavedFile::settings, "settings again");
    Engine::setSaveFailureListener(
        [&](eSavedFile file, const std::string&)
        {
            deepest = std::max(deepest, ++depth);
            heard.push_back(file);
            // Telling the player may fail to write another file: heard after this one.
            if (file == eSavedFile::profileList)
                Engine::reportSaveFailure(eSavedFile::values, "values while told");
            --depth;
        });
    Engine::reportSaveFailure(eSavedFile::profileList, "list");
    Engine::reportSaveFailure(eSavedFile::profileList, "list again");
    Engine::reportSaveFailure(eSavedFile::values, "values again");
    Engine::reportSaveFailure(eSavedFile::bestTimes, "best times");
    Engine::reportSaveFailure(eSavedFile::settings, "settings a third time");
    Engine::setSaveFailureListener({});
    Engine::reportSaveFailure(eSavedFile::unfinishedLevel, "no one listens");

    EXPECT_EQ(heard, (std::vector<eSavedFile>{eSavedFile::settings, eSavedFile::profileList,
                                              eSavedFile::values, eSavedFile::bestTimes}));
    EXPECT_EQ(deepest, 1) << "one at a time";
    EXPECT_EQ(Engine::saveFailureCount(), 9) << "every failure is logged";
    Engine::resetSaveFailures();
}

} // namespace
