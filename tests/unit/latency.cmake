velmora_add_test(tst_PingOutput SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_PingOutput.cpp LABELS unit)
