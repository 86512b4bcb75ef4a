# Build settings shared by every target of the project.

option(ZV_SANITIZE "build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)

# Our own code is built with warnings as errors; third-party headers come in as
# system headers and are exempt.
set(ZV_WARNINGS -Wall -Wextra -Werror -Wno-unused-parameter)

if(ZV_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

# zv_target(<target>): applies the project's warning settings to a target.
function(zv_target target)
  target_compile_options(${target} PRIVATE ${ZV_WARNINGS})
endfunction()

# zv_test(<name> SOURCES ... LIBS ...): a GoogleTest program registered with ctest.
function(zv_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;PROPERTIES" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  zv_target(${name})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main)
  include(GoogleTest)
  # The leak checker's suppressions (leaks inside system libraries only) hold
  # however the tests are started, and reach the programs they start.
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST PROPERTIES
    ENVIRONMENT "LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tools/sanitizer/lsan.supp:print_suppressions=0"
    ${ARG_PROPERTIES})
endfunction()
