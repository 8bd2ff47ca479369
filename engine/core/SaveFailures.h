#pragma once

#include <functional>
#include <string>

namespace Engine
{

// The player's files whose writes can fail: what the player is told cannot be saved.
enum class eSavedFile
{
    settings,
    // The settings, whose file could not be read: it is left as it is, not written in this run.
    settingsUnread,
    profileList,
    // The current player's values: the levels reached, medals and choices.
    values,
    bestTimes,
    unfinishedLevel,
};

// A write of the player's files that did not happen (a full disk, a folder that cannot be
// written, a file that must not be replaced): the text goes to the log "files", and the first
// failure of each file in the run goes to the listener with the file it left unsaved, which
// tells the player (a file failing again is not told again). The program goes on either way,
// and the files already on disk stay as they were.
void reportSaveFailure(eSavedFile file, const std::string& text);

// Sets who hears of each file's first failure (at once of those that came before and were not
// heard yet), one file at a time; an empty function takes the listener away.
void setSaveFailureListener(std::function<void(eSavedFile file, const std::string& text)> listener);

// The failures reported in this run.
int saveFailureCount();

// Starts the count again, as at the start of a run (tests run many in one process).
void resetSaveFailures();

} // namespace Engine
