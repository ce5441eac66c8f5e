# Helpers that give every component the same shape: a private static library that the
# deliverable and its tests both link, GoogleTest executables run by CTest, and fuzz targets
# that run as regression tests over their corpus when libFuzzer is not in the build.
include(GoogleTest)

# orvel_add_test(NAME name SOURCES ... LIBS ... [LABELS ...])
function(orvel_add_test)
  cmake_parse_arguments(T "" "NAME" "SOURCES;LIBS;LABELS" ${ARGN})
  set(name ${T_NAME})
  if(NOT name)
    message(FATAL_ERROR "orvel_add_test: NAME is required")
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main Threads::Threads)
  # An empty LABELS value would swallow the next property name.
  set(properties TIMEOUT 300)
  if(T_LABELS)
    list(APPEND properties LABELS "${T_LABELS}")
  endif()
  if("threads" IN_LIST T_LABELS)
    set_property(GLOBAL APPEND PROPERTY ORVEL_THREAD_TESTS ${name})
  endif()
  # NO_PRETTY_VALUES: a parameter printed as bytes (pointers in it) would make the name
  # differ from run to run.
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60 NO_PRETTY_VALUES
    PROPERTIES ${properties})
endfunction()

# orvel_add_fuzzer(NAME name SOURCES ... LIBS ... CORPUS dir)
function(orvel_add_fuzzer)
  cmake_parse_arguments(F "" "NAME;CORPUS" "SOURCES;LIBS" ${ARGN})
  set(name ${F_NAME})
  if(NOT name)
    message(FATAL_ERROR "orvel_add_fuzzer: NAME is required")
  endif()
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

# orvel_register(target): after each build of a deliverable, registers it with regsvr into
# the state root of the build's environment, so a built tree works at once. Never fails the
# build: a registration problem is a warning.
function(orvel_register target)
  add_dependencies(${target} regsvr)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -DREGSVR=$<TARGET_FILE:regsvr> -DFILE=$<TARGET_FILE:${target}>
            -P ${CMAKE_SOURCE_DIR}/tools/regsvr/RegisterStep.cmake
    VERBATIM)
endfunction()

# orvel_add_thread_tests_target(): the target "thread_tests" builds what the ThreadSanitizer
# run needs (the tests labelled "threads" and the programs and libraries they load by path),
# so that run need not build every other test too. Called once, after all components.
function(orvel_add_thread_tests_target)
  get_property(tests GLOBAL PROPERTY ORVEL_THREAD_TESTS)
  add_custom_target(thread_tests)
  foreach(t ${tests} Lumin Medrix Pictra Foldra Recora Vistel camsim camctl regsvr)
    if(TARGET ${t})
      add_dependencies(thread_tests ${t})
    endif()
  endforeach()
endfunction()
