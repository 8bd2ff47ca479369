#pragma once

#include "engine/ui/cDialog.h"

#include <boost/signals2/signal.hpp>

namespace Engine
{
class cTextStyleButton;
} // namespace Engine

// A message with one OK button ("MainMenu/SystemMessage.xml": the dialog's background and
// texts, and "OkButton"), shown without a dialog state. It is built hidden; its creator shows
// and enables it and listens to `closedSignal`. The first OK hides and disables the message,
// raises the signal once and queues the message for deletion; a second OK in the same frame
// raises nothing. Each message made is traced with its layout ("System message
// MainMenu/SystemMessage.xml").
class cSystemMessage : public Engine::cDialog
{
public:
    static constexpr const char* Layout = "MainMenu/SystemMessage.xml";
    // The same message telling that the player's progress cannot be saved.
    static constexpr const char* SaveFailedLayout = "MainMenu/SaveFailedMessage.xml";
    // The same message telling that the player's unfinished level could not be read: over the
    // map, with the file kept aside or left where it is (no level starts); over a level about to
    // start, the same two.
    static constexpr const char* SaveDamagedLayout = "MainMenu/SaveDamagedMessage.xml";
    static constexpr const char* SaveLeftLayout = "MainMenu/SaveLeftMessage.xml";
    // Over the map: what stands in the save's place is no file (a folder), and stays.
    static constexpr const char* SaveBlockedLayout = "MainMenu/SaveBlockedMessage.xml";
    static constexpr const char* SaveKeptLevelStartsLayout = "MainMenu/SaveKeptLevelStartsMessage.xml";
    static constexpr const char* SaveLeftLevelStartsLayout = "MainMenu/SaveLeftLevelStartsMessage.xml";
    // The same message telling that the player's values could not be read and start empty: the
    // file kept aside, missing, or left where it is (and not written in this run).
    static constexpr const char* ValuesKeptLayout = "MainMenu/ValuesKeptMessage.xml";
    static constexpr const char* ValuesMissingLayout = "MainMenu/ValuesMissingMessage.xml";
    static constexpr const char* ValuesLeftLayout = "MainMenu/ValuesLeftMessage.xml";
    // The same message telling that the best times were damaged: kept aside, the times that
    // could not be read lost.
    static constexpr const char* BestTimesKeptLayout = "MainMenu/BestTimesKeptMessage.xml";
    // The same message telling that the player's settings could not be read: the file stays as it
    // is and is not written in this run, and the game's own settings are used.
    static constexpr const char* SettingsLeftLayout = "MainMenu/SettingsLeftMessage.xml";
    // The same message telling that the player's settings were damaged: kept aside, the game's own
    // settings used.
    static constexpr const char* SettingsKeptLayout = "MainMenu/SettingsKeptMessage.xml";

    boost::signals2::signal<void(cSystemMessage*)> closedSignal;

    // With `textKey`, the message shows the text of that attribute of the layout's root in
    // place of the text its layout gives (a layout without it is refused).
    explicit cSystemMessage(Engine::cControl* parent, const char* layout = Layout,
                            const wchar_t* textKey = nullptr);
    ~cSystemMessage() override;

    // The dialog's keys, then "OkButton"; the message ends enabled.
    void loadXML(const Engine::tPropertiesPtr& node) override;
    void onOk();

    Engine::cTextStyleButton* getOkButton() const { return m_ok; }
    bool isClosed() const { return m_closed; }

private:
    // A child of the message (owned by the tree).
    Engine::cTextStyleButton* m_ok;
    const wchar_t* m_textKey;
    bool m_closed = false;
};
