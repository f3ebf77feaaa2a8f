# Warning flags and the helpers every folder uses to declare its targets.

function(quorvane_set_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor
                                           -Wold-style-cast -Woverloaded-virtual)
  if(QUORVANE_WARNINGS_AS_ERRORS)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

# Static libraries of the product link into every test binary, so the whole tree
# shares one include root: "codec/...", "wrapper/...", "runner/...".
function(quorvane_add_library target)
  add_library(${target} STATIC ${ARGN})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
  quorvane_set_warnings(${target})
endfunction()

# Windows binaries carry their own C and C++ runtime so that Wine needs no
# mingw DLLs beside them.
if(WIN32)
  add_link_options(-static -static-libgcc -static-libstdc++)
endif()
