# qb_add_test(NAME name [WIDGETS] SOURCES ... LIBS ...)
# Builds one GoogleTest executable and registers it with CTest. Every test runs
# with a private user folder, settings folder and runtime folder, offscreen.
# Without WIDGETS the test is core code: it gets a QGuiApplication and may not
# reach Qt Widgets; WIDGETS gives it a QApplication for testing windows.
function(qb_add_test)
  cmake_parse_arguments(T "WIDGETS" "NAME" "SOURCES;LIBS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  if(T_WIDGETS)
    target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} qb_testsupport_widgets GTest::gtest)
  else()
    target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} qb_testsupport_core GTest::gtest)
    qb_core_target(${T_NAME})
  endif()
  add_test(NAME ${T_NAME} COMMAND ${T_NAME})
  set_tests_properties(${T_NAME} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QB_SOURCE_DATA_DIR=${QB_SOURCE_DATA_DIR}"
    TIMEOUT 300)
endfunction()
