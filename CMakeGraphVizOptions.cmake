# What `cmake --graphviz` draws (tools/target_graph.sh): the program's own
# libraries and the program, without tests, benchmarks, fuzzers and the
# system libraries.
set(GRAPHVIZ_EXTERNAL_LIBS FALSE)
set(GRAPHVIZ_INTERFACE_LIBS FALSE)
set(GRAPHVIZ_GENERATE_PER_TARGET FALSE)
set(GRAPHVIZ_GENERATE_DEPENDERS FALSE)
set(GRAPHVIZ_IGNORE_TARGETS "_tests$" "_bench$" "^fuzz_" "_autogen" "^korvane_data$" "^korvane_core$")
