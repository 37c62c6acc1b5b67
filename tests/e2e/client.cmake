# The whole client end to end: one process per scenario. Scenarios with a
# VPN session run in the VPN testbed (real OpenVPN client and server); the
# others in a network namespace of their own.
if(VELMORA_SYSTEM_OPENVPN AND TARGET velmora_devservice_lib)
    velmora_add_openvpn_test(tst_Client ${CMAKE_CURRENT_LIST_DIR}/tst_Client.cpp)

    set(plainScenarios startupEqualVersion startupUpdateOffered startupFailure wrongPasswordRefillsFromSettings
        rememberOnThenOff accessWithoutConnection serversLoaded trayOnCloseKeepsRunning trayActionsConnectedOnce)
    foreach(scenario ${plainScenarios})
        add_test(NAME e2e_${scenario}
            COMMAND sh ${PROJECT_SOURCE_DIR}/tests/support/in-netns.sh
                sh ${VELMORA_TEST_RUNNER} $<TARGET_FILE:tst_Client> ${scenario})
        set_tests_properties(e2e_${scenario} PROPERTIES
            LABELS e2e TIMEOUT 120 SKIP_RETURN_CODE 77 ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
    endforeach()

    set(vpnScenarios connectTrafficDisconnect connectToStoppedServer trayOffCloseEndsAndReleases exitWhileConnected)
    set(usersFile_default ${PROJECT_SOURCE_DIR}/tests/support/vpn-users.txt)
    foreach(scenario ${vpnScenarios} connectRefusedByVpnServer)
        set(users ${usersFile_default})
        if(scenario STREQUAL "connectRefusedByVpnServer")
            set(users ${CMAKE_CURRENT_LIST_DIR}/vpn-users-refusing.txt)
        endif()
        add_test(NAME e2e_${scenario}
            COMMAND sh ${PROJECT_SOURCE_DIR}/tests/support/in-vpn-testbed.sh ${VELMORA_DEV_CERT_DIR} ${users}
                sh ${VELMORA_TEST_RUNNER} $<TARGET_FILE:tst_Client> ${scenario})
        set_tests_properties(e2e_${scenario} PROPERTIES
            LABELS e2e TIMEOUT 180 SKIP_RETURN_CODE 77 RESOURCE_LOCK vpn_testbed
            ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
    endforeach()
endif()
