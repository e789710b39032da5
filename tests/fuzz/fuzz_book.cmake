# Book files: loading, chaining and lookups.
mirq_add_fuzz(book SOURCES fuzz_book.cpp LIBS mirq_search mirq_book)
