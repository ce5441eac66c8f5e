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
