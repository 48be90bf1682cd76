# KT_BUILD_FUZZERS builds the libFuzzer targets in fuzz/. It needs clang, e.g.
#   CC=clang-14 CXX=clang++-14 cmake -B build-fuzz -DKT_BUILD_FUZZERS=ON -DKT_BUILD_UI=OFF -DKT_BUILD_TESTS=OFF
# and instruments every library for coverage, AddressSanitizer and UndefinedBehaviorSanitizer,
# so that a fault in the code under test, not only in the targets, ends the run as a finding.
option(KT_BUILD_FUZZERS "Build the libFuzzer targets (clang only)" OFF)

if(KT_BUILD_FUZZERS)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "KT_BUILD_FUZZERS needs clang: configure with CC=clang-14 CXX=clang++-14")
  endif()
  if(NOT KT_SANITIZE STREQUAL "")
    message(FATAL_ERROR "KT_BUILD_FUZZERS brings its own sanitizers: leave KT_SANITIZE empty")
  endif()
  set(kt_fuzzing_flags -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  add_compile_options(-fsanitize=fuzzer-no-link ${kt_fuzzing_flags})
  add_link_options(${kt_fuzzing_flags})
endif()
