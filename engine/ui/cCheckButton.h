#pragma once

#include "engine/ui/cAnimButton.h"

#include <boost/signals2/signal.hpp>

namespace Engine
{

class cPicture;

// A frame-per-state button that toggles a checked flag on every click, shows its tick picture
// ("Tick") while checked and raises `checkedSignal` with the new state after the click signal.
// Layouts create it as "checkbutton" or "checkbtn".
class cCheckButton : public cAnimButton
{
public:
    using tCheckedSignal = boost::signals2::signal<void(bool)>;

    tCheckedSignal checkedSignal;

    explicit cCheckButton(cControl* parent = nullptr);
    // A copy would point at the source's children (the tick) without having them.
    cCheckButton(const cCheckButton&) = delete;

    // The button's step; the tick then shows the flag.
    void update() override;
    // The button's keys, the tick from the child "Tick", then "Checked".
    void loadXML(const tPropertiesPtr& node) override;
    // The button's click; a click that raised the click signal toggles the flag.
    void onClick() override;

    bool getChecked() const { return m_checked; }
    // Only stores (no signal); the tick follows in the next update.
    void setChecked(bool checked) { m_checked = checked; }
    cPicture* getTick() const { return m_tick; }

private:
    void showTick();

    // A child of the button (owned by the tree).
    cPicture* m_tick;
    bool m_checked = false;
    // Set by the button's own first click handler: the click signal was raised.
    bool m_clicked = false;
};

} // namespace Engine
