# Profile-guided optimisation of the program (RILK_PGO).
#
# A RILK_PGO tree builds a training copy of the program first, in a tree of its own
# (pgo-training, configured with RILK_PGO_GENERATE), runs it on typical work
# (cmake/pgo_train.sh) and then compiles rilk_core and the program with the profile that
# run wrote. Profile files are named after the object files relative to each tree's root
# (-fprofile-prefix-path), so both trees find the same ones. Functions the training never
# ran are compiled as usual (-fprofile-partial-training), and sources the profile does not
# match any more (edited since) are compiled without it rather than failing.
#
# Included by src/CMakeLists.txt once rilk_core and rilk are defined.

set(RILK_PGO_COMMON_FLAGS -fprofile-prefix-path=${CMAKE_BINARY_DIR})

if(RILK_PGO_GENERATE)
  set(flags -fprofile-generate=${RILK_PGO_GENERATE} -fprofile-update=atomic
      ${RILK_PGO_COMMON_FLAGS})
  target_compile_options(rilk_core PRIVATE ${flags})
  target_compile_options(rilk PRIVATE ${flags})
  target_link_options(rilk PRIVATE -fprofile-generate)
  # The program ends with _Exit, which skips the exit handler that writes the profile.
  target_compile_definitions(rilk PRIVATE RILK_WRITE_PROFILE)
endif()

if(RILK_PGO)
  include(ExternalProject)
  set(training_tree ${CMAKE_BINARY_DIR}/pgo-training)
  set(profile_dir ${CMAKE_BINARY_DIR}/pgo-profile)
  set(profile_stamp ${profile_dir}/trained.stamp)
  set(training_program ${training_tree}/src/rilk)

  ExternalProject_Add(rilk_training_program
    SOURCE_DIR ${PROJECT_SOURCE_DIR}
    BINARY_DIR ${training_tree}
    CMAKE_ARGS
      -DCMAKE_BUILD_TYPE=${CMAKE_BUILD_TYPE}
      -DCMAKE_CXX_COMPILER=${CMAKE_CXX_COMPILER}
      -DRILK_PGO_GENERATE=${profile_dir}
      -DRILK_BUILD_TESTS=OFF -DRILK_BUILD_BENCHMARKS=OFF -DRILK_BUILD_FUZZERS=OFF
    BUILD_COMMAND ${CMAKE_COMMAND} --build ${training_tree} --target rilk
    BUILD_BYPRODUCTS ${training_program}
    BUILD_ALWAYS ON
    INSTALL_COMMAND "")

  # Counts from an earlier training would add up with the new ones: each training starts
  # from an empty profile directory.
  add_custom_command(
    OUTPUT ${profile_stamp}
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${profile_dir}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${profile_dir}
    COMMAND ${PROJECT_SOURCE_DIR}/cmake/pgo_train.sh ${training_program}
            ${CMAKE_BINARY_DIR}/pgo-work ${PROJECT_SOURCE_DIR}/examples ${profile_stamp}
    DEPENDS ${training_program} ${PROJECT_SOURCE_DIR}/cmake/pgo_train.sh
    COMMENT "Training run of the profile-optimised build"
    VERBATIM)
  add_custom_target(rilk_training_profile DEPENDS ${profile_stamp})
  add_dependencies(rilk_training_profile rilk_training_program)
  add_dependencies(rilk_core rilk_training_profile)

  set(flags -fprofile-use=${profile_dir} -fprofile-partial-training -Wno-missing-profile
      -Wno-coverage-mismatch ${RILK_PGO_COMMON_FLAGS})
  target_compile_options(rilk_core PRIVATE ${flags})
  target_compile_options(rilk PRIVATE ${flags})
  # A new profile compiles everything again.
  get_target_property(core_sources rilk_core SOURCES)
  set_source_files_properties(${core_sources} rilk_main.cpp PROPERTIES OBJECT_DEPENDS
                              ${profile_stamp})
endif()
