#pragma once

namespace Engine
{

// Base of every object that exists once at a time. Constructing a second instance throws
// the C string "Object already exist."; the destructor clears the instance, so `instance`
// answers null before construction and after destruction.
template <class T> class cSingleton
{
public:
    static T* instance() { return static_cast<T*>(s_instance); }

    cSingleton(const cSingleton&) = delete;
    cSingleton& operator=(const cSingleton&) = delete;

protected:
    cSingleton()
    {
        if (s_instance)
            throw "Object already exist.";
        s_instance = this;
    }
    ~cSingleton() { s_instance = nullptr; }

private:
    // Kept as the base type: the derived object is not built yet while this constructor runs.
    static inline cSingleton* s_instance = nullptr;
};

} // namespace Engine
