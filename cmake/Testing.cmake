# fonerix_add_gtest(NAME SOURCES <files...> LIBS <targets...> [LABELS <labels...>])
# One GoogleTest executable, registered test by test with CTest.
include(GoogleTest)
function(fonerix_add_gtest name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock GTest::gtest_main
                                        fonerix_warnings)
  set(properties TIMEOUT 120)
  if(ARG_LABELS)
    # Several labels are one property value: keep their list separators through the call.
    string(REPLACE ";" "\\;" labels "${ARG_LABELS}")
    list(APPEND properties LABELS "${labels}")
  endif()
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 30 PROPERTIES ${properties})
endfunction()
