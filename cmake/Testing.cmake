# add_gtest(NAME SOURCES... LIBS ... [PROPERTIES ...]): a GoogleTest program whose tests CTest discovers.
# In the Windows build the tests run under Wine in the build folder's own prefix.
# test_timeout is every test's time limit in seconds; scripts/test sets none of its own.
set(test_timeout 120)
if(WIN32)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_SOURCE_DIR}/scripts/wine-env ${CMAKE_BINARY_DIR})
endif()

function(add_gtest name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;PROPERTIES" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} test_support GTest::gtest_main)
  set(props TIMEOUT ${test_timeout} ${ARG_PROPERTIES})
  if(WIN32)
    list(APPEND props FIXTURES_REQUIRED wine)
  endif()
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
                       PROPERTIES ${props})
endfunction()
