# The temporary file suite reuses the file layer's host-link fixtures, and starts a child
# program to see what happens when a program really ends.
target_sources(test_${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests/files/FilesTestSupport.cpp)
target_include_directories(test_${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests/files)

add_executable(hv_tempfiles_child ${dir}/fixtures/TempFilesChild.cpp)
target_link_libraries(hv_tempfiles_child PRIVATE hvlib)
set_target_properties(hv_tempfiles_child PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
add_dependencies(test_${name} hv_tempfiles_child)
