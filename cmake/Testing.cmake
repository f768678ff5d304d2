# Test registration helpers shared by every folder.
#
#   qs_add_unit_test(NAME SOURCES ... [LIBS ...])    native GoogleTest, one ctest entry per case
#   qs_add_wine_test(NAME SOURCES ... [LIBS ...])    win32 GoogleTest binary, run whole under Wine
#   qs_add_system_test(NAME [GUI] SOURCES ... [LIBS ...])
#                                                    native GoogleTest that drives Windows
#                                                    binaries under Wine (needs the win32 build);
#                                                    GUI tests share one display and never run
#                                                    at the same time as each other
#
# Every test that touches Wine requires the "wine" fixture: one throwaway prefix, an Xvfb
# display and a persistent wineserver per ctest run, made by the setup test and removed by
# the cleanup test (tests/harness/wine.sh).

if(QS_WIN32)
  set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
else()
  find_package(GTest REQUIRED)
  include(GoogleTest)
endif()

function(qs_add_unit_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest_main)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 30 PROPERTIES LABELS unit)
endfunction()

function(qs_add_wine_test name)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} gtest_main)
  # The emulator (the Wine harness) is put in front of the command by CMake.
  add_test(NAME wine.${name} COMMAND ${name} --gtest_color=no)
  set_tests_properties(wine.${name} PROPERTIES FIXTURES_REQUIRED wine TIMEOUT ${T_TIMEOUT} LABELS wine)
endfunction()

function(qs_add_system_test name)
  cmake_parse_arguments(T "GUI" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} qs_test_harness GTest::gtest_main)
  set(lock "")
  if(T_GUI)
    set(lock RESOURCE_LOCK display)
  endif()
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 30
    PROPERTIES FIXTURES_REQUIRED wine LABELS system TIMEOUT 600 ${lock})
endfunction()
