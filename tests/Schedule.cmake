# Which test runs beside which, in one place. `make test` gives the Windows tests two of ctest's
# job slots a core and one more (scripts/run-tests.sh); a test takes slots by what it does:
# - busy (two): it draws or compiles for long and keeps a core busy. Every test of what is drawn
#   (nimbra_add_d3d_test) and every Python-driven run (nimbra_add_python_test) starts busy.
# - short (one): a test program (nimbra_add_test), a few seconds, most of them Wine's start-up,
#   which waits on its other processes about as much as it computes.
# - timed (one): a run that keeps time at a real-time priority without drawing
#   (scripts/session.sh), beside the busy ones. Where this machine gives no such priority (not
#   root), a timed run goes alone instead.
# The table below holds every test that differs from where it starts: LOCK names what it takes
# turns on (a Wine prefix, the sound sink), so that ctest does not hold slots for a test that
# would wait; COST starts the long ones first; ALONE runs once no other test runs.
if(WIN32)
  set(NIMBRA_BUSY_TEST PROCESSORS 2)
  set(NIMBRA_SHORT_TEST PROCESSORS 1)
endif()
set(NIMBRA_SCHEDULE
  "audio_stream_test        LOCK nimbra_sound"
  # demo.exe's keys and messages, without a device, in the harness's prefix (demo-e2e.sh).
  "demo_e2e_window          LOCK nimbra_e2e_prefix TIMED"
  "demo_e2e_escape          LOCK nimbra_e2e_prefix TIMED"
  "demo_e2e_altf4           LOCK nimbra_e2e_prefix TIMED"
  "demo_e2e_close           LOCK nimbra_e2e_prefix TIMED"
  "demo_e2e_no_sound        LOCK nimbra_e2e_prefix TIMED"
  "demo_e2e_keymenu         LOCK nimbra_e2e_prefix BUSY COST 300"
  "demo_vulkan_validation_dxvk BUSY"
  "demo_capture_film_dxvk   COST 800"
  # The whole show's runs on the music's clock go last and alone, so that no other test's
  # renders starve the recording's sound; their prefixes are made first, beside the others.
  "demo_whole_runs_prefixes BUSY COST 1000"
  "demo_whole_runs          ALONE COST 900"
  # demo-sync's runs of one Direct3D take turns in its prefix (demosync.py).
  "demo_sync_test           LOCK nimbra_sync_prefix TIMED"
  "demo_sync_transport      LOCK nimbra_sync_prefix TIMED"
  "demo_sync_shaders_reload LOCK nimbra_sync_prefix COST 700"
  "demo_sync_editor         LOCK nimbra_sync_prefix"
  "demo_sync_editor_dxvk    LOCK nimbra_sync_prefix"
  "demo_escape_elsewhere    LOCK nimbra_sync_prefix TIMED")

execute_process(COMMAND chrt -r 10 true RESULT_VARIABLE NIMBRA_NO_REALTIME OUTPUT_QUIET ERROR_QUIET)

# nimbra_schedule(): gives the tests of the calling folder their rows of the table; each tests
# folder that adds Windows runs calls it last.
function(nimbra_schedule)
  foreach(row ${NIMBRA_SCHEDULE})
    separate_arguments(fields UNIX_COMMAND "${row}")
    list(POP_FRONT fields test)
    if(NOT TEST ${test})
      continue()
    endif()
    cmake_parse_arguments(S "BUSY;TIMED;ALONE" "LOCK;COST" "" ${fields})
    if(S_UNPARSED_ARGUMENTS)
      message(FATAL_ERROR "tests/Schedule.cmake: ${test}: unknown ${S_UNPARSED_ARGUMENTS}")
    endif()
    if(S_BUSY)
      set_tests_properties(${test} PROPERTIES ${NIMBRA_BUSY_TEST})
    endif()
    if(S_LOCK)
      set_tests_properties(${test} PROPERTIES RESOURCE_LOCK ${S_LOCK})
    endif()
    if(S_COST)
      set_tests_properties(${test} PROPERTIES COST ${S_COST})
    endif()
    if(S_ALONE OR (S_TIMED AND NIMBRA_NO_REALTIME))
      set_tests_properties(${test} PROPERTIES RUN_SERIAL TRUE)
    elseif(S_TIMED)
      set_tests_properties(${test} PROPERTIES PROCESSORS 1)
    endif()
    if(S_TIMED)
      set_property(TEST ${test} APPEND PROPERTY ENVIRONMENT NIMBRA_REALTIME=10)
    endif()
  endforeach()
endfunction()
