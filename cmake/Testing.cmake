# obravel_add_gtest(target SOURCES... [LIBS ...])
# A GoogleTest executable whose cases run as separate CTest tests, headless and with a pinned locale,
# labelled with the executable's name.
function(obravel_add_gtest target)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${target} ${ARG_SOURCES})
  obravel_warnings(${target})
  target_link_libraries(${target} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock)
  if(NOT "obravel_test_main" IN_LIST ARG_LIBS AND NOT "obravel_gui_test_main" IN_LIST ARG_LIBS)
    target_link_libraries(${target} PRIVATE obravel_test_main)
  endif()
  gtest_discover_tests(${target}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES
      LABELS ${target}
      TIMEOUT 300
      ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LC_ALL=C.UTF-8;LANG=C.UTF-8;LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tools/lsan.supp;ASAN_OPTIONS=detect_leaks=1")
endfunction()
