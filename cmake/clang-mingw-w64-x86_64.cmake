# Cross-compiles for 64-bit Windows with Debian's clang instead of g++: the
# same mingw-w64 target, headers and runtime, the libstdc++ of the posix
# mingw-w64 g++ (clang does not find it by itself), linked by lld. The
# resulting programs run under Wine like those of the g++ build.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(quorvane_mingw_target x86_64-w64-mingw32)
set(quorvane_mingw_sysroot /usr/${quorvane_mingw_target})
file(GLOB quorvane_mingw_gcc_dirs /usr/lib/gcc/${quorvane_mingw_target}/*-posix)
list(SORT quorvane_mingw_gcc_dirs COMPARE NATURAL ORDER DESCENDING)
list(GET quorvane_mingw_gcc_dirs 0 quorvane_mingw_gcc_dir)
if(NOT IS_DIRECTORY "${quorvane_mingw_gcc_dir}/include/c++")
  message(FATAL_ERROR "No posix mingw-w64 g++ found under /usr/lib/gcc/${quorvane_mingw_target}; "
                      "install g++-mingw-w64-x86-64-posix.")
endif()

set(CMAKE_C_COMPILER clang)
set(CMAKE_C_COMPILER_TARGET ${quorvane_mingw_target})
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_CXX_COMPILER_TARGET ${quorvane_mingw_target})
set(CMAKE_RC_COMPILER ${quorvane_mingw_target}-windres)
set(CMAKE_SYSROOT ${quorvane_mingw_sysroot})

set(quorvane_libstdcxx ${quorvane_mingw_gcc_dir}/include/c++)
set(CMAKE_CXX_STANDARD_INCLUDE_DIRECTORIES ${quorvane_libstdcxx}
    ${quorvane_libstdcxx}/${quorvane_mingw_target} ${quorvane_libstdcxx}/backward)
# lld resolves the static runtime libraries in any order; the posix threads of
# libstdc++ need winpthreads, which clang's driver does not name.
set(quorvane_link_flags "-fuse-ld=lld -L${quorvane_mingw_gcc_dir} -lpthread")
set(CMAKE_EXE_LINKER_FLAGS_INIT "${quorvane_link_flags}")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "${quorvane_link_flags}")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "${quorvane_link_flags}")

set(CMAKE_FIND_ROOT_PATH ${quorvane_mingw_sysroot})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
