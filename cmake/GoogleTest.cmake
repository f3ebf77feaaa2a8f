# GoogleTest is built from the sources Debian ships in /usr/src/googletest, with
# the same compiler as the code under test (g++ natively, mingw-w64 for Windows).

set(QUORVANE_GTEST_SOURCE_DIR "/usr/src/googletest" CACHE PATH "GoogleTest sources")
if(NOT EXISTS "${QUORVANE_GTEST_SOURCE_DIR}/CMakeLists.txt")
  message(FATAL_ERROR "GoogleTest sources not found in ${QUORVANE_GTEST_SOURCE_DIR}; "
                      "install Debian's googletest package (scripts/test.sh does).")
endif()
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
add_subdirectory(${QUORVANE_GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

# One test executable per unit; ctest runs it whole (under Wine through the
# cross-compiling emulator in the Windows build).
function(quorvane_add_test target)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${target} ${ARG_SOURCES})
  target_link_libraries(${target} PRIVATE ${ARG_LIBS} GTest::gmock GTest::gtest_main)
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR})
  quorvane_set_warnings(${target})
  add_test(NAME ${target} COMMAND ${target})
endfunction()
