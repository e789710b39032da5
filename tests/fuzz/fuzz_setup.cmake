# One look at the request file with the game program's three files.
mirq_add_fuzz(setup SOURCES fuzz_setup.cpp LIBS mirq_driver)
