#pragma once

#include "engine/core/cVector2.h"

#include <boost/enable_shared_from_this.hpp>
#include <boost/shared_ptr.hpp>

#include <map>
#include <string>
#include <vector>

class cUnitView;

namespace Engine
{
class cButton;
class cProperties;
} // namespace Engine

// One look of a unit type, built from a view-state element of the type's description
// ("Units/" + type name + ".xml"). It holds hidden template buttons and the numbers that place
// them. A unit view shows the state by copying a template's look into itself, by borrowing the
// state's part views as its children, or by playing its own animation backwards.
//
// The element decides the kind, in this order:
//   leaf         no child elements (or a "PyroEffects" child): the element is one button;
//   by id        "ById" 1: each child is a button picked by its "Id", built on first request;
//   by angles    "ByAngles" 1: each child is a button for its "Angle", or with "Complex" 1 a
//                nested state for that angle;
//   directional  "FirstStateAngle" given: one button per direction, in order of falling angle;
//                with "Simmetric" the children cover half a turn and the rest is mirrored;
//   sequence     named sub-states ("Rotate", "PlayCycles"), or with "Complex" 1 the parts of a
//                composite look whose base is the element itself.
//
// States are parsed on first use: until then the element is kept. A by-id state keeps its
// element for good, as its views are made on demand.
class ViewState : public boost::enable_shared_from_this<ViewState>
{
public:
    using Ptr = boost::shared_ptr<ViewState>;
    using ViewPtr = boost::shared_ptr<Engine::cButton>;
    using NodePtr = boost::shared_ptr<Engine::cProperties>;
    using SubStates = std::map<std::wstring, Ptr>;

    // `source` names the description file in error texts.
    explicit ViewState(std::wstring stateName = std::wstring(), std::string source = std::string());
    ViewState(const ViewState&) = delete;
    ViewState& operator=(const ViewState&) = delete;
    ~ViewState();

    // With `parseNow` parses at once (keeping the element only for a by-id state); otherwise
    // keeps the element until the first lazy access.
    void init(const NodePtr& element, bool parseNow);
    // Parses the element; false only for a by-id state, whose children stay in the element.
    bool load(const NodePtr& element);

    // --- Lazy accessors: parse the kept element first ---
    bool isComplex();
    bool isRotate();
    bool isPlayCycles();
    const SubStates& getSubStates();
    // The only view when there is one, else the view of the direction (empty when missing).
    ViewPtr getView(int direction);
    // "posoffset" when there is one view, else the direction's offset ((0, 0) when missing).
    Engine::cVector2 getOffset(int direction);
    // The view of the direction of `angle` (degrees); for a by-angles state the view of the
    // nearest "Angle", the lower one on a tie.
    ViewPtr getViewByAngle(float angle);
    // The same walk over the offsets, where an offset of (0, 0) is passed over for the next
    // farther angle that has one.
    Engine::cVector2 getOffsetByAngle(float angle);
    // The state itself when it has no sub-states; else the sub-state of that name, else the
    // first named sub-state of the element, else empty.
    Ptr getSubState(const std::wstring& name);

    // --- Plain accessors ---
    bool isById() const { return m_byId; }
    bool isPlayBack() const { return m_playBack; }
    float getDeepOffset() const { return m_deepOffset; }
    unsigned getStartFrame() const { return m_startFrame; }
    const Engine::cVector2& getPosOffset() const { return m_posOffset; }
    const std::string& getSoundId() const { return soundId; }
    int getCyclesMin() const { return m_cyclesMin; }
    int getCyclesMax() const { return m_cyclesMax; }
    int getAngle() const { return m_angle; }
    const ViewPtr& getBaseView() const { return m_baseView; }
    // The parsed views by key (direction, angle or part number).
    const std::map<int, ViewPtr>& getViews() const { return m_views; }
    const std::map<std::wstring, ViewPtr>& getByIdViews() const { return m_byIdViews; }
    const std::wstring& getFirstSubStateName() const { return m_firstSubState; }
    bool isParsed() const { return !m_element || m_byId; }

    // The view of the child whose "Id" is `id`, built on first request. An id that no child
    // carries is reported to the log "error" with the text
    // "ViewState::getById(): undefined state id: " + id, and the child with "Id" "default"
    // (else the first child) stands in for it; the wide text is thrown only when the state
    // has no child at all.
    ViewPtr getById(const std::wstring& id);

    // Composite look: the unit view takes the base view's look at (0, 0), deep 0, and borrows
    // the parts as children at their offsets and depths.
    void showComplex(cUnitView& view);
    // The complex sub-state of `angle` (the first in name order) shown on the unit view where
    // it stands; false when no sub-state has that angle.
    bool showByAngle(int angle, cUnitView& view);

    // The part views of a composite look (and of its sub-states, one level deep) leave the
    // unit view that holds them and are hidden.
    void detachViews();
    // Hides every view and by-id view.
    void hideViews();
    // Lets go of every view and sub-state.
    void release();

    // The "Name" the state was entered under.
    std::wstring name;
    // The game sound played when the state is shown ("sound_id"); empty for none.
    std::string soundId;

private:
    void parse();
    // A new hidden button loaded from an element; the shared pointer queues its deletion.
    static ViewPtr makeView(const NodePtr& element, bool hidden);
    void loadDirectional(const std::vector<NodePtr>& children, float firstAngle, const NodePtr& element);
    void loadSequence(const std::vector<NodePtr>& children, const NodePtr& element);
    // Shows the state's parts on the unit view: each at origin + its offset, deep + its depth.
    void lend(cUnitView& view, const Engine::cVector2& origin, float deep) const;
    // "<source>", view state "<name>": the context of a failure while parsing.
    [[noreturn]] void rethrowWithContext() const;

    int m_cyclesMin = 0;
    int m_cyclesMax = 0;
    int m_angle = -1;
    std::map<int, ViewPtr> m_views;
    std::map<int, Engine::cVector2> m_offsets;
    std::map<int, float> m_partDepths;
    std::map<std::wstring, ViewPtr> m_byIdViews;
    bool m_rotate = false;
    bool m_byAngles = false;
    bool m_byId = false;
    bool m_playCycles = false;
    bool m_playBack = false;
    bool m_complex = false;
    ViewPtr m_baseView;
    SubStates m_subStates;
    std::wstring m_firstSubState;
    Engine::cVector2 m_posOffset;
    NodePtr m_element;
    std::string m_source;
    float m_deepOffset = 0.0f;
    unsigned m_startFrame = 0;
};
