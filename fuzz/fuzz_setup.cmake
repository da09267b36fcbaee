# The fuzz build: `cmake -DVESK_FUZZ=ON -DCMAKE_CXX_COMPILER=clang++`. Every library is then
# compiled for libFuzzer with AddressSanitizer and UndefinedBehaviorSanitizer, and the
# targets of this folder are added; build them by name (the `vesk_fuzz` target builds all).
option(VESK_FUZZ "Build the fuzz targets (clang++ with libFuzzer)" OFF)
if(VESK_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "VESK_FUZZ needs clang++ (CMAKE_CXX_COMPILER=clang++)")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined
                      -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
  # Read last, once the libraries the targets link exist (the path is expanded then).
  set(VESK_FUZZ_DIR ${CMAKE_CURRENT_LIST_DIR})
  cmake_language(DEFER CALL include ${VESK_FUZZ_DIR}/fuzz_targets.cmake)
endif()
