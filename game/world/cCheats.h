#pragma once

#include <boost/signals2/connection.hpp>

// The developer's typed words: listens to every typed character from its creation on. No
// word is defined in this game, so nothing a player types changes anything.
class cCheats
{
public:
    // Built on first use (the level start), connected to the input's character signal when
    // input exists.
    static cCheats& instance();

    cCheats(const cCheats&) = delete;
    cCheats& operator=(const cCheats&) = delete;
    ~cCheats();

    // Drops the input connection (before the input goes at shutdown).
    void shutdown();

private:
    cCheats();
    void onChar(wchar_t c);

    boost::signals2::connection m_connection;
};
