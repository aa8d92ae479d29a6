# qb_add_test(NAME name SOURCES ... LIBS ...)
# Builds one GoogleTest executable and registers it with CTest. Every test runs
# with a private user folder, settings folder and runtime folder, offscreen.
function(qb_add_test)
  cmake_parse_arguments(T "" "NAME" "SOURCES;LIBS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} qb_testsupport GTest::gtest)
  add_test(NAME ${T_NAME} COMMAND ${T_NAME})
  set_tests_properties(${T_NAME} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QB_SOURCE_DATA_DIR=${QB_SOURCE_DATA_DIR}"
    TIMEOUT 300)
endfunction()
