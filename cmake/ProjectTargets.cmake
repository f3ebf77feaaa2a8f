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

# Static libraries of the product link into every test binary, so the whole tree
# shares one include root: "codec/...", "wrapper/...", "runner/...".
function(quorvane_add_library target)
  add_library(${target} STATIC ${ARGN})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
  quorvane_set_warnings(${target})
endfunction()

# mingw-w64 binaries carry their own C and C++ runtime, so that neither Wine
# nor a Windows machine needs the toolchain's DLLs beside them.
if(MINGW)
  add_link_options(-static -static-libgcc -static-libstdc++)
endif()
