# KT_SANITIZE selects an instrumented build for the test runs:
#   address  -> AddressSanitizer + UndefinedBehaviorSanitizer
#   thread   -> ThreadSanitizer
set(KT_SANITIZE "" CACHE STRING "Sanitizer build: empty, 'address' or 'thread'")

if(KT_SANITIZE STREQUAL "address")
  set(kt_sanitizer_flags -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
elseif(KT_SANITIZE STREQUAL "thread")
  set(kt_sanitizer_flags -fsanitize=thread -fno-omit-frame-pointer)
elseif(NOT KT_SANITIZE STREQUAL "")
  message(FATAL_ERROR "KT_SANITIZE must be empty, 'address' or 'thread'")
endif()

if(kt_sanitizer_flags)
  add_compile_options(${kt_sanitizer_flags})
  add_link_options(${kt_sanitizer_flags})
endif()
