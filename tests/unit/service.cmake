# The service client and the development service it is tested against.
velmora_add_test(tst_DevService SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_DevService.cpp LABELS unit)

# The program itself, started the way a developer starts it.
if(TARGET velmora-devservice)
    add_test(NAME devservice_cli
        COMMAND sh ${CMAKE_CURRENT_LIST_DIR}/devservice-cli.sh $<TARGET_FILE:velmora-devservice> ${VELMORA_DEV_CA_CERT})
    set_tests_properties(devservice_cli PROPERTIES LABELS unit TIMEOUT 60)
endif()

velmora_add_test(tst_ServiceData SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_ServiceData.cpp LABELS unit)

velmora_add_test(tst_NetworkManager SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_NetworkManager.cpp LABELS unit)
