# Each subsystem folder becomes one library whose sources are the files in it, so
# adding a file never means editing a shared list. EXCLUDE names sub-folders that are
# libraries of their own.
function(vesk_glob out root dir)
  cmake_parse_arguments(ARG "" "" "EXCLUDE" ${ARGN})
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS ${root}/${dir}/*.cpp ${root}/${dir}/*.h
       ${root}/${dir}/*.qrc)
  foreach(ex IN LISTS ARG_EXCLUDE)
    list(FILTER srcs EXCLUDE REGEX "${root}/${dir}/${ex}/")
  endforeach()
  set(${out} ${srcs} PARENT_SCOPE)
endfunction()

function(vesk_library name dir)
  cmake_parse_arguments(ARG "" "" "DEPS;EXCLUDE" ${ARGN})
  vesk_glob(srcs ${CMAKE_SOURCE_DIR}/src ${dir} EXCLUDE ${ARG_EXCLUDE})
  set(cpps ${srcs})
  list(FILTER cpps INCLUDE REGEX "\\.cpp$")
  if(cpps)
    add_library(${name} STATIC ${srcs})
    target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR}/src)
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  else()
    # A subsystem that has no code yet still takes part in the dependency graph.
    add_library(${name} INTERFACE ${srcs})
    target_include_directories(${name} INTERFACE ${CMAKE_SOURCE_DIR}/src)
    target_link_libraries(${name} INTERFACE ${ARG_DEPS})
  endif()
endfunction()

# One test program per folder of tests/, linked against the libraries it exercises.
function(vesk_tests name dir)
  cmake_parse_arguments(ARG "WIDGETS" "" "DEPS;EXCLUDE" ${ARGN})
  vesk_glob(srcs ${CMAKE_SOURCE_DIR}/tests ${dir} EXCLUDE ${ARG_EXCLUDE})
  if(NOT srcs)
    return()
  endif()
  add_executable(${name} ${srcs})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests ${CMAKE_SOURCE_DIR}/src)
  if(ARG_WIDGETS)
    set(test_main vesk_test_main_widgets)
  else()
    set(test_main vesk_test_main)
  endif()
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} vesk_testsupport ${test_main} GTest::gtest
                        GTest::gmock)
  target_compile_definitions(${name} PRIVATE VESK_TEST_DATA="${CMAKE_SOURCE_DIR}/tests/data")
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LC_ALL=C.UTF-8")
endfunction()
