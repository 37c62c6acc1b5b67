velmora_add_test(tst_ProtocolLines SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_ProtocolLines.cpp LABELS unit)

# Runs sessions against the fake OpenVPN program, placed where the client
# looks for OpenVPN; its own folder keeps that link apart from other tests'.
velmora_add_test(tst_Protocol SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_Protocol.cpp
    LABELS unit TIMEOUT 300 RESOURCE_LOCK openvpn_management)
set_target_properties(tst_Protocol PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/tunnel)
add_dependencies(tst_Protocol velmora_fake_openvpn)
velmora_openvpn_beside(tst_Protocol $<TARGET_FILE:velmora_fake_openvpn>)
