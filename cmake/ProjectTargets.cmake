# Warning flags and the helpers every folder uses to declare its targets.

function(quorvane_set_warnings target)
  if(MSVC)
    target_compile_options(${target} PRIVATE /W4 /permissive- /utf-8)
    if(QUORVANE_WARNINGS_AS_ERRORS)
      target_compile_options(${target} PRIVATE /WX)
    endif()
  else()
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor
                                             -Wold-style-cast -Woverloaded-virtual)
    if(QUORVANE_WARNINGS_AS_ERRORS)
      target_compile_options(${target} PRIVATE -Werror)
    endif()
  endif()
endfunction()

# A shipped binary's debug information moved into symbols/<file>.debug of the
# build folder (with a link to it left in the binary), and the binary stripped,
# when QUORVANE_SPLIT_SYMBOLS is on (the release build): the symbols archive
# beside the setup is made from that folder, matched to each binary by the
# CodeView build id both carry.
option(QUORVANE_SPLIT_SYMBOLS "Split shipped binaries' debug information into symbols/" OFF)
function(quorvane_split_symbols target)
  if(NOT QUORVANE_SPLIT_SYMBOLS)
    return()
  endif()
  set(debug_file ${CMAKE_BINARY_DIR}/symbols/$<TARGET_FILE_NAME:${target}>.debug)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/symbols
    COMMAND ${CMAKE_OBJCOPY} --only-keep-debug $<TARGET_FILE:${target}> ${debug_file}
    COMMAND ${CMAKE_STRIP} --strip-all $<TARGET_FILE:${target}>
    COMMAND ${CMAKE_OBJCOPY} --add-gnu-debuglink=${debug_file} $<TARGET_FILE:${target}>
    VERBATIM)
endfunction()

# Static libraries of the product link into every test binary, so the whole tree
# shares one include root: "codec/...", "wrapper/...", "runner/...".
function(quorvane_add_library target)
  add_library(${target} STATIC ${ARGN})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
  quorvane_set_warnings(${target})
endfunction()

# A program whose entry is wWinMain or wmain. GNU-like compilers (g++, clang
# for mingw-w64) need -municode to start it; MSVC's linker picks the wide
# start-up code by itself from the entry point the program defines.
function(quorvane_use_wide_entry target)
  if(NOT MSVC)
    target_compile_options(${target} PRIVATE -municode)
    target_link_options(${target} PRIVATE -municode)
  endif()
endfunction()

# Every Windows target sees the same Windows headers: wide-character API
# names, no min/max macros, the lean header set, Windows 10 declarations.
if(WIN32)
  add_compile_definitions(UNICODE _UNICODE NOMINMAX WIN32_LEAN_AND_MEAN WINVER=0x0A00
                          _WIN32_WINNT=0x0A00)
endif()

# mingw-w64 binaries carry their own C and C++ runtime, so that neither Wine
# nor a Windows machine needs the toolchain's DLLs beside them.
if(MINGW)
  add_link_options(-static -static-libgcc -static-libstdc++)
  # Stack cookies on every function with a local array or address-taken local,
  # as MSVC's /GS gives by default; the check comes from the static libssp.
  add_compile_options(-fstack-protector-strong)
  add_link_options(-fstack-protector-strong)
  # A CodeView record with a build id in every executable and DLL, so that a
  # crash dump names the exact build of each module it lists. GNU ld writes it
  # for --build-id; lld 14 ignores that option for this target, and its --pdb
  # would drop the DWARF information and symbol table that these builds keep.
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    add_link_options(-Wl,--build-id)
  endif()
endif()
