# One static library per SOURCE folder, built from every source file in it.
function(tolva_library name)
  cmake_parse_arguments(ARG "" "" "DEPENDS" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS
       ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h
       ${CMAKE_CURRENT_SOURCE_DIR}/*.c ${CMAKE_CURRENT_SOURCE_DIR}/*.qrc)
  set(compiled ${srcs})
  list(FILTER compiled INCLUDE REGEX "\\.(cpp|c|qrc)$")
  if(compiled)
    add_library(tolva_${name} STATIC ${srcs})
    target_include_directories(tolva_${name} PUBLIC ${PROJECT_SOURCE_DIR}/SOURCE)
    target_link_libraries(tolva_${name} PUBLIC ${ARG_DEPENDS})
  else()
    # A folder whose code has not been written yet still gives its name.
    add_library(tolva_${name} INTERFACE)
    target_include_directories(tolva_${name} INTERFACE ${PROJECT_SOURCE_DIR}/SOURCE)
    target_link_libraries(tolva_${name} INTERFACE ${ARG_DEPENDS})
  endif()
endfunction()

# One test program per tests/ folder. WIDGETS gives it a QApplication on the
# offscreen platform; OWN_MAIN programs bring their own main().
function(tolva_tests name)
  cmake_parse_arguments(ARG "WIDGETS;OWN_MAIN" "" "DEPENDS" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT srcs)
    return()
  endif()
  add_executable(test_${name} ${srcs})
  target_link_libraries(test_${name} PRIVATE ${ARG_DEPENDS} tolva_testsupport GTest::gtest GTest::gmock)
  if(ARG_OWN_MAIN)
    target_link_libraries(test_${name} PRIVATE Qt6::Test)
  elseif(ARG_WIDGETS)
    target_link_libraries(test_${name} PRIVATE tolva_testmain_widgets Qt6::Test)
  else()
    target_link_libraries(test_${name} PRIVATE tolva_testmain)
  endif()
  gtest_discover_tests(test_${name}
    DISCOVERY_MODE PRE_TEST
    # One variable per property: a list in ENVIRONMENT would be split into
    # property names on its way to the test.
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
               ENVIRONMENT_MODIFICATION "TOLVA_TEST_DATA=set:${PROJECT_SOURCE_DIR}/tests/data"
    TEST_PREFIX "${name}.")
endfunction()
