# Turns a binary file into a C++ source that defines
#   extern const unsigned char SYMBOL[];  extern const unsigned int SYMBOLSize;
# so the bytes become constant data of the executable.
set(NIMBRA_EMBED_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/embed_file.cmake)

function(nimbra_embed_file out_var symbol input)
  set(output ${CMAKE_CURRENT_BINARY_DIR}/embedded/${symbol}.cpp)
  add_custom_command(
    OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -DINPUT=${input} -DOUTPUT=${output} -DSYMBOL=${symbol} -P ${NIMBRA_EMBED_SCRIPT}
    DEPENDS ${input} ${NIMBRA_EMBED_SCRIPT}
    COMMENT "Embedding ${symbol}"
    VERBATIM)
  set(${out_var} ${output} PARENT_SCOPE)
endfunction()
