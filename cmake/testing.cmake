# GoogleTest for both builds: the system library natively, compiled from the Debian sources
# (/usr/src/googletest) for Windows.
function(ov_setup_googletest)
  if(TARGET GTest::gtest_main)
    return()
  endif()
  if(CMAKE_CROSSCOMPILING)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
    set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
    # The GoogleTest sources define the GTest:: aliases themselves.
  else()
    find_package(GTest REQUIRED)
  endif()
endfunction()

include(GoogleTest)

# `out` = the labels given after it plus this build's own: wine for the Windows build, native
# otherwise, so that either build's tests can be picked with -L.
function(ov_build_labels out)
  set(labels ${ARGN})
  if(CMAKE_CROSSCOMPILING)
    list(APPEND labels wine)
  else()
    list(APPEND labels native)
  endif()
  set(${out} "${labels}" PARENT_SCOPE)
endfunction()

# Labels a tool's own command-line test as a unit test of this build, with a two-minute limit.
function(ov_tool_test_properties name)
  ov_build_labels(labels unit)
  set_tests_properties(${name} PROPERTIES LABELS "${labels}" TIMEOUT 120)
endfunction()

# One test binary per layer; every GoogleTest case becomes its own CTest test, discovered when
# the tests run (under Wine for the Windows build, once the prefix exists).
function(ov_add_gtest name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gmock GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  ov_build_labels(labels ${ARG_LABELS})
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES TIMEOUT 600)
  # List-valued properties do not survive the discovery step intact (their items shift the
  # property pairs), so labels and environment are set on the discovered tests afterwards.
  set(props ${CMAKE_CURRENT_BINARY_DIR}/${name}_properties.cmake)
  file(WRITE ${props}
       "foreach(test IN LISTS ${name}_TESTS)\n"
       "  set_tests_properties(\"\${test}\" PROPERTIES LABELS \"${labels}\"\n"
       "    ENVIRONMENT \"OV_SOURCE_DIR=${CMAKE_SOURCE_DIR};OV_BINARY_DIR=${CMAKE_BINARY_DIR}\")\n"
       "endforeach()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${props})
endfunction()
