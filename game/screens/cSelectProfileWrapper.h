#pragma once

#include "engine/ui/cSelectProfile.h"

#include <string>

namespace Engine
{
class cYesNo;
}

// The player selection of the main menu: the engine's selection dialog living in a dialog
// state. It ends by hiding itself (OK, Exit, Escape, Cancel), which pops its dialog state; the
// state then lets it go. The delete question keeps the dialog on screen, disabled, behind it.
class cSelectProfileWrapper : public Engine::cSelectProfile
{
public:
    // Loaded at once with `loadNow`; the exit button stays visible. `parent` is the tree parent
    // (none for the dialog state's panel).
    explicit cSelectProfileWrapper(Engine::cControl* parent, bool loadNow = true);
    ~cSelectProfileWrapper() override;

    // Makes the typed player current, runs the accept hook, then hides (nothing for an empty
    // name).
    void accept() override;
    // Disables the dialog and asks, in a yes/no question above it, whether to delete the typed
    // player.
    void askDelete() override;
    // Runs the close hook and hides, while the list holds a player (and, for exit, while the
    // exit button is enabled and shown).
    void exit() override;
    void cancel() override;

    const std::wstring& getDeleteQuestion() const { return m_deleteQuestion; }

private:
    // The dialog of the running selection, for the answers of its delete question: a question
    // answered after the dialog went is only deleted.
    static cSelectProfileWrapper* runningDialog();
    static void answerYes(Engine::cYesNo* question);
    static void answerNo(Engine::cYesNo* question);
    void close();

    std::wstring m_deleteQuestion;
};
