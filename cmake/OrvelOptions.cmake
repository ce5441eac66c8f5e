# Build-wide switches: warnings and the sanitizer builds.
set(ORVEL_SANITIZE "" CACHE STRING "Sanitizers: empty, 'address;undefined' or 'thread'")
option(ORVEL_FUZZ "Build fuzz targets with libFuzzer (clang only)" OFF)
option(ORVEL_WERROR "Treat warnings as errors" OFF)

add_compile_options(-Wall -Wextra)
if(ORVEL_WERROR)
  add_compile_options(-Werror)
endif()

if(ORVEL_SANITIZE)
  list(JOIN ORVEL_SANITIZE "," _orvel_san)
  add_compile_options(-fsanitize=${_orvel_san} -fno-omit-frame-pointer)
  add_link_options(-fsanitize=${_orvel_san})
  if("undefined" IN_LIST ORVEL_SANITIZE)
    add_compile_options(-fno-sanitize-recover=undefined)
  endif()
endif()

# libFuzzer steers by the coverage of instrumented code, so in a fuzz build every library
# is instrumented, not only the fuzz target's own file.
if(ORVEL_FUZZ)
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()

# Deliverables export only their entry points (ORVEL_EXPORT); the platform library overrides
# this, since its whole API is the runtime every component calls.
set(CMAKE_CXX_VISIBILITY_PRESET hidden)
set(CMAKE_VISIBILITY_INLINES_HIDDEN ON)

# GCC 12 at -O2 warns about its own std::string and std::vector internals once they are
# inlined (-Wrestrict, -Warray-bounds and -Wstringop-overread false positives, fixed in GCC 13,
# the last from std::vector::insert into a vector of bytes); they say nothing
# about our code, and a warning-free release build should stay meaningful.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  add_compile_options($<$<CONFIG:Release,RelWithDebInfo>:-Wno-restrict>
                      $<$<CONFIG:Release,RelWithDebInfo>:-Wno-array-bounds>
                      $<$<CONFIG:Release,RelWithDebInfo>:-Wno-stringop-overread>)
endif()
