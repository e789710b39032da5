# The position text (SFEN and USI moves) the analysis tool reads.
mirq_add_fuzz(position
  SOURCES fuzz_position.cpp
  LIBS mirq_position)
