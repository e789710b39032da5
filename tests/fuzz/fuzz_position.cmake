# The analysis tool's position argument (SFEN and USI moves).
mirq_add_fuzz(position
  SOURCES fuzz_position.cpp ${CMAKE_SOURCE_DIR}/tools/mirq-tool/tool_position.cpp
  LIBS mirq_position)
if(TARGET fuzz_position)
  target_include_directories(fuzz_position PRIVATE ${CMAKE_SOURCE_DIR}/tools/mirq-tool)
endif()
