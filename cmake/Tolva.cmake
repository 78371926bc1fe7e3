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

# The longest a test may run, in seconds; the slowest take a few.
set(TOLVA_TEST_TIMEOUT 180)

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
  # Each test ends within its time: one left waiting fails alone instead
  # of holding the whole run. A program runs the same by hand as under
  # CTest: it finds its files and keeps off the machine by itself. A test
  # that cannot run here (a tool or a service is missing) says why, and
  # CTest counts it as skipped.
  # The tests are listed when CTest starts, one program after another; on a
  # busy machine a program built with the sanitizers may take far longer
  # than CMake's 5 seconds to start, and the whole run would stop.
  gtest_discover_tests(test_${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT ${TOLVA_TEST_TIMEOUT}
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT ${TOLVA_TEST_TIMEOUT}
               SKIP_REGULAR_EXPRESSION "\\[  SKIPPED \\]"
    TEST_PREFIX "${name}.")
endfunction()
