# Helpers shared by the project's CMake files.

# Metafiles written by other programs, kept with the tests (tests/data/emf, see its README).
set(TESSALY_FIXTURES_DIR ${PROJECT_SOURCE_DIR}/tests/data)

# tessaly_library(name SOURCES ... [LIBS ...] [QT]) : a static library of one area, which the tests
# and tools link. Its objects are position-independent, so that the installed shared libraries
# (cmake/TessalyPackage.cmake) are made of the same objects rather than compiled a second time;
# the engine's functions are never replaced at load time, so calls within a file stay direct.
function(tessaly_library name)
  cmake_parse_arguments(ARG "QT" "" "SOURCES;LIBS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  set_target_properties(${name} PROPERTIES POSITION_INDEPENDENT_CODE ON)
  target_compile_options(${name} PRIVATE -fno-semantic-interposition)
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_LIBS})
  if(ARG_QT)
    set_target_properties(${name} PROPERTIES AUTOMOC ON)
  endif()
endfunction()

# tessaly_test(name SOURCES ... LIBS ... [QTTEST] [RUN_WITH script]) : one test executable of an
# area, each GoogleTest case registered with CTest, always with the offscreen Qt platform. With
# RUN_WITH the whole program is one CTest test, started by the script (which provides what the
# tests need, such as a private server) as `script program`.
function(tessaly_test name)
  cmake_parse_arguments(ARG "QTTEST" "RUN_WITH" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests)
  target_compile_definitions(${name} PRIVATE
    TESSALY_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    TESSALY_FIXTURES_DIR="${TESSALY_FIXTURES_DIR}"
    TESSALY_BIN_DIR="${CMAKE_RUNTIME_OUTPUT_DIRECTORY}")
  set(env "QT_QPA_PLATFORM=offscreen")
  if(ARG_QTTEST)
    set_target_properties(${name} PROPERTIES AUTOMOC ON)
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} Qt6::Test)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "${env}")
  elseif(ARG_RUN_WITH)
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main)
    add_test(NAME ${name} COMMAND ${ARG_RUN_WITH} $<TARGET_FILE:${name}>)
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "${env}" TIMEOUT 300)
  else()
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main)
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST PROPERTIES ENVIRONMENT "${env}")
  endif()
endfunction()
