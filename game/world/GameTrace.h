#pragma once

#include <boost/function.hpp>

#include <string>

// The program's trace: one line for each step of its states and of the level worth telling
// (a level loaded, a goal queued, a tip shown), which tests and tools wait on instead of on
// fixed pauses. Lines go to the sink a test installs, else to the standard error stream while
// the environment variable QUILLMOOR_TRACE is set, else nowhere.
//
// It lives with the rules, the lowest layer of the game, so that every layer can write to it;
// the state machine (CGameEngine) listens, as whatever is traced changes what the screen shows.
class GameTrace
{
public:
    using Sink = boost::function<void(const std::wstring&)>;
    using Listener = boost::function<void()>;

    // Writes one line (the line ends in "\n").
    static void write(const wchar_t* line);
    // Where lines go instead of the standard error stream; an empty sink puts it back.
    static void setSink(const Sink& sink);
    // Told of every line, before the line is written; an empty listener is none.
    static void setListener(const Listener& listener);
};
