# AddressSanitizer + UndefinedBehaviorSanitizer for the hardening tier. Every
# report aborts the run, and float-to-int overflow counts as undefined.
add_library(trendel_sanitizers INTERFACE)
if(TRENDEL_FUZZ)
  # Coverage for libFuzzer in every target; the fuzzer itself links the driver.
  target_compile_options(trendel_sanitizers INTERFACE -fsanitize=fuzzer-no-link)
  target_link_options(trendel_sanitizers INTERFACE -fsanitize=fuzzer-no-link)
endif()
if(TRENDEL_SANITIZE OR TRENDEL_FUZZ)
  set(trendel_sanitize_flags
    -fsanitize=address,undefined,float-cast-overflow
    -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_compile_options(trendel_sanitizers INTERFACE ${trendel_sanitize_flags})
  target_link_options(trendel_sanitizers INTERFACE ${trendel_sanitize_flags})
endif()
