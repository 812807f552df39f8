# Release packages made from the program folder by packaging/make-release.sh:
# STEM-portable.zip and the per-user installer STEM-setup.exe. The product is
# the 32-bit build (`./vistals.sh dist` writes build/release); a 64-bit build
# makes a 64-bit installer, which the installer test runs where 32-bit code
# cannot.
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
  set(VISTALS_NSIS_TARGET amd64-unicode)
  set(VISTALS_RELEASE_STEM Vistals-${PROJECT_VERSION}-x64)
else()
  set(VISTALS_NSIS_TARGET x86-unicode)
  set(VISTALS_RELEASE_STEM Vistals-${PROJECT_VERSION})
endif()
if(VISTALS_THIRDPARTY_DIR)
  set(VISTALS_THIRDPARTY_SOURCES ${VISTALS_THIRDPARTY_DIR}/src)
else()
  set(VISTALS_THIRDPARTY_SOURCES ${CMAKE_BINARY_DIR}/thirdparty/src)
endif()
set(VISTALS_RELEASE_DIR ${CMAKE_BINARY_DIR}/release CACHE PATH "Where the dist target writes the zip and the installer")
set(VISTALS_PACKAGING_FILES
  ${CMAKE_SOURCE_DIR}/packaging/make-release.sh
  ${CMAKE_SOURCE_DIR}/packaging/Vistals.nsi
  ${CMAKE_SOURCE_DIR}/packaging/README.txt
  ${CMAKE_SOURCE_DIR}/res/vistals.ico)

# What the packages hold; the help file too where this build makes one
# (include this file after the help file's folder is added).
set(VISTALS_RELEASE_TARGETS Vistals ZELIMAGE)
if(TARGET VistalsHelp)
  list(APPEND VISTALS_RELEASE_TARGETS VistalsHelp)
  list(APPEND VISTALS_PACKAGING_FILES ${VISTALS_HELP_FILE})
endif()

add_custom_target(dist
  COMMAND bash ${CMAKE_SOURCE_DIR}/packaging/make-release.sh
          ${VISTALS_DIST_DIR} ${VISTALS_RELEASE_DIR} ${PROJECT_VERSION} ${VISTALS_NSIS_TARGET}
          ${VISTALS_RELEASE_STEM} ${VISTALS_THIRDPARTY_SOURCES}
  VERBATIM USES_TERMINAL)
add_dependencies(dist ${VISTALS_RELEASE_TARGETS})
