# The service client and the development service it is tested against.
velmora_add_test(tst_DevService SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_DevService.cpp LABELS unit)
