velmora_add_test(tst_Artwork SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_Artwork.cpp LABELS unit)
velmora_add_test(tst_LoginDialogWindow SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_LoginDialogWindow.cpp LABELS gui)
