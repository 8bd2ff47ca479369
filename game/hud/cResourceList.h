#pragma once

#include "engine/core/cColor.h"
#include "engine/core/cVector2.h"
#include "engine/ui/cView.h"
#include "game/world/cGameResources.h"

#include <cstdint>
#include <memory>
#include <vector>

class cIconText;

// A row of resource amounts in a tip window: one icon text per resource of a set, with the
// resource's icon ("Units/Icons/" + name + ".jpg") and amount, greyed out (disabled, in
// "DisableTextColor") when the level holds less than the amount. "Compact" lays the items out
// as a block centred on the list's position (2 to 6 items), otherwise they stand in a line
// centred on it, "linear_offset" apart. The items are copies of the layout's "ItemProto",
// made on demand and reused.
class cResourceList : public Engine::cView
{
public:
    explicit cResourceList(Engine::cControl* parent);
    ~cResourceList() override;

    // The view's keys, the colours and flags, the offsets and "ItemProto"; the list is hidden.
    void loadXML(const Engine::tPropertiesPtr& node) override;
    // Shows the amounts of `shown`, coloured against `have`, and shows the list.
    void setItems(cGameResources shown, cGameResources have);

    virtual const bool& getShowWithCriteria() const { return m_showWithCriteria; }
    virtual void setShowWithCriteria(const bool& on) { m_showWithCriteria = on; }
    virtual const bool& getShowIfZero() const { return m_showIfZero; }
    virtual void setShowIfZero(const bool& on) { m_showIfZero = on; }
    virtual const bool& getShowWithX() const { return m_showWithX; }
    virtual void setShowWithX(const bool& on) { m_showWithX = on; }
    virtual const bool& getShowWithPlus() const { return m_showWithPlus; }
    virtual void setShowWithPlus(const bool& on) { m_showWithPlus = on; }
    virtual const bool& getShowOnlyIcons() const { return m_showOnlyIcons; }
    virtual void setShowOnlyIcons(const bool& on) { m_showOnlyIcons = on; }
    virtual const bool& getCompact() const { return m_compact; }
    virtual void setCompact(const bool& on) { m_compact = on; }

    const std::vector<cIconText*>& getItems() const { return m_items; }
    uint32_t getItemCount() const { return m_itemCount; }
    int32_t getTotal() const { return m_total; }
    void setLinearOffset(const Engine::cVector2& offset) { m_linearOffset = offset; }
    void setCompactOffset(const Engine::cVector2& offset) { m_compactOffset = offset; }
    const Engine::cColor& getEnabledColor() const { return m_enabledColor; }
    const Engine::cColor& getDisabledColor() const { return m_disabledColor; }

private:
    bool isListed(const cIconText& item) const;
    void showItem(cIconText& item) const;
    void layoutLinear();
    void layoutCompact();

    Engine::cColor m_disabledColor;
    Engine::cColor m_enabledColor;
    bool m_showWithCriteria = false;
    bool m_showIfZero = false;
    bool m_showWithX = false;
    bool m_showWithPlus = false;
    bool m_showOnlyIcons = false;
    bool m_compact = true;
    Engine::cVector2 m_linearOffset;
    Engine::cVector2 m_compactOffset;
    // Children of the list (owned by the tree).
    std::vector<cIconText*> m_items;
    cGameResources m_shown;
    cGameResources m_have;
    int32_t m_total = 0;
    uint32_t m_itemCount = 0;
    // A hidden child of the list that every item copies.
    cIconText* m_prototype;
};
