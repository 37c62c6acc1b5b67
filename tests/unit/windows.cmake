velmora_add_test(tst_Artwork SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_Artwork.cpp LABELS unit)
