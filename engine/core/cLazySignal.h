#pragma once

#include <boost/signals2/connection.hpp>
#include <boost/signals2/signal.hpp>

#include <memory>
#include <utility>

namespace Engine
{

// A signal whose state is made when the first slot connects. The engine's tree holds thousands
// of objects, each with signals that are seldom connected, and a signal of the library
// allocates its state (slot list, mutex) as soon as it is made: raising or clearing a signal
// that nothing ever connected to does nothing and costs nothing. Once made, it is the
// library's signal, with its rules for slots connected or disconnected while it is raised.
template <class Signature> class cLazySignal
{
public:
    using tSignal = boost::signals2::signal<Signature>;

    cLazySignal() = default;
    cLazySignal(const cLazySignal&) = delete;
    cLazySignal& operator=(const cLazySignal&) = delete;

    template <class Slot> boost::signals2::connection connect(const Slot& slot)
    {
        if (!m_signal)
            m_signal = std::make_unique<tSignal>();
        return m_signal->connect(slot);
    }
    void disconnect_all_slots()
    {
        if (m_signal)
            m_signal->disconnect_all_slots();
    }
    bool empty() const { return !m_signal || m_signal->empty(); }
    std::size_t num_slots() const { return m_signal ? m_signal->num_slots() : 0; }

    template <class... Args> void operator()(Args&&... args)
    {
        if (m_signal)
            (*m_signal)(std::forward<Args>(args)...);
    }

private:
    std::unique_ptr<tSignal> m_signal;
};

} // namespace Engine
