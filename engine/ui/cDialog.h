#pragma once

#include "engine/core/cControl.h"
#include "engine/core/cProperties.h"

#include <set>

namespace Engine
{

class cView;

// A dialog: a control that draws nothing itself and owns the views of its layout as children.
// Its loader makes a picture for every child element of "Background", a text line for every
// one of "BackText", a multi-line text for every one of "BackMultitext" and a started particle
// view for every one of "BackPyro" (with "UseOffset" 1 its place is the emitter's offset and
// the view stands at (0, 0)); these are the dialog's parts.
class cDialog : public cControl
{
public:
    explicit cDialog(cControl* parent = nullptr);
    ~cDialog() override;

    // The object's keys, then the four groups of parts.
    void loadXML(const tPropertiesPtr& node) override;
    // A part that leaves the dialog is no longer one of its parts.
    void removeChild(cControl* child) override;

    const std::set<cView*>& getParts() const { return m_parts; }

    // A dialog has no depth of its own: its depth is that of its lowest visible view, and
    // `setDeep` lifts every view of it by the same amount, so that the lowest visible one lies
    // at `deep` and the others keep their places above it. A view the layout left hidden (a
    // part it does not use, standing at depth 0) takes no part in the measure.
    float getDeep() const;
    void setDeep(float deep);

private:
    std::set<cView*> m_parts;
};

} // namespace Engine
