# The tunnel driver with the real OpenVPN program, client and server, in a
# VPN testbed of network namespaces made for the run (skipped with the
# reason where namespaces or the tun device cannot be had).
if(VELMORA_SYSTEM_OPENVPN AND TARGET velmora_devservice_lib)
    velmora_add_openvpn_test(tst_ProtocolVpn ${CMAKE_CURRENT_LIST_DIR}/tst_ProtocolVpn.cpp)
    add_test(NAME tst_ProtocolVpn
        COMMAND sh ${PROJECT_SOURCE_DIR}/tests/support/in-vpn-testbed.sh
            ${VELMORA_DEV_CERT_DIR} ${PROJECT_SOURCE_DIR}/tests/support/vpn-users.txt
            sh ${VELMORA_TEST_RUNNER} $<TARGET_FILE:tst_ProtocolVpn>)
    set_tests_properties(tst_ProtocolVpn PROPERTIES
        LABELS e2e
        TIMEOUT 300
        SKIP_RETURN_CODE 77
        RESOURCE_LOCK openvpn_management
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endif()
