# GoogleTest: Debian's build natively; for MinGW, compiled here from the sources Debian ships.
if(CMAKE_CROSSCOMPILING)
  set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  # The win32 thread model has no std::mutex: a customisation header stands in for it.
  target_include_directories(gtest BEFORE PUBLIC ${CMAKE_CURRENT_LIST_DIR}/gtest-win32)
else()
  find_package(GTest REQUIRED)
endif()
include(GoogleTest)

# sprig_add_test(NAME source... LIBS lib...): a GoogleTest executable registered with CTest. Under
# Wine each executable is one test, since every start of a Windows program costs a Wine start.
function(sprig_add_test name)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  add_executable(${name} ${ARG_UNPARSED_ARGUMENTS})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main)
  if(CMAKE_CROSSCOMPILING)
    add_test(NAME ${name} COMMAND ${name})
  else()
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST)
  endif()
endfunction()
