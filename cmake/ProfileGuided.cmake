# Profile-guided optimisation of Release builds of the portable library with
# GCC. A drawing pass and a save are long chains of small branches (is the
# handle live, is the line on the surface, does the string go on), and GCC
# lays them out and inlines far better when it knows which way they go: a
# drawing pass runs about a tenth fewer instructions, and takes about a
# tenth less time.
#
# The build first makes a second build tree beside its own (profile-training)
# in which the library is instrumented, runs the training program there
# (tools/profile-training), and compiles its own library objects with the
# counts that run left. Both trees name every object file by the same path
# below their top, which is how GCC pairs counts with objects. Training runs
# again whenever a library source changes.
#
# Only the library's own objects get this treatment; the Windows DLL keeps
# the code generation its tiers have verified, and sanitized builds measure
# something else. Every output is the same: the optimisation changes code
# layout and inlining, never arithmetic.
option(TRENDEL_PROFILE_GUIDED
       "Release builds of the portable library with GCC: optimise with a training run's profile"
       ON)
# TRENDEL_PROFILE_STAGE=generate and TRENDEL_PROFILE_DATA (where the counts
# go) are given only to a training tree, by the build that makes it.

set(trendel_training_tree ${PROJECT_BINARY_DIR}/profile-training)
set(trendel_profile_data ${PROJECT_BINARY_DIR}/profile-data)
set(trendel_training_stamp ${trendel_training_tree}/trained.stamp)
set(trendel_training_programs ${trendel_training_tree}/tools/profile-training)

# The compile and link options of the library's targets for either stage.
add_library(trendel_profile_guided INTERFACE)

# Every target that links trendel_profile_guided waits for the training.
function(trendel_after_training target)
  if(TARGET trendel_profile_training)
    add_dependencies(${target} trendel_profile_training)
  endif()
endfunction()

# Once the shared library is built: the training program of the training tree
# runs again on it and must write every picture byte for byte as the
# instrumented library did, or the build fails.
function(trendel_check_trained_library target)
  if(NOT TARGET trendel_profile_training)
    return()
  endif()
  set(check ${PROJECT_BINARY_DIR}/profile-check)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${check}
    COMMAND ${CMAKE_COMMAND} -E env LD_LIBRARY_PATH=$<TARGET_FILE_DIR:${target}>
            ${trendel_training_programs}/trendel_training_shared ${check}
    COMMAND diff -r ${trendel_training_tree}/pictures ${check}
    COMMENT "Checking that the profile-guided library makes the training's pictures"
    VERBATIM)
endfunction()

if(TRENDEL_PROFILE_STAGE STREQUAL "generate")
  set(trendel_profile_flags -fprofile-generate=${TRENDEL_PROFILE_DATA}
      -fprofile-prefix-path=${PROJECT_BINARY_DIR} -fprofile-update=single)
  target_compile_options(trendel_profile_guided INTERFACE ${trendel_profile_flags})
  target_link_options(trendel_profile_guided INTERFACE ${trendel_profile_flags})
  return()
endif()

if(NOT TRENDEL_PROFILE_GUIDED OR WIN32 OR NOT CMAKE_BUILD_TYPE STREQUAL "Release" OR
   NOT CMAKE_CXX_COMPILER_ID STREQUAL "GNU" OR TRENDEL_SANITIZE OR TRENDEL_FUZZ OR
   TRENDEL_THREAD_SANITIZER)
  return()
endif()

cmake_host_system_information(RESULT trendel_training_jobs QUERY NUMBER_OF_LOGICAL_CORES)
file(GLOB_RECURSE trendel_training_inputs CONFIGURE_DEPENDS
     ${PROJECT_SOURCE_DIR}/src/* ${PROJECT_SOURCE_DIR}/include/*
     ${PROJECT_SOURCE_DIR}/tools/profile-training/*)

# Counts add up from run to run, so every training starts from none. The
# training tree compiles with this tree's compilers and flags: GCC refuses
# counts of code that was compiled otherwise. Its build runs a make of its
# own, not as a part of this build's.
add_custom_command(
  OUTPUT ${trendel_training_stamp}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${trendel_profile_data}
  COMMAND ${CMAKE_COMMAND} -S ${PROJECT_SOURCE_DIR} -B ${trendel_training_tree}
          -DCMAKE_BUILD_TYPE=Release -DCMAKE_C_COMPILER=${CMAKE_C_COMPILER}
          -DCMAKE_CXX_COMPILER=${CMAKE_CXX_COMPILER} -DCMAKE_C_FLAGS=${CMAKE_C_FLAGS}
          -DCMAKE_CXX_FLAGS=${CMAKE_CXX_FLAGS} -DCMAKE_C_FLAGS_RELEASE=${CMAKE_C_FLAGS_RELEASE}
          -DCMAKE_CXX_FLAGS_RELEASE=${CMAKE_CXX_FLAGS_RELEASE} -DTRENDEL_PROFILE_STAGE=generate
          -DTRENDEL_PROFILE_DATA=${trendel_profile_data} -DTRENDEL_BUILD_TESTS=OFF
          -DTRENDEL_BUILD_BENCH=OFF -DTRENDEL_BUILD_TOOLS=OFF
  COMMAND ${CMAKE_COMMAND} -E env --unset=MAKEFLAGS
          ${CMAKE_COMMAND} --build ${trendel_training_tree} --parallel ${trendel_training_jobs}
          --target trendel_training trendel_training_shared
  COMMAND ${trendel_training_programs}/trendel_training ${trendel_training_tree}/pictures
  COMMAND ${CMAKE_COMMAND} -E env LD_LIBRARY_PATH=${trendel_training_tree}/src/api
          ${trendel_training_programs}/trendel_training_shared ${trendel_training_tree}/pictures
  COMMAND ${CMAKE_COMMAND} -E touch ${trendel_training_stamp}
  DEPENDS ${trendel_training_inputs}
  COMMENT "Training run for the profile-guided build of the library"
  VERBATIM)
add_custom_target(trendel_profile_training DEPENDS ${trendel_training_stamp})

# Code that the training never runs is compiled as it would be without a
# profile, not for size as GCC would otherwise take it to be cold: a host's
# chart may well take paths the training does not.
target_compile_options(trendel_profile_guided INTERFACE
  -fprofile-use=${trendel_profile_data} -fprofile-prefix-path=${PROJECT_BINARY_DIR}
  -fprofile-partial-training -Wno-missing-profile)
