#pragma once

#include "engine/core/cSingleton.h"
#include "engine/ui/cDialog.h"

#include <boost/function.hpp>
#include <boost/signals2/connection.hpp>

#include <cstdint>
#include <string>

namespace Engine
{

class cListBox;
class cPicture;
class cTextBox;
class cTextLine;
class cTextStyleButton;
class cYesNo;

// The player selection dialog, laid out by "UI/SelectUser.xml": the list of player profiles
// ("UserList"), a name field ("NameEdit") and the OK, Exit, Delete and Cancel buttons.
//
// Picking a row makes that player current at once; a typed name confirmed with OK (or Return)
// makes that player current, creating the profile when the name is new; Delete asks in a
// yes/no dialog ("StringConfirm") and removes the profile and its files. The OK caption reads
// "StringOK" for a name in the list and "StringNew" for a new one. Exit (or Escape) and Cancel
// leave without choosing, but only while the list holds a player. The player store is
// `cProfileManager`: a change of player deletes the store (which saves) and makes a new one.
// Names take only the hyphen, digits, Latin and Russian letters, as far as the field's font
// draws them, and as many as fit the field.
//
// One dialog exists at a time: a second construction throws "Object already exist.".
class cSelectProfile : public cSingleton<cSelectProfile>, public cDialog
{
public:
    using tHook = boost::function<void()>;

    static constexpr const char* LayoutPath = "UI/SelectUser.xml";

    // The 129 characters a name may hold: "-", "0" to "9", the Latin and the Russian letters.
    static const std::wstring& nameCharacters();

    // A root dialog; loaded at once with `loadNow`; with `hideExit` the exit button is hidden.
    cSelectProfile(bool hideExit, bool loadNow);
    ~cSelectProfile() override;

    // Loads "UI/SelectUser.xml".
    virtual void loadLayout();
    // Makes the typed player current and closes the dialog (nothing for an empty name).
    virtual void accept();
    // Hides the dialog and asks whether the typed player is to be deleted.
    virtual void askDelete();
    // Disables the dialog and runs the close hook, when there is a player to go back to.
    virtual void exit();
    // Closes the dialog and runs the close hook, when there is a player to go back to.
    virtual void cancel();
    // The list anew from the player store (from the profile list itself while there is none).
    virtual void fillList();

    // Keeps the OK button enabled exactly while a name is typed.
    void update() override;
    // The dialog's parts, then the texts "StringOK", "StringNew", "StringConfirm" and the
    // children "Background", "BigLogo", "PodlogkaPodImia", "EnterNameText", "NameEdit",
    // "OkButton", "ExitButton", "DeleteButton", "CancelButton" and "UserList".
    void loadXML(const tPropertiesPtr& node) override;
    // Connects Return and Escape and shows the current player's name.
    void onEnable() override;
    void onDisable() override;

    // The name filter of the name field.
    bool acceptNameChar(wchar_t c) const;

    void setAcceptHook(const tHook& hook) { m_acceptHook = hook; }
    void setCloseHook(const tHook& hook) { m_closeHook = hook; }
    void callAcceptHook();
    void callCloseHook();

    cListBox* getUserList() const { return m_userList; }
    cTextBox* getNameEdit() const { return m_nameEdit; }
    cTextStyleButton* getOkButton() const { return m_okButton; }
    cTextStyleButton* getExitButton() const { return m_exitButton; }
    cTextStyleButton* getDeleteButton() const { return m_deleteButton; }
    cTextStyleButton* getCancelButton() const { return m_cancelButton; }
    int32_t getSelectedIndex() const { return m_selectedIndex; }
    const std::wstring& getOkText() const { return m_okText; }
    const std::wstring& getNewText() const { return m_newText; }
    const std::wstring& getConfirmText() const { return m_confirmText; }
    // The delete question about the player named in the name field: the confirm text in the
    // player's language, its "{name}" replaced by the name.
    std::wstring deleteQuestion() const;

protected:
    // The answers to the delete question: the typed player deleted (or not), the question queued
    // for deletion, this dialog enabled and shown again.
    void onDeleteConfirmed(cYesNo* question);
    void onDeleteRefused(cYesNo* question);

private:
    // The answers of the delete question reach the dialog through its instance, so a question
    // that outlives it is only deleted.
    static void answerYes(cYesNo* question);
    static void answerNo(cYesNo* question);
    void onNameChanged();
    void onRowPicked(uint32_t index);
    // The row showing `name`, or -1.
    int32_t rowOf(const std::wstring& name) const;

    // Children of the dialog (owned by the tree).
    cListBox* m_userList;
    cTextBox* m_nameEdit;
    cTextStyleButton* m_okButton;
    cTextStyleButton* m_exitButton;
    cTextStyleButton* m_deleteButton;
    cTextStyleButton* m_cancelButton;
    cPicture* m_background;
    cPicture* m_bigLogo;
    cPicture* m_nameUnderlay;
    cTextLine* m_enterNameText;
    boost::signals2::scoped_connection m_returnKey;
    boost::signals2::scoped_connection m_escapeKey;
    bool m_hideExit;
    int32_t m_selectedIndex = -1;
    tHook m_acceptHook;
    tHook m_closeHook;
    std::wstring m_okText;
    std::wstring m_newText;
    std::wstring m_confirmText;
    bool m_constructed = false;
};

} // namespace Engine
