# GoogleTest for both builds: Debian's packaged library natively, its sources for mingw.
# nimbra_add_test(<name> SOURCES ... LIBS ... [BOTH_D3D]) adds a test program and registers
# it with ctest; in the Windows build ctest runs it through Wine.
enable_testing()

if(NOT TARGET GTest::gtest_main)
  if(CMAKE_CROSSCOMPILING)
    set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  else()
    find_package(GTest REQUIRED)
  endif()
endif()

# Which test runs beside which: tests/Schedule.cmake.
include(${PROJECT_SOURCE_DIR}/tests/Schedule.cmake)

# With BOTH_D3D it runs on both Direct3D 11 implementations (nimbra_add_d3d_test).
function(nimbra_add_test name)
  cmake_parse_arguments(T "BOTH_D3D" "TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest_main)
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 600)
  endif()
  set(properties TIMEOUT ${T_TIMEOUT} ${NIMBRA_SHORT_TEST})
  if(T_LABELS)
    list(APPEND properties LABELS "${T_LABELS}")
  endif()
  if(T_BOTH_D3D)
    nimbra_add_d3d_test(${name} COMMAND ${name} PROPERTIES ${properties})
  else()
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES ${properties})
  endif()
endfunction()

# nimbra_add_d3d_test(<name> COMMAND <command...> [PROPERTIES <property> <value>...]): a test of
# what is drawn, on both Direct3D 11 implementations (scripts/direct3d.sh): <name> on Wine's own
# and <name>_dxvk on DXVK, with the same command and properties. Each pins its NIMBRA_D3D, so
# that its name says what it ran on.
function(nimbra_add_d3d_test name)
  cmake_parse_arguments(T "" "" "COMMAND;PROPERTIES" ${ARGN})
  foreach(d3d wined3d dxvk)
    set(test ${name})
    if(d3d STREQUAL dxvk)
      set(test ${name}_dxvk)
    endif()
    add_test(NAME ${test} COMMAND ${T_COMMAND})
    # The caller's properties come last: its PROCESSORS, if any, is the one that holds.
    set_tests_properties(${test} PROPERTIES ENVIRONMENT NIMBRA_D3D=${d3d} ${NIMBRA_BUSY_TEST} ${T_PROPERTIES})
  endforeach()
endfunction()

# nimbra_add_python_test(<name> <script> [args...]) runs a Python 3 script (standard library only)
# as a test; without python3 the test fails and says how to install it.
find_program(NIMBRA_PYTHON3 python3)
function(nimbra_add_python_test name script)
  if(NIMBRA_PYTHON3)
    add_test(NAME ${name} COMMAND ${NIMBRA_PYTHON3} ${script} ${ARGN})
  else()
    add_test(NAME ${name} COMMAND sh -c "echo 'python3 is missing: apt-get install python3'; exit 1")
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT 600 ${NIMBRA_BUSY_TEST})
endfunction()
