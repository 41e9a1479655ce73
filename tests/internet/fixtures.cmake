# The Mac tests of this suite, on a host whose PATH starts with fake Mac tools.
add_test(NAME internet_on_mac COMMAND bash ${dir}/on_mac.sh ${CMAKE_BINARY_DIR} $<TARGET_FILE:test_internet>)
set_tests_properties(internet_on_mac PROPERTIES RESOURCE_LOCK product_traces)  # as the suite (CHANGES_MACHINE_SETTINGS)
