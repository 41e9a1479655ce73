# The event source's message table, as the program carries it.
target_sources(test_${name} PRIVATE ${dir}/DiagResources.rc)
target_include_directories(test_${name} PRIVATE ${HV_EVENT_MESSAGES_DIR})
