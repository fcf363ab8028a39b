# The strict warning set every target of ours compiles with; warnings are errors.
add_library(trendel_warnings INTERFACE)
if(MSVC)
  target_compile_options(trendel_warnings INTERFACE /W4 /WX)
else()
  target_compile_options(trendel_warnings INTERFACE
    -Wall -Wextra -Werror -Wshadow -Wcast-align -Wunused -Wdouble-promotion
    -Wformat=2 -Wimplicit-fallthrough
    $<$<COMPILE_LANGUAGE:CXX>:-Wnon-virtual-dtor -Woverloaded-virtual -Wold-style-cast>)
endif()
