# Helpers that turn the source folders into targets. Sources are found by glob so that a new
# class is one header/source pair and nothing else.

# The engine's and the game's code, the tools, benchmarks and fuzz targets also keep names
# unshadowed, destructors virtual where a class is used through its bases, and every override
# marked.
function(quill_strict_warnings target)
  target_compile_options(${target} PRIVATE -Wshadow -Wnon-virtual-dtor -Wsuggest-override)
endfunction()

# An object library from every .cpp below the folders given after the name (main.cpp, the
# program's entry, excluded): one per layer of the source tree.
function(quill_object_library name)
  set(sources)
  foreach(dir IN LISTS ARGN)
    file(GLOB_RECURSE found CONFIGURE_DEPENDS
         ${CMAKE_SOURCE_DIR}/${dir}/*.cpp)
    list(APPEND sources ${found})
  endforeach()
  list(FILTER sources EXCLUDE REGEX "/main\\.cpp$")
  if(NOT sources)
    set(empty ${CMAKE_BINARY_DIR}/empty/${name}.cpp)
    if(NOT EXISTS ${empty})
      file(WRITE ${empty} "// ${ARGN} has no sources yet.\n")
    endif()
    set(sources ${empty})
  endif()
  add_library(${name} OBJECT ${sources})
  target_link_libraries(${name} PUBLIC quill_common quill_dep_boost)
  quill_strict_warnings(${name})
  # Precompiled headers for the engine and game sources only. Each target gets its own, some
  # 130 MB with GCC; given to every test, tool and benchmark program as well they filled ten
  # gigabytes of the Release build folder for a few minutes of compile time saved.
  target_precompile_headers(${name} PRIVATE
    <string> <vector> <map> <set> <memory> <functional> <algorithm>
    <boost/shared_ptr.hpp> <boost/make_shared.hpp> <boost/function.hpp>
    <boost/bind/bind.hpp> <boost/signals2.hpp>)
endfunction()

# Links every engine and game object library into `target`.
function(quill_link_all target)
  target_link_libraries(${target} PRIVATE quill_common ${QUILL_OBJECT_LIBRARIES})
endfunction()

# Links `target` with the C++ runtime and, where the system has their archives, the libraries
# of cmake/QuillDependencies.cmake statically, as a position-dependent program: a program that
# runs many times for a short while (levelplay, whole levels in a fraction of a second) saves a
# good part of its start in the dynamic loader. Only where the engine is linked into each program
# and without the sanitizers, whose runtimes want the shared C++ runtime.
function(quill_link_static target)
  if(QUILL_SHARED_CODE OR QUILL_SANITIZE)
    return()
  endif()
  set_target_properties(${target} PROPERTIES QUILL_STATIC_DEPS ON)
  target_link_options(${target} PRIVATE -static-libstdc++ -static-libgcc -no-pie)
endfunction()
