# The Linux program's platform layers. Each subsystem may have, beside its
# posix/ folder, a gtk/ (GTK 3: windows, tray, notifications), an x11/ (X11,
# XTEST, XKB) and a uinput/ (/dev/uinput with libxkbcommon) folder; each
# becomes a library km27_<subsystem>_<folder> linked against Debian's
# libraries, and km27linux gathers them for the program and its tests.
find_package(PkgConfig REQUIRED)
pkg_check_modules(KM27_GTK REQUIRED IMPORTED_TARGET gtk+-3.0 ayatana-appindicator3-0.1 libnotify)
pkg_check_modules(KM27_X11 REQUIRED IMPORTED_TARGET x11 xtst xkbcommon xkbcommon-x11)
pkg_check_modules(KM27_XKB REQUIRED IMPORTED_TARGET xkbcommon)

add_library(km27linux INTERFACE)
target_link_libraries(km27linux INTERFACE km27posix)

set(KM27_LINUX_LAYER_gtk PkgConfig::KM27_GTK PkgConfig::KM27_X11)
set(KM27_LINUX_LAYER_x11 PkgConfig::KM27_X11)
set(KM27_LINUX_LAYER_uinput PkgConfig::KM27_XKB)

# km27_add_linux_layers(<subsystem library>): called by km27_add_library.
function(km27_add_linux_layers name)
  foreach(layer gtk x11 uinput)
    file(GLOB src CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${layer}/*.cpp)
    if(src)
      add_library(${name}_${layer} STATIC ${src})
      target_link_libraries(${name}_${layer} PUBLIC ${name} ${KM27_LINUX_LAYER_${layer}} Threads::Threads)
      if(TARGET ${name}_posix)
        target_link_libraries(${name}_${layer} PUBLIC ${name}_posix)
      endif()
      target_link_libraries(km27linux INTERFACE ${name}_${layer})
    endif()
  endforeach()
endfunction()
