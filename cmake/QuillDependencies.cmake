# Third-party libraries, each wrapped in an INTERFACE target so object libraries and tests
# name what they use in one word.
find_package(PkgConfig REQUIRED)
find_package(Threads REQUIRED)
find_package(Boost 1.74 REQUIRED)
find_package(OpenGL REQUIRED COMPONENTS OpenGL EGL)

pkg_check_modules(SDL2 REQUIRED IMPORTED_TARGET sdl2)
pkg_check_modules(SDL2_MIXER REQUIRED IMPORTED_TARGET SDL2_mixer)
pkg_check_modules(FREETYPE REQUIRED IMPORTED_TARGET freetype2)
pkg_check_modules(VORBISENC REQUIRED IMPORTED_TARGET vorbisenc vorbis ogg)
pkg_check_modules(MINIZIP REQUIRED IMPORTED_TARGET minizip)
pkg_check_modules(ZLIB REQUIRED IMPORTED_TARGET zlib)
pkg_check_modules(PNG REQUIRED IMPORTED_TARGET libpng)
pkg_check_modules(JPEG REQUIRED IMPORTED_TARGET libjpeg)

# Expat in its UTF-16 build: XML_Char is a 16-bit code unit.
find_library(EXPATW_LIBRARY NAMES expatw REQUIRED)
find_path(EXPAT_INCLUDE_DIR expat.h REQUIRED)

add_library(quill_dep_boost INTERFACE)
target_link_libraries(quill_dep_boost INTERFACE Boost::boost)

add_library(quill_dep_xml INTERFACE)
target_include_directories(quill_dep_xml SYSTEM INTERFACE ${EXPAT_INCLUDE_DIR})
target_compile_definitions(quill_dep_xml INTERFACE XML_UNICODE)
target_link_libraries(quill_dep_xml INTERFACE ${EXPATW_LIBRARY})

add_library(quill_dep_zip INTERFACE)
target_link_libraries(quill_dep_zip INTERFACE PkgConfig::MINIZIP PkgConfig::ZLIB)

# SDL for the window, input and sound layers: its headers only, since platform/system/SdlLibrary
# opens SDL2 and SDL_mixer when a window, input or sound first needs them, and a program that
# needs none never pays for loading them. The sound layer also encodes OGG Vorbis for the sound
# tool.
add_library(quill_dep_sdl INTERFACE)
target_include_directories(quill_dep_sdl SYSTEM INTERFACE ${SDL2_INCLUDE_DIRS} ${SDL2_MIXER_INCLUDE_DIRS})
target_compile_options(quill_dep_sdl INTERFACE ${SDL2_CFLAGS_OTHER} ${SDL2_MIXER_CFLAGS_OTHER})
target_link_libraries(quill_dep_sdl INTERFACE PkgConfig::VORBISENC ${CMAKE_DL_LIBS})

# SDL linked as usual, for the tests and benchmarks that call it themselves.
add_library(quill_dep_sdl_linked INTERFACE)
target_link_libraries(quill_dep_sdl_linked INTERFACE PkgConfig::SDL2 PkgConfig::SDL2_MIXER)

add_library(quill_dep_gl INTERFACE)
target_link_libraries(quill_dep_gl INTERFACE OpenGL::GL OpenGL::EGL)

add_library(quill_dep_freetype INTERFACE)
target_link_libraries(quill_dep_freetype INTERFACE PkgConfig::FREETYPE)

add_library(quill_dep_image INTERFACE)
target_link_libraries(quill_dep_image INTERFACE PkgConfig::PNG PkgConfig::JPEG PkgConfig::ZLIB)
