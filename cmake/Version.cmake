# The version is written once, in project() of the top CMakeLists.txt. The
# program's resources and code read it from the generated VistalsVersion.h
# (through app/Version.h); the release packages take it from the cache
# (CMAKE_PROJECT_VERSION). "3.00" is shown as written; the numeric form for
# the version resource drops the leading zeros.
math(EXPR VISTALS_VERSION_MAJOR "${PROJECT_VERSION_MAJOR}+0")
if(PROJECT_VERSION_MINOR STREQUAL "")
  set(VISTALS_VERSION_MINOR 0)
else()
  math(EXPR VISTALS_VERSION_MINOR "${PROJECT_VERSION_MINOR}+0")
endif()
if(PROJECT_VERSION_PATCH STREQUAL "")
  set(VISTALS_VERSION_PATCH 0)
else()
  math(EXPR VISTALS_VERSION_PATCH "${PROJECT_VERSION_PATCH}+0")
endif()
set(VISTALS_VERSION_TEXT ${PROJECT_VERSION})
configure_file(${CMAKE_CURRENT_LIST_DIR}/VistalsVersion.h.in
               ${CMAKE_BINARY_DIR}/generated/VistalsVersion.h @ONLY)
# Like res/resource.h, anyone may include it.
include_directories(${CMAKE_BINARY_DIR}/generated)
