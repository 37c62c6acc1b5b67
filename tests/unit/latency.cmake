velmora_add_test(tst_PingOutput SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_PingOutput.cpp LABELS unit)
velmora_add_test(tst_PingProcessor SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_PingProcessor.cpp LABELS unit)
velmora_add_test(tst_Ping SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_Ping.cpp LABELS unit)
