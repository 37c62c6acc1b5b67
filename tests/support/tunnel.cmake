# The fake OpenVPN program of the tunnel driver's unit tests.
add_executable(velmora_fake_openvpn ${CMAKE_CURRENT_LIST_DIR}/fakeopenvpn/FakeOpenVpn.cpp)
target_link_libraries(velmora_fake_openvpn PRIVATE Qt5::Core Qt5::Network)
velmora_warnings(velmora_fake_openvpn)

# velmora_openvpn_beside(TARGET PROGRAM): puts openvpn/openvpn beside the
# test executable TARGET as a link to PROGRAM, where the client looks for it.
function(velmora_openvpn_beside target program)
    add_custom_command(TARGET ${target} POST_BUILD
        COMMAND ${CMAKE_COMMAND} -E make_directory $<TARGET_FILE_DIR:${target}>/openvpn
        COMMAND ${CMAKE_COMMAND} -E create_symlink ${program} $<TARGET_FILE_DIR:${target}>/openvpn/openvpn)
endfunction()
