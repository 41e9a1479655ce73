# A child that copies its standard input into a file, built beside the suite's executable.
add_executable(hv_stdin_copy ${dir}/fixtures/StdinCopy.cpp)
target_link_libraries(hv_stdin_copy PRIVATE hvlib)
target_link_options(hv_stdin_copy PRIVATE -municode)
set_target_properties(hv_stdin_copy PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
add_dependencies(test_${name} hv_stdin_copy)
# The Mac tests of this suite, on a host whose PATH starts with fake Mac tools.
add_test(NAME host_on_mac COMMAND bash ${dir}/on_mac.sh ${CMAKE_BINARY_DIR} $<TARGET_FILE:test_${name}>)
