# velmora_openvpn_beside(TARGET PROGRAM): puts openvpn/openvpn beside the
# executable TARGET as a link to PROGRAM, where the client looks for it.
function(velmora_openvpn_beside target program)
    add_custom_command(TARGET ${target} POST_BUILD
        COMMAND ${CMAKE_COMMAND} -E make_directory $<TARGET_FILE_DIR:${target}>/openvpn
        COMMAND ${CMAKE_COMMAND} -E create_symlink ${program} $<TARGET_FILE_DIR:${target}>/openvpn/openvpn)
endfunction()
