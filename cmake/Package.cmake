# The release packages.
#
# windows and windows64 presets:
#   cmake --build --preset windows --target package
# writes build/windows/package/KM27-<version>-win32.zip (windows64:
# build/windows64/package/KM27-<version>-win64.zip): KM27.exe, the default
# settings copy, the language files and the user guide as a Windows text file,
# all in the zip's top folder, so that unpacking it anywhere gives a working
# program folder. The version is the project version, as in the version
# resource.
#
# linux preset:
#   cmake --build --preset linux --target package
# writes build/linux/package/km27_<version>_<arch>.deb.
if(KM27_LINUX)
  # The program goes to /usr/bin/km27. /usr/bin is not the user's to write, so
  # the program reads its default settings copy and language files from
  # KM27_INSTALLED_DATA_DIR (settings/CMakeLists.txt) and keeps each user's
  # settings in $XDG_CONFIG_HOME/km27/. Nothing the package installs is written
  # to by the program, so removing it leaves exactly the users' settings.
  #
  # The menu entry, the AppStream data and the hicolor icons make it show up in
  # the desktop's menus and software centres; the hicolor and desktop-database
  # caches are refreshed by the triggers of the packages that own them, so the
  # package has no maintainer scripts.

  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  # The data folder is compiled into the program: the package puts the files
  # where the program looks, or refuses to be made.
  cmake_path(IS_PREFIX CPACK_PACKAGING_INSTALL_PREFIX "${KM27_INSTALLED_DATA_DIR}" NORMALIZE km27_data_in_prefix)
  if(NOT km27_data_in_prefix)
    message(FATAL_ERROR "KM27_INSTALLED_DATA_DIR (${KM27_INSTALLED_DATA_DIR}) must lie under ${CPACK_PACKAGING_INSTALL_PREFIX} for the package")
  endif()
  file(RELATIVE_PATH km27_data_dest ${CPACK_PACKAGING_INSTALL_PREFIX} ${KM27_INSTALLED_DATA_DIR})

  # The AppStream component id: the maker's web address reversed.
  set(KM27_APPSTREAM_ID jp.co.orvane.km27)
  set(KM27_LINUX_DIR ${CMAKE_SOURCE_DIR}/app/linux)

  # app/ defines the program only once its entry is there.
  if(TARGET km27)
    install(TARGETS km27 RUNTIME DESTINATION bin)
  endif()
  install(FILES ${KM27_DATA_FILES} DESTINATION ${km27_data_dest})
  install(FILES ${KM27_LINUX_DIR}/km27.desktop DESTINATION share/applications)
  configure_file(${KM27_LINUX_DIR}/km27.metainfo.xml.in ${CMAKE_BINARY_DIR}/km27.metainfo.xml @ONLY)
  install(FILES ${CMAKE_BINARY_DIR}/km27.metainfo.xml DESTINATION share/metainfo
          RENAME ${KM27_APPSTREAM_ID}.metainfo.xml)
  install(FILES ${CMAKE_SOURCE_DIR}/docs/user-guide.md DESTINATION share/doc/km27)

  # The icons are drawn into data/icons/hicolor/<size>/apps/ (and scalable/);
  # a build configured before they were there picks them up once they are,
  # because the glob below is checked again at every build.
  set(KM27_ICON_THEME_DIR ${CMAKE_SOURCE_DIR}/data/icons/hicolor)
  file(GLOB_RECURSE km27_icon_files CONFIGURE_DEPENDS ${KM27_ICON_THEME_DIR}/*)
  if(EXISTS ${KM27_ICON_THEME_DIR})
    install(DIRECTORY ${KM27_ICON_THEME_DIR} DESTINATION share/icons)
  endif()

  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGE_NAME km27)
  set(CPACK_PACKAGE_VENDOR ORVANE)
  set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
  set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
  set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "turns a serial card reader into a keyboard")
  set(CPACK_STRIP_FILES ON)
  set(CPACK_VERBATIM_VARIABLES ON)
  # <name>_<version>_<arch>.deb: no Debian revision, the project version alone.
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(KM27_PACKAGE_MAINTAINER "ORVANE" CACHE STRING "Maintainer field of the Debian package")
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${KM27_PACKAGE_MAINTAINER}")
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://www.orvane.co.jp/")
  # The libraries the program links decide the dependencies (dpkg-shlibdeps).
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  # The Japanese language file asks for one of these faces.
  set(CPACK_DEBIAN_PACKAGE_SUGGESTS "fonts-ipafont-gothic | fonts-noto-cjk")
  set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
  # The summary is the first line; CPack adds it before this text.
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
"KM-27 reads cards from a KM-27 series card reader on a serial port (or a
USB serial adapter) and types each card read, formatted with the user's
key-data format (header, parts of each track, separators, terminator,
named keys and key chords), into the window that has the keyboard focus.

It sits in the notification area. Keys are typed through the X server's
XTEST extension on X11, and through /dev/uinput on Wayland.")
  include(CPack)
  return()
endif()
if(NOT WIN32)
  return()
endif()

# The user guide as text with Windows line ends, beside the program like the
# other shipped files.
find_program(KM27_AWK NAMES awk mawk gawk REQUIRED)
set(KM27_USER_GUIDE ${CMAKE_BINARY_DIR}/bin/UserGuide.txt)
add_custom_command(OUTPUT ${KM27_USER_GUIDE}
  COMMAND ${KM27_AWK} -v dest=${KM27_USER_GUIDE} -f ${CMAKE_SOURCE_DIR}/tools/guide/guide-to-text.awk
          ${CMAKE_SOURCE_DIR}/docs/user-guide.md
  DEPENDS ${CMAKE_SOURCE_DIR}/tools/guide/guide-to-text.awk ${CMAKE_SOURCE_DIR}/docs/user-guide.md
  COMMENT "User guide as text"
  VERBATIM)
add_custom_target(km27_user_guide ALL DEPENDS ${KM27_USER_GUIDE})

install(TARGETS KM27 RUNTIME DESTINATION .)
install(FILES ${KM27_DATA_FILES} ${KM27_USER_GUIDE} DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME KM27)
set(CPACK_PACKAGE_VENDOR ORVANE)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME KM27-${PROJECT_VERSION}-${KM27_PACKAGE_PLATFORM})
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_STRIP_FILES ON)
set(CPACK_VERBATIM_VARIABLES ON)
include(CPack)
