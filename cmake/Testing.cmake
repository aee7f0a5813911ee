# Test helpers shared by every subsystem.
#
#   km27_add_native_test(<name> SOURCES ... [LIBS ...])
#       GoogleTest program for the native preset; each TEST becomes a ctest test.
#   km27_add_linux_test(<name> SOURCES ... [LIBS ...] [TIMEOUT s])
#       GoogleTest program of the Linux program's platform layers (linux
#       preset), run as one test on an Xvfb display of its own (96 dpi).
#   km27_add_linux_script_test(<name> COMMAND ... [TIMEOUT s])
#       A script that drives the Linux program itself (it starts its own
#       Xvfb); it finds the build in KM27_BUILD_DIR.
#   km27_add_wine_test(<name> SOURCES ... [LIBS ...] [GTEST] [TIMEOUT s])
#       Windows program run by ctest through Wine (cmake/wine-run.sh) with the
#       build's own prefix and Xvfb display (fixture "wine").
#   km27_add_wine_script_test(<name> COMMAND ... [TIMEOUT s])
#       A native script that drives Windows programs itself; it finds the Wine
#       environment in KM27_WINE_DIR / KM27_WINE_RUN and the native tools
#       (reader simulator) in KM27_NATIVE_BUILD_DIR.

if(WIN32)
  set(KM27_WINE_DIR ${CMAKE_BINARY_DIR}/wine)
  set(KM27_WINE_RUN ${CMAKE_SOURCE_DIR}/cmake/wine-run.sh)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${KM27_WINE_RUN} ${KM27_WINE_DIR})
  if(NOT KM27_NATIVE_BUILD_DIR)
    set(KM27_NATIVE_BUILD_DIR ${CMAKE_SOURCE_DIR}/build/native)
  endif()

  # GoogleTest for Windows is compiled from Debian's sources.
  set(KM27_GTEST_SRC /usr/src/googletest CACHE PATH "GoogleTest sources")
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  add_subdirectory(${KM27_GTEST_SRC} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
  # Third-party code: its warnings are not ours to fix.
  foreach(t gtest gtest_main gmock gmock_main)
    target_compile_options(${t} PRIVATE -w)
  endforeach()

  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(KM27_WINE_ARCH win64)
  else()
    set(KM27_WINE_ARCH win32)
  endif()
  add_test(NAME wine_fixture_start
           COMMAND ${CMAKE_SOURCE_DIR}/cmake/wine-fixture.sh start ${KM27_WINE_DIR} ${KM27_WINE_ARCH})
  add_test(NAME wine_fixture_stop
           COMMAND ${CMAKE_SOURCE_DIR}/cmake/wine-fixture.sh stop ${KM27_WINE_DIR})
  set_tests_properties(wine_fixture_start PROPERTIES FIXTURES_SETUP wine TIMEOUT 600)
  set_tests_properties(wine_fixture_stop PROPERTIES FIXTURES_CLEANUP wine)
else()
  find_package(GTest REQUIRED)
  include(GoogleTest)
endif()

function(km27_add_native_test name)
  if(WIN32 OR NOT KM27_CORE_TESTS)
    return()
  endif()
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main GTest::gmock)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 120)
endfunction()

function(km27_add_wine_test name)
  if(NOT WIN32)
    return()
  endif()
  cmake_parse_arguments(T "GTEST" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS})
  if(T_GTEST)
    target_link_libraries(${name} PRIVATE gtest gtest_main gmock)
  endif()
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 180)
  endif()
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine TIMEOUT ${T_TIMEOUT}
    ENVIRONMENT "KM27_WINE_DIR=${KM27_WINE_DIR};KM27_NATIVE_BUILD_DIR=${KM27_NATIVE_BUILD_DIR}")
endfunction()

function(km27_add_wine_script_test name)
  if(NOT WIN32)
    return()
  endif()
  cmake_parse_arguments(T "" "TIMEOUT" "COMMAND" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 180)
  endif()
  add_test(NAME ${name} COMMAND ${T_COMMAND})
  set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine TIMEOUT ${T_TIMEOUT}
    ENVIRONMENT "KM27_WINE_DIR=${KM27_WINE_DIR};KM27_WINE_RUN=${KM27_WINE_RUN};KM27_NATIVE_BUILD_DIR=${KM27_NATIVE_BUILD_DIR};KM27_BUILD_DIR=${CMAKE_BINARY_DIR};KM27_SOURCE_DIR=${CMAKE_SOURCE_DIR}")
endfunction()

function(km27_add_linux_test name)
  if(NOT KM27_LINUX)
    return()
  endif()
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} km27linux GTest::gtest GTest::gtest_main GTest::gmock)
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 180)
  endif()
  add_test(NAME ${name} COMMAND xvfb-run -a -s "-screen 0 1280x1024x24 -dpi 96 -nolisten tcp" $<TARGET_FILE:${name}>)
  set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT} LABELS linux
    ENVIRONMENT "KM27_BUILD_DIR=${CMAKE_BINARY_DIR};KM27_SOURCE_DIR=${CMAKE_SOURCE_DIR};GDK_BACKEND=x11;NO_AT_BRIDGE=1")
endfunction()

function(km27_add_linux_script_test name)
  if(NOT KM27_LINUX)
    return()
  endif()
  cmake_parse_arguments(T "" "TIMEOUT" "COMMAND" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 180)
  endif()
  add_test(NAME ${name} COMMAND ${T_COMMAND})
  set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT} LABELS linux
    ENVIRONMENT "KM27_BUILD_DIR=${CMAKE_BINARY_DIR};KM27_SOURCE_DIR=${CMAKE_SOURCE_DIR};GDK_BACKEND=x11;NO_AT_BRIDGE=1")
endfunction()
