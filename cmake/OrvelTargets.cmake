# Helpers that give every component the same shape: a private static library that the
# deliverable and its tests both link, GoogleTest executables run by CTest, and fuzz targets
# that run as regression tests over their corpus when libFuzzer is not in the build.
include(GoogleTest)

# orvel_add_test(NAME SOURCES ... LIBS ... [LABELS ...])
function(orvel_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main Threads::Threads)
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
    PROPERTIES LABELS "${T_LABELS}" TIMEOUT 300)
endfunction()

# orvel_add_fuzzer(NAME SOURCES ... LIBS ... CORPUS dir)
function(orvel_add_fuzzer name)
  cmake_parse_arguments(F "" "CORPUS" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${F_SOURCES})
  target_link_libraries(${name} PRIVATE ${F_LIBS})
  if(ORVEL_FUZZ)
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  else()
    target_link_libraries(${name} PRIVATE orvel_fuzz_main)
    if(F_CORPUS)
      add_test(NAME ${name}.corpus COMMAND ${name} ${F_CORPUS})
      set_tests_properties(${name}.corpus PROPERTIES LABELS fuzz TIMEOUT 300)
    endif()
  endif()
endfunction()
