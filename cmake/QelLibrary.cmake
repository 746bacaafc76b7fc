# One static library per source folder; sources are picked up by glob so that
# parallel work on different folders never edits the same build file.
function(qel_library name dir)
  file(GLOB_RECURSE _srcs CONFIGURE_DEPENDS ${dir}/*.cpp)
  if(_srcs)
    add_library(${name} STATIC ${_srcs})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${ARGN})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${ARGN})
  endif()
endfunction()

# A test binary per folder of tests/, linked with the shared Qt-offscreen main.
function(qel_test_binary name dir)
  file(GLOB_RECURSE _srcs CONFIGURE_DEPENDS ${dir}/*.cpp)
  if(NOT _srcs)
    return()
  endif()
  add_executable(${name} ${_srcs})
  target_link_libraries(${name} PRIVATE qel_testmain ${ARGN})
  gtest_discover_tests(${name} WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
               # One entry each: a list here would be split into separate properties.
               ENVIRONMENT_MODIFICATION "QEL_TEST_DATA=set:${PROJECT_SOURCE_DIR}/tests"
    DISCOVERY_TIMEOUT 60
    # Listed when ctest runs: running a binary the moment it is linked fails
    # with "Text file busy" when another build step forked while it was open.
    DISCOVERY_MODE PRE_TEST)
endfunction()
