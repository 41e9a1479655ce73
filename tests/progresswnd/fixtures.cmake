# The progress window decodes its banner from the program's own resources.
target_sources(test_${name} PRIVATE ${dir}/ProgressWndResources.rc)
