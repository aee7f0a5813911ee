# The release package (windows and windows64 presets):
#   cmake --build --preset windows --target package
# writes build/windows/package/KM27-<version>-win32.zip (windows64:
# build/windows64/package/KM27-<version>-win64.zip): KM27.exe, the default
# settings copy, the language files and the user guide as a Windows text file,
# all in the zip's top folder, so that unpacking it anywhere gives a working
# program folder. The version is the project version, as in the version
# resource.
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
