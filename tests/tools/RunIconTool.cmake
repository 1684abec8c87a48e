# cmake -DTOOL=make_icon -DOUTPUT=file.ico -DEXPECTED=app/resources/demo.ico -P RunIconTool.cmake
# Runs the icon tool and checks that it writes the committed icon byte for byte.
execute_process(COMMAND ${TOOL} ${OUTPUT} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "make_icon failed: ${result}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${OUTPUT} ${EXPECTED} RESULT_VARIABLE different)
if(NOT different EQUAL 0)
  message(FATAL_ERROR "${EXPECTED} is not make_icon's output; regenerate it with make_icon")
endif()
