velmora_add_test(tst_RunGuard SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_RunGuard.cpp LABELS unit RESOURCE_LOCK velmora_instance)
target_compile_definitions(tst_RunGuard PRIVATE VELMORA_CLIENT_PATH="$<TARGET_FILE:velmora-demo>")
add_dependencies(tst_RunGuard velmora-demo)
velmora_add_test(tst_SettingsStore SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_SettingsStore.cpp LABELS unit)
