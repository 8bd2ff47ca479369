#pragma once

#include <boost/pool/pool.hpp>
#include <cstddef>
#include <memory>
#include <new>

namespace Engine::xml
{

// Hands out single objects from one boost::pool per object size: the first block holds 32
// objects and every further block twice the previous one; freed objects go back to the pool's
// free list and the pool never returns memory. Used with boost::allocate_shared, so a node and
// its reference counts share one chunk.
template <class T> class cNodePoolAllocator
{
public:
    using value_type = T;

    cNodePoolAllocator() = default;
    template <class U> cNodePoolAllocator(const cNodePoolAllocator<U>&) noexcept {}

    T* allocate(std::size_t n)
    {
        if (n != 1)
            return std::allocator<T>().allocate(n);
        void* chunk = pool().malloc();
        if (!chunk)
            throw std::bad_alloc();
        return static_cast<T*>(chunk);
    }
    void deallocate(T* p, std::size_t n)
    {
        if (n != 1)
            std::allocator<T>().deallocate(p, n);
        else
            pool().free(p);
    }

    template <class U> bool operator==(const cNodePoolAllocator<U>&) const noexcept { return true; }
    template <class U> bool operator!=(const cNodePoolAllocator<U>&) const noexcept { return false; }

private:
    // Never destroyed: nodes held by other statics may die after every static destructor ran.
    static boost::pool<>& pool()
    {
        static boost::pool<>* const chunks = new boost::pool<>(sizeof(T), 32);
        return *chunks;
    }
};

} // namespace Engine::xml
