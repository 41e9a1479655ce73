# The event source's message table, as the program carries it.
target_sources(test_${name} PRIVATE ${dir}/DiagResources.rc)
target_include_directories(test_${name} PRIVATE ${HV_EVENT_MESSAGES_DIR})
# The suite for the 32-bit program under emulation, without the tests that start the suite's
# own program again as a child: under qemu-i386 such a start from the 32-bit program failed now
# and then on a loaded machine (CreateProcess refused it), so they run natively and in the twin.
add_test(NAME diag_emulated COMMAND test_diag --gtest_brief=1 --gtest_filter=-ReportsOfAChild.*)
set_tests_properties(diag_emulated PROPERTIES ENVIRONMENT "HV_TEST_BUILD=${CMAKE_BINARY_DIR}")
