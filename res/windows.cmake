# The Windows resources: res/windows/VeltoFaxTool.rc (dialogs 100, 101, 102, string 101, icon 128,
# bitmap 139), written from res/ by velto-make-windows-resources and kept equal to it by a test. They go
# into VeltoFaxTool and into the programs that test its dialogs (test_win32_ui).
enable_language(RC)

set(velto_resource_dir ${CMAKE_CURRENT_LIST_DIR}/windows)
add_library(velto_resources OBJECT ${velto_resource_dir}/VeltoFaxTool.rc)
set_source_files_properties(${velto_resource_dir}/VeltoFaxTool.rc PROPERTIES
  OBJECT_DEPENDS "${velto_resource_dir}/VeltoFaxTool.ico;${velto_resource_dir}/banner.bmp")
# windres looks for the icon and the banner on the include path.
target_include_directories(velto_resources PRIVATE ${velto_resource_dir})

target_link_libraries(VeltoFaxTool PRIVATE velto_resources)
# A program of the graphical subsystem: no console window opens when the print processor starts it.
set_target_properties(VeltoFaxTool PROPERTIES WIN32_EXECUTABLE ON)

# The tests are made after this file is read: the resources join them at the end of this directory.
function(velto_resources_for_tests)
  if(TARGET test_win32_ui)
    target_link_libraries(test_win32_ui PRIVATE velto_resources)
  endif()
endfunction()
cmake_language(DEFER CALL velto_resources_for_tests)
