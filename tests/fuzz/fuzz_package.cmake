# The package file read by the unpacker.
mirq_add_fuzz(package SOURCES fuzz_package.cpp LIBS mirq_launcher)
