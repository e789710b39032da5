# The human's move line and the purchase line, decoded by the engine driver.
mirq_add_fuzz(move_line SOURCES fuzz_move_line.cpp LIBS mirq_driver)
