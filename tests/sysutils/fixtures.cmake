# Helper binaries of the sysutils suite, built beside its test executable.
add_library(hv_hook_fixture SHARED ${dir}/fixtures/HookFixtureDll.cpp)
target_link_libraries(hv_hook_fixture PRIVATE hvlib)
set_target_properties(hv_hook_fixture PROPERTIES PREFIX "" RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})

add_executable(hv_console_child ${dir}/fixtures/ConsoleChild.cpp)
target_link_libraries(hv_console_child PRIVATE hvlib)
set_target_properties(hv_console_child PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})

add_dependencies(test_${name} hv_hook_fixture hv_console_child)
