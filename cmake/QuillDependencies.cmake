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

# A program whose QUILL_STATIC_DEPS property is on links the static archives of the libraries
# below instead of the shared ones (where the system has them all): a short-lived program then
# spends less of its run in the dynamic loader. `quill_link_static` sets it.
set(QUILL_STATIC_ARCHIVES expatw minizip z png16 jpeg freetype brotlidec brotlicommon vorbisenc vorbis ogg)
set(QUILL_HAVE_STATIC_ARCHIVES ON)
foreach(library ${QUILL_STATIC_ARCHIVES})
  find_library(QUILL_STATIC_${library} NAMES lib${library}.a)
  if(NOT QUILL_STATIC_${library})
    set(QUILL_HAVE_STATIC_ARCHIVES OFF)
  endif()
endforeach()
set(QUILL_STATIC_WANTED "$<BOOL:$<TARGET_PROPERTY:QUILL_STATIC_DEPS>>")
# The shared libraries `shared` (a list), or the archives named in `archives` when the program
# links archives.
function(quill_dep_link target shared archives)
  if(NOT QUILL_HAVE_STATIC_ARCHIVES)
    target_link_libraries(${target} INTERFACE ${shared})
    return()
  endif()
  set(files)
  foreach(library ${archives})
    list(APPEND files ${QUILL_STATIC_${library}})
  endforeach()
  list(JOIN shared "$<SEMICOLON>" shared_text)
  list(JOIN files "$<SEMICOLON>" files_text)
  target_link_libraries(${target} INTERFACE
    "$<$<NOT:${QUILL_STATIC_WANTED}>:${shared_text}>" "$<${QUILL_STATIC_WANTED}:${files_text}>")
endfunction()

add_library(quill_dep_xml INTERFACE)
target_include_directories(quill_dep_xml SYSTEM INTERFACE ${EXPAT_INCLUDE_DIR})
target_compile_definitions(quill_dep_xml INTERFACE XML_UNICODE)
quill_dep_link(quill_dep_xml "${EXPATW_LIBRARY}" "expatw")

add_library(quill_dep_zip INTERFACE)
target_include_directories(quill_dep_zip SYSTEM INTERFACE ${MINIZIP_INCLUDE_DIRS} ${ZLIB_INCLUDE_DIRS})
quill_dep_link(quill_dep_zip "PkgConfig::MINIZIP;PkgConfig::ZLIB" "minizip;z")

# SDL for the window, input and sound layers: its headers only, since platform/system/SdlLibrary
# opens SDL2 and SDL_mixer when a window, input or sound first needs them, and a program that
# needs none never pays for loading them. The sound layer also encodes OGG Vorbis for the sound
# tool.
add_library(quill_dep_sdl INTERFACE)
target_include_directories(quill_dep_sdl SYSTEM INTERFACE ${SDL2_INCLUDE_DIRS} ${SDL2_MIXER_INCLUDE_DIRS})
target_compile_options(quill_dep_sdl INTERFACE ${SDL2_CFLAGS_OTHER} ${SDL2_MIXER_CFLAGS_OTHER})
target_include_directories(quill_dep_sdl SYSTEM INTERFACE ${VORBISENC_INCLUDE_DIRS})
quill_dep_link(quill_dep_sdl "PkgConfig::VORBISENC" "vorbisenc;vorbis;ogg")
target_link_libraries(quill_dep_sdl INTERFACE ${CMAKE_DL_LIBS} m)

# SDL linked as usual, for the tests and benchmarks that call it themselves.
add_library(quill_dep_sdl_linked INTERFACE)
target_link_libraries(quill_dep_sdl_linked INTERFACE PkgConfig::SDL2 PkgConfig::SDL2_MIXER)

add_library(quill_dep_gl INTERFACE)
target_link_libraries(quill_dep_gl INTERFACE OpenGL::GL OpenGL::EGL)

add_library(quill_dep_freetype INTERFACE)
target_include_directories(quill_dep_freetype SYSTEM INTERFACE ${FREETYPE_INCLUDE_DIRS})
target_compile_options(quill_dep_freetype INTERFACE ${FREETYPE_CFLAGS_OTHER})
quill_dep_link(quill_dep_freetype "PkgConfig::FREETYPE" "freetype;png16;z;brotlidec;brotlicommon")

add_library(quill_dep_image INTERFACE)
target_include_directories(quill_dep_image SYSTEM INTERFACE ${PNG_INCLUDE_DIRS} ${JPEG_INCLUDE_DIRS})
quill_dep_link(quill_dep_image "PkgConfig::PNG;PkgConfig::JPEG;PkgConfig::ZLIB" "png16;jpeg;z")
