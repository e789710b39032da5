# Helpers shared by every folder of the build.

# mirq_add_test(NAME SOURCES... LIBS libs...)
# One GoogleTest program per area, registered with CTest test by test, with
# the shared test plumbing of tests/support.
function(mirq_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  if(NOT ARG_SOURCES)
    set(ARG_SOURCES ${ARG_UNPARSED_ARGUMENTS})
  endif()
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} mirq_test_support GTest::gtest GTest::gtest_main)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  gtest_discover_tests(${name}
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
    DISCOVERY_TIMEOUT 60
    # One variable per property: a list value would be split on its way
    # through test discovery.
    PROPERTIES ENVIRONMENT "MIRQ_BIN=${CMAKE_BINARY_DIR}/bin"
               ENVIRONMENT_MODIFICATION "MIRQ_SOURCE=set:${CMAKE_SOURCE_DIR}")
endfunction()

# mirq_add_bench(NAME SOURCES... LIBS libs...)
# Benchmarks are built into bin/ but never registered with CTest.
function(mirq_add_bench name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  if(NOT ARG_SOURCES)
    set(ARG_SOURCES ${ARG_UNPARSED_ARGUMENTS})
  endif()
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} benchmark::benchmark)
endfunction()

# mirq_windows_programs()
# In a Windows build the shipped programs carry their product names
# (Mirqgate.exe, Mirqmind.exe) and the launcher gets the GUI subsystem, so
# starting it opens no console window. Every program of bin/ links the
# start-up code that keeps library loads to the system folder
# (windows/library_search.cpp); scripts/test --windows checks each image for
# it. Called once, after every folder.
function(mirq_windows_programs)
  set_target_properties(mirqgate PROPERTIES OUTPUT_NAME Mirqgate WIN32_EXECUTABLE ON)
  set_target_properties(mirqmind PROPERTIES OUTPUT_NAME Mirqmind)
  foreach(program IN ITEMS mirqgate mirqmind mirq-term mirq-web mirq-tool mirqpack mirq_fake_game)
    if(TARGET ${program})
      target_link_libraries(${program} PRIVATE mirq_library_search)
    endif()
  endforeach()
endfunction()
