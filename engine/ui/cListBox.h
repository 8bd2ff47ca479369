#pragma once

#include "engine/ui/cPicture.h"

#include <boost/function.hpp>
#include <boost/signals2/signal.hpp>

#include <cstdint>
#include <string>
#include <vector>

namespace Engine
{

class cButton;
class cTextButton;

// A picture holding a vertical list of text buttons (rows), each a copy of the row template
// ("Button"), of which the rows that fit between "TopLeft" and "BottomRight" (their y only)
// are shown, "Interlinear" units apart. "UpButton" and "DownButton" scroll by one row and show
// only while there are rows to scroll to. A clicked row raises `selectionSignal` with its index.
// "Strings" fills the list: "Count", then "str0" to "str<Count - 1>". Layouts create it as
// "listbox".
class cListBox : public cPicture
{
public:
    using tSelectionSignal = boost::signals2::signal<void(uint32_t, cListBox*)>;
    using tRowCallback = boost::function<void(cView*)>;

    tSelectionSignal selectionSignal;

    explicit cListBox(cControl* parent = nullptr);
    // A copy would point at the source's children (the rows and buttons) without having them.
    cListBox(const cListBox&) = delete;

    // The picture's keys, then "Interlinear", "MaxRows", "TopLeft", "BottomRight", the buttons
    // from "UpButton", "DownButton" and "Button", and the rows of "Strings".
    void loadXML(const tPropertiesPtr& node) override;

    // Appends a row with that caption and refreshes.
    void addItem(const std::wstring& text);
    // The caption of a row; an empty text for an index past the last row.
    const std::wstring& getItemText(uint32_t index) const;
    uint32_t getItemCount() const { return static_cast<uint32_t>(m_rows.size()); }
    // Queues every row for deletion, empties the list and refreshes; the first shown row stays.
    void clear();
    void scrollUp();
    void scrollDown();
    // Shows the rows from the first shown row on that fit the area, hides the others, and the
    // scroll buttons as there are rows above or below.
    void refresh();

    // Connected to the hover and leave signals of every row added from now on.
    void setHoverCallback(const tRowCallback& callback) { m_hoverCallback = callback; }
    void setLeaveCallback(const tRowCallback& callback) { m_leaveCallback = callback; }

    uint32_t getFirstRow() const { return m_firstRow; }
    float getInterlinear() const { return m_interlinear; }
    void setInterlinear(float interlinear) { m_interlinear = interlinear; }
    // The area's top and bottom (only the y of each is used).
    void setArea(const cVector2& topLeft, const cVector2& bottomRight);
    uint32_t getMaxRows() const { return m_maxRows; }
    cTextButton* getRow(uint32_t index) const;
    cButton* getUpButton() const { return m_upButton; }
    cButton* getDownButton() const { return m_downButton; }
    cTextButton* getRowTemplate() const { return m_rowTemplate; }

private:
    // The rows that fit the area.
    uint32_t shownRows() const;

    // Children of the list box (owned by the tree).
    std::vector<cTextButton*> m_rows;
    cButton* m_upButton;
    cButton* m_downButton;
    uint32_t m_maxRows = 10;
    cVector2 m_topLeft{0.0f, 0.0f};
    cVector2 m_bottomRight{0.0f, 0.0f};
    float m_interlinear = 50.0f;
    uint32_t m_firstRow = 0;
    cTextButton* m_rowTemplate;
    tRowCallback m_hoverCallback;
    tRowCallback m_leaveCallback;
};

} // namespace Engine
