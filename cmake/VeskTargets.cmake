# Each layer folder becomes one library whose sources are the files in it, so adding a
# file never means editing a shared list. EXCLUDE names sub-folders (libraries of their
# own) or single files, relative to the folder.
function(vesk_glob out root dir)
  cmake_parse_arguments(ARG "" "" "EXCLUDE" ${ARGN})
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS ${root}/${dir}/*.cpp ${root}/${dir}/*.h
       ${root}/${dir}/*.qrc)
  foreach(ex IN LISTS ARG_EXCLUDE)
    list(FILTER srcs EXCLUDE REGEX "^${root}/${dir}/${ex}(/|$)")
  endforeach()
  set(${out} ${srcs} PARENT_SCOPE)
endfunction()

# A library sees its own folder and the folders of the libraries it links, nothing else:
# its include directory holds one link, named like the folder, to the folder itself.
function(vesk_expose target root dir)
  set(tree ${CMAKE_BINARY_DIR}/include/${target})
  get_filename_component(parent ${tree}/${dir} DIRECTORY)
  file(MAKE_DIRECTORY ${parent})
  file(CREATE_LINK ${root}/${dir} ${tree}/${dir} SYMBOLIC)
  target_include_directories(${target} PUBLIC ${tree})
endfunction()

function(vesk_library name dir)
  cmake_parse_arguments(ARG "" "" "DEPS;EXCLUDE" ${ARGN})
  vesk_glob(srcs ${CMAKE_SOURCE_DIR}/src ${dir} EXCLUDE ${ARG_EXCLUDE})
  add_library(${name} STATIC ${srcs})
  vesk_expose(${name} ${CMAKE_SOURCE_DIR}/src ${dir})
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
endfunction()

# One test program per folder of tests/, linked against the libraries it exercises.
function(vesk_tests name dir)
  cmake_parse_arguments(ARG "WIDGETS;SERIAL" "" "DEPS;EXCLUDE" ${ARGN})
  vesk_glob(srcs ${CMAKE_SOURCE_DIR}/tests ${dir} EXCLUDE ${ARG_EXCLUDE})
  if(NOT srcs)
    return()
  endif()
  add_executable(${name} ${srcs})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  if(ARG_WIDGETS)
    set(test_main vesk_test_main_widgets)
  else()
    set(test_main vesk_test_main)
  endif()
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} vesk_testsupport ${test_main} GTest::gtest
                        GTest::gmock)
  target_compile_definitions(${name} PRIVATE VESK_TEST_DATA="${CMAKE_SOURCE_DIR}/tests/data")
  # SERIAL: tests that measure real time run while no other test loads the machine.
  # The test main sets the offscreen platform and a UTF-8 locale itself: a list-valued
  # property would be split apart on its way through test discovery.
  if(ARG_SERIAL)
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES RUN_SERIAL TRUE)
  else()
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60)
  endif()
endfunction()
