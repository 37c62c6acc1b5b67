# The fake OpenVPN program of the tunnel driver's unit tests.
add_executable(velmora_fake_openvpn ${CMAKE_CURRENT_LIST_DIR}/fakeopenvpn/FakeOpenVpn.cpp)
target_link_libraries(velmora_fake_openvpn PRIVATE Qt5::Core Qt5::Network)
velmora_warnings(velmora_fake_openvpn)

# velmora_add_openvpn_test(NAME SOURCE): a test executable that runs sessions
# with the real OpenVPN program, in a folder of its own with openvpn/ beside it.
function(velmora_add_openvpn_test name source)
    add_executable(${name} ${source})
    target_link_libraries(${name} PRIVATE velmora_testsupport velmora_core velmora_config_demo Qt5::Test)
    velmora_warnings(${name})
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/${name})
    velmora_openvpn_beside(${name} ${VELMORA_SYSTEM_OPENVPN})
endfunction()
