# nimbra_imgui: Dear ImGui with its Win32 and Direct3D 11 back ends, for demo-sync's editor
# (Windows build only). The sources are Debian's imgui source package, which scripts/setup.sh
# unpacks into the private toolchain; NIMBRA_IMGUI_DIR names another folder holding imgui.cpp.
# Third-party code: its own warnings are not ours to fix, and the format check leaves it alone.
execute_process(COMMAND bash -c "source '${CMAKE_CURRENT_LIST_DIR}/../scripts/vulkan-tools.sh' && echo \"$imguiSources\""
                OUTPUT_VARIABLE imguiSources OUTPUT_STRIP_TRAILING_WHITESPACE)
set(NIMBRA_IMGUI_DIR ${imguiSources} CACHE PATH "Dear ImGui's sources: the folder with imgui.cpp and backends/")
set(imguiFiles imgui.cpp imgui_draw.cpp imgui_tables.cpp imgui_widgets.cpp
  backends/imgui_impl_win32.cpp backends/imgui_impl_dx11.cpp)
list(TRANSFORM imguiFiles PREPEND ${NIMBRA_IMGUI_DIR}/)
foreach(file ${imguiFiles})
  if(NOT EXISTS ${file})
    message(FATAL_ERROR "Dear ImGui's sources are not in NIMBRA_IMGUI_DIR=${NIMBRA_IMGUI_DIR} (no ${file}): "
      "run scripts/setup.sh, or point NIMBRA_IMGUI_DIR at a folder with imgui.cpp and backends/")
  endif()
endforeach()

add_library(nimbra_imgui STATIC ${imguiFiles})
target_include_directories(nimbra_imgui SYSTEM PUBLIC ${NIMBRA_IMGUI_DIR} ${NIMBRA_IMGUI_DIR}/backends)
target_compile_options(nimbra_imgui PRIVATE $<$<NOT:$<CXX_COMPILER_ID:MSVC>>:-w>)
# No gamepad: the Win32 back end would otherwise look for an XInput DLL at start.
target_compile_definitions(nimbra_imgui PRIVATE IMGUI_IMPL_WIN32_DISABLE_GAMEPAD)
# What the back ends call (MSVC links them by #pragma, which mingw ignores): D3DCompile from
# d3dcompiler_47.dll, a system component since Windows 8.1, for the DX11 back end's two small
# programs; the window compositor (dwmapi) and GDI for the Win32 back end's optional helpers.
target_link_libraries(nimbra_imgui PUBLIC d3d11 d3dcompiler_47 dwmapi gdi32)
