velmora_add_test(tst_MainWindowRules SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_MainWindowRules.cpp LABELS unit)
velmora_add_test(tst_MainDialogWindow SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_MainDialogWindow.cpp LABELS gui)
velmora_add_test(tst_MainDialogWindowForm SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_MainDialogWindowForm.cpp LABELS gui)
