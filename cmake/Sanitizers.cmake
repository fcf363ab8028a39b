# AddressSanitizer + UndefinedBehaviorSanitizer for the hardening tier. Every
# report aborts the run, and float-to-int overflow counts as undefined.
add_library(trendel_sanitizers INTERFACE)
if(TRENDEL_FUZZ)
  # Coverage for libFuzzer in every target; the fuzzer itself links the driver.
  target_compile_options(trendel_sanitizers INTERFACE -fsanitize=fuzzer-no-link)
  target_link_options(trendel_sanitizers INTERFACE -fsanitize=fuzzer-no-link)
endif()
# ThreadSanitizer for the threaded tests: a tier of its own, since it cannot
# be combined with AddressSanitizer. Every report fails the run.
if(TRENDEL_THREAD_SANITIZER)
  if(TRENDEL_SANITIZE OR TRENDEL_FUZZ)
    message(FATAL_ERROR "TRENDEL_THREAD_SANITIZER cannot be combined with the other sanitizers")
  endif()
  set(trendel_thread_sanitizer_flags -fsanitize=thread -fno-omit-frame-pointer)
  target_compile_options(trendel_sanitizers INTERFACE ${trendel_thread_sanitizer_flags})
  target_link_options(trendel_sanitizers INTERFACE ${trendel_thread_sanitizer_flags})
endif()
if(TRENDEL_SANITIZE OR TRENDEL_FUZZ)
  set(trendel_sanitize_flags
    -fsanitize=address,undefined,float-cast-overflow
    -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_compile_options(trendel_sanitizers INTERFACE ${trendel_sanitize_flags})
  target_link_options(trendel_sanitizers INTERFACE ${trendel_sanitize_flags})
endif()

# Every program and library of ours carries the flags above, so that the
# sanitizer tier is the whole suite: a target that forgets them fails the
# configuration instead of quietly running unchecked. Benchmarks are left
# out: they test nothing, and timings under the sanitizers mean nothing.
function(trendel_require_sanitizers directory)
  get_property(targets DIRECTORY ${directory} PROPERTY BUILDSYSTEM_TARGETS)
  foreach(target IN LISTS targets)
    get_target_property(type ${target} TYPE)
    if(NOT type MATCHES "^(EXECUTABLE|STATIC_LIBRARY|SHARED_LIBRARY)$")
      continue()
    endif()
    get_target_property(libraries ${target} LINK_LIBRARIES)
    if(NOT "trendel_sanitizers" IN_LIST libraries)
      message(FATAL_ERROR "${target} (${directory}) does not link trendel_sanitizers")
    endif()
  endforeach()
  get_property(subdirectories DIRECTORY ${directory} PROPERTY SUBDIRECTORIES)
  foreach(subdirectory IN LISTS subdirectories)
    if(NOT subdirectory STREQUAL "${PROJECT_SOURCE_DIR}/bench")
      trendel_require_sanitizers(${subdirectory})
    endif()
  endforeach()
endfunction()

# A test that runs SCRIPT with Debian's Python against this build's library
# and the trendel package's sources. The interpreter is built without the
# sanitizers, so under them their run-time has to be loaded first; and the
# interpreter's own allocations for its whole life are not leaks of the
# library. Does nothing where no system Python is found.
function(trendel_python_host_test name script)
  find_program(SYSTEM_PYTHON NAMES python3 PATHS /usr/bin NO_DEFAULT_PATH)
  if(NOT SYSTEM_PYTHON)
    return()
  endif()
  add_test(NAME ${name} COMMAND ${SYSTEM_PYTHON} ${script})
  set_tests_properties(${name} PROPERTIES ENVIRONMENT
    "TRENDEL_LIBRARY=$<TARGET_FILE:trendel>;PYTHONPATH=${PROJECT_SOURCE_DIR}/python")
  if(TRENDEL_SANITIZE)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=libasan.so
                    OUTPUT_VARIABLE asan_runtime OUTPUT_STRIP_TRAILING_WHITESPACE)
    set_property(TEST ${name} APPEND PROPERTY ENVIRONMENT
                 "LD_PRELOAD=${asan_runtime}" "ASAN_OPTIONS=detect_leaks=0")
  endif()
endfunction()
