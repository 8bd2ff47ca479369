#pragma once

#include <string>

namespace Platform
{

enum class MessageBoxIcon
{
    Error,
    Warning, // the exclamation icon
    Information,
};

// Shows a modal message box with no owner window and waits until it is dismissed. The box is
// shown by a process of its own that ends with the program: a signal that ends the program (or
// interrupts it while it waits) takes the box away first. When the environment variable
// QUILLMOOR_HEADLESS is set (to anything, even empty), when no display is available, or when
// the box cannot be shown, writes "caption: text" (the text alone when the caption repeats it)
// and a line break to stderr instead and returns at once, so a run without a person in front of
// it never blocks.
void showMessageBox(const std::string& caption, const std::string& text,
                    MessageBoxIcon icon = MessageBoxIcon::Warning);
// The same with wide texts (converted to UTF-8).
void showMessageBox(const std::wstring& caption, const std::wstring& text,
                    MessageBoxIcon icon = MessageBoxIcon::Warning);

// True when message boxes go to stderr (QUILLMOOR_HEADLESS set or no display).
bool messageBoxesAreHeadless();

} // namespace Platform
