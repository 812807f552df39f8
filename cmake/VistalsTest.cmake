# Test programs: GoogleTest built with the cross toolchain, each program one
# CTest test, run through Wine (see tests/run-under-wine.sh).
set(VISTALS_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources")

macro(vistals_enable_gtest)
  if(NOT TARGET gtest_main)
    set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    add_subdirectory(${VISTALS_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    # Not our code: its warnings are not ours to mend.
    target_compile_options(gtest PRIVATE -Wno-error)
    target_compile_options(gtest_main PRIVATE -Wno-error)
  endif()
endmacro()

# vistals_add_test(NAME name SOURCES files... [LIBS libs...] [TIMEOUT seconds])
# The test program lands in the program folder's sibling "tests" so that it
# can find the program's files the way the program does.
# A test that carries the program's resources is rebuilt when what they name
# changes (the manifest, a bitmap): windres does not report them.
function(vistals_track_resources)
  set_source_files_properties(${CMAKE_SOURCE_DIR}/res/vistals.rc DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}
    PROPERTIES OBJECT_DEPENDS "${VISTALS_RC_INPUTS}")
endfunction()

function(vistals_add_test)
  cmake_parse_arguments(T "GUI" "NAME;TIMEOUT" "SOURCES;LIBS" ${ARGN})
  vistals_enable_gtest()
  add_executable(${T_NAME} ${T_SOURCES})
  vistals_track_resources()
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} gtest_main gtest)
  target_include_directories(${T_NAME} PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/tests)
  set_target_properties(${T_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests-bin)
  add_test(NAME ${T_NAME} COMMAND ${CMAKE_SOURCE_DIR}/tests/run-under-wine.sh $<TARGET_FILE:${T_NAME}>)
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set_tests_properties(${T_NAME} PROPERTIES TIMEOUT ${T_TIMEOUT})
endfunction()
