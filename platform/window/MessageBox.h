#pragma once

#include <string>

namespace Platform
{

class Window;

enum class MessageBoxIcon
{
    Error,
    Warning, // the exclamation icon
    Information,
};

// Shows a modal message box and waits until it is dismissed. The box is shown by a process of
// its own that ends with the program: a signal that ends the program (or interrupts it while it
// waits) takes the box away first. A box given an `owner` that is on the screen (shown, not
// minimised) belongs to it, as a dialog of that window: a window manager keeps it above the
// owner, even one in full screen that it keeps above other windows, and it stands over the
// owner's middle. Without an owner the box is the screen's own. When the environment variable
// QUILLMOOR_HEADLESS is set (to anything, even empty), when no display is available, or when
// the box cannot be shown, writes "caption: text" (the text alone when the caption repeats it)
// and a line break to stderr instead and returns at once, so a run without a person in front of
// it never blocks.
void showMessageBox(const std::string& caption, const std::string& text,
                    MessageBoxIcon icon = MessageBoxIcon::Warning, const Window* owner = nullptr);
// The same with wide texts (converted to UTF-8).
void showMessageBox(const std::wstring& caption, const std::wstring& text,
                    MessageBoxIcon icon = MessageBoxIcon::Warning);

// True when message boxes go to stderr (QUILLMOOR_HEADLESS set or no display).
bool messageBoxesAreHeadless();

} // namespace Platform
