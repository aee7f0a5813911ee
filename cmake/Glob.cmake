# km27_glob_library(<name> [SUBDIRS dir...] DEPS ...): a subsystem's libraries
# from the sources in its folder and its SUBDIRS (core), its win32/ folder and
# its posix/ folder.
function(km27_glob_library name)
  cmake_parse_arguments(G "" "" "DEPS;SUBDIRS" ${ARGN})
  file(GLOB core CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  foreach(d ${G_SUBDIRS})
    file(GLOB sub CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${d}/*.cpp)
    list(APPEND core ${sub})
  endforeach()
  file(GLOB win CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/win32/*.cpp)
  file(GLOB posix CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/posix/*.cpp)
  if(NOT core)
    set(core ${CMAKE_SOURCE_DIR}/cmake/empty.cpp)
  endif()
  km27_add_library(${name} CORE ${core} WIN32 ${win} POSIX ${posix} DEPS ${G_DEPS})
endfunction()
