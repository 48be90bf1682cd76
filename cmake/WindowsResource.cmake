# The Windows version resource of a program: product name, version (project(VERSION ...)),
# description and, when KT_WINDOWS_ICON names an .ico file, the icon Explorer and the Start
# menu show. scripts/build-windows.sh renders that icon from the console's own drawing.
set(KT_WINDOWS_ICON "" CACHE FILEPATH "The programs' icon (.ico) on Windows")

function(kt_add_windows_resource target description)
  if(NOT WIN32)
    return()
  endif()
  set(kt_program ${target})
  set(kt_description ${description})
  set(kt_icon_resource "")
  if(KT_WINDOWS_ICON)
    set(kt_icon_resource "1 ICON \"${KT_WINDOWS_ICON}\"")
  endif()
  configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/version.rc.in
                 ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc @ONLY)
  target_sources(${target} PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
endfunction()
