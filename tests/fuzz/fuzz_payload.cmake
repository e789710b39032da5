# The launcher's own file: trailer, package copy and unpacking.
mirq_add_fuzz(payload SOURCES fuzz_payload.cpp LIBS mirq_launcher)
