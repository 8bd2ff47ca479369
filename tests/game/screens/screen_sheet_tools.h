#pragma once

// The screens a run of the real program passes, kept for a look at full size and laid side by
// side on one contact sheet (drawn by artgen, which the build makes for the art pack), to
// compare their look: screenshots/game_<run>_<name>.png and screenshots/<run>_contact_sheet.png
// in the build folder.

#include "tests/game/screens/display_test_tools.h"

#include <cstdlib>
#include <string>
#include <vector>

namespace DisplayTest
{

class ScreenSheet
{
public:
    explicit ScreenSheet(std::string run) : m_run(std::move(run)) {}

    // Saves the screen the program shows now as the run's screen `name`, once it shows
    // something else than the screen kept before (a panel may be drawn a frame after its state
    // settled); a picture for a look, so it is kept whether or not that comes.
    void keep(GameScreen& screen, const std::string& name) { keep(screen, name, m_last); }
    // The same, once the screen shows something else than `before` (what it showed before the
    // action that leads to this screen).
    void keep(GameScreen& screen, const std::string& name, const std::vector<uint32_t>& before)
    {
        until([&] { return screen.area(0, 0, 1024, 768) != before; }, 10.0);
        m_last = screen.area(0, 0, 1024, 768);
        const std::string shot = m_run + "_" + name;
        saveShot(screen, shot);
        m_files.push_back(std::string(QUILL_BINARY_DIR) + "/screenshots/game_" + shot + ".png");
    }

    // Lays the screens kept so far side by side; false (with `why`) when artgen failed.
    bool write(std::string& why) const
    {
        std::string command = "'" + std::string(QUILL_BINARY_DIR) + "/tools/artgen/artgen' --screens '" +
                              QUILL_BINARY_DIR + "/screenshots/" + m_run + "_contact_sheet.png'";
        for (const std::string& file : m_files)
            command += " '" + file + "'";
        if (std::system(command.c_str()) == 0)
            return true;
        why = "artgen could not lay out the screens: " + command;
        return false;
    }

    const std::vector<std::string>& files() const { return m_files; }

private:
    std::string m_run;
    std::vector<std::string> m_files;
    std::vector<uint32_t> m_last;
};

} // namespace DisplayTest
