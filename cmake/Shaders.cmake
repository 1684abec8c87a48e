# HLSL to DXBC at build time. A program's name ends in VS, PS or CS, which picks the target
# (vs_5_0, ps_5_0, cs_5_0) and the entry point (vertex_main, pixel_main, kernel_main).
# On Windows the SDK's fxc compiles; elsewhere vkd3d-compiler 2.x, installed privately by
# scripts/setup.sh.
if(CMAKE_HOST_WIN32)
  find_program(NIMBRA_FXC fxc REQUIRED)
else()
  execute_process(COMMAND ${CMAKE_CURRENT_LIST_DIR}/../scripts/toolchain-dir.sh
                  OUTPUT_VARIABLE toolchainDir OUTPUT_STRIP_TRAILING_WHITESPACE)
  set(NIMBRA_VKD3D ${toolchainDir}/vkd3d/vkd3d-compiler CACHE FILEPATH "vkd3d-compiler 2.x")
  if(NOT EXISTS ${NIMBRA_VKD3D})
    message(FATAL_ERROR "No shader compiler at ${NIMBRA_VKD3D}: run scripts/setup.sh")
  endif()
endif()

# nimbra_add_shader(<out_var> <name> <source.hlsl> [<include>...]): compiles the program and
# embeds it as `name` / `nameSize`; the generated C++ source is returned in out_var. The
# includes beside the source are found by themselves; others it includes are listed after it.
function(nimbra_add_shader out_var name source)
  string(REGEX MATCH "(VS|PS|CS)$" stage "${name}")
  if(stage STREQUAL "VS")
    set(profile vs_5_0)
    set(entry vertex_main)
  elseif(stage STREQUAL "PS")
    set(profile ps_5_0)
    set(entry pixel_main)
  elseif(stage STREQUAL "CS")
    set(profile cs_5_0)
    set(entry kernel_main)
  else()
    message(FATAL_ERROR "Shader name ${name} must end in VS, PS or CS")
  endif()
  get_filename_component(source ${source} ABSOLUTE)
  get_filename_component(sourceDir ${source} DIRECTORY)
  file(GLOB includes ${sourceDir}/*.hlsli)
  set(dxbc ${CMAKE_CURRENT_BINARY_DIR}/shaders/${name}.dxbc)
  if(CMAKE_HOST_WIN32)
    set(compile ${NIMBRA_FXC} /nologo /T ${profile} /E ${entry} /O3 /Fo ${dxbc} ${source})
  else()
    set(compile ${NIMBRA_VKD3D} -x hlsl -p ${profile} -e ${entry} -b dxbc-tpf -o ${dxbc} ${source})
  endif()
  add_custom_command(
    OUTPUT ${dxbc}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/shaders
    COMMAND ${compile}
    DEPENDS ${source} ${includes} ${ARGN}
    # vkd3d-compiler resolves #include against its working folder, not the source's.
    WORKING_DIRECTORY ${sourceDir}
    COMMENT "Compiling ${name} (${profile})"
    VERBATIM)
  nimbra_embed_file(embedded ${name} ${dxbc})
  set(${out_var} ${embedded} PARENT_SCOPE)
endfunction()
