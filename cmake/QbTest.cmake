# qb_add_test(NAME name [WIDGETS] SOURCES ... LIBS ...)
# Builds one GoogleTest executable and registers it with CTest. Every test runs
# with a private user folder, settings folder and runtime folder, offscreen.
# Without WIDGETS the test is core code: it gets a QGuiApplication and may not
# reach Qt Widgets; WIDGETS gives it a QApplication for testing windows.
include(GoogleTest)
# Off by default: a process per case made the suite about three times slower,
# mostly in starting Qt and the fixtures' set-up for every case.
option(QB_TEST_PER_CASE "One CTest entry per test case instead of per program" OFF)

function(qb_add_test)
  cmake_parse_arguments(T "WIDGETS" "NAME" "SOURCES;LIBS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  if(T_WIDGETS)
    target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} qb_testsupport_widgets GTest::gtest)
  else()
    target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} qb_testsupport_core GTest::gtest)
    qb_core_target(${T_NAME})
  endif()
  set(env "QT_QPA_PLATFORM=offscreen;QB_SOURCE_DATA_DIR=${QB_SOURCE_DATA_DIR}")
  if(QB_TEST_PER_CASE)
    # One CTest entry per case, listed when CTest runs. The environment goes
    # on in a file of its own: a list does not survive PROPERTIES here.
    gtest_discover_tests(${T_NAME} DISCOVERY_MODE PRE_TEST TEST_LIST ${T_NAME}_cases PROPERTIES TIMEOUT 300)
    set(env_file "${CMAKE_CURRENT_BINARY_DIR}/${T_NAME}_environment.cmake")
    file(WRITE "${env_file}" "set_tests_properties(\${${T_NAME}_cases} PROPERTIES ENVIRONMENT [==[${env}]==])\n")
    set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES "${env_file}")
  else()
    add_test(NAME ${T_NAME} COMMAND ${T_NAME})
    set_tests_properties(${T_NAME} PROPERTIES
      ENVIRONMENT "${env}" TIMEOUT 300)
  endif()
endfunction()
