velmora_add_test(tst_PingOutput SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_PingOutput.cpp LABELS unit)
velmora_add_test(tst_PingProcessor SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_PingProcessor.cpp LABELS unit)
velmora_add_test(tst_Ping SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_Ping.cpp LABELS unit)
if(CMAKE_SYSTEM_NAME STREQUAL "Linux")
    # Runs in a network namespace it creates itself (needs root, else skips).
    velmora_add_test(tst_PingUnreachable SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_PingUnreachable.cpp LABELS unit)
endif()
