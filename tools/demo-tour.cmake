# The demo's guided tour: the real client, driven like a user would, with a
# screenshot of each step. Also prints start-up and memory figures.
if(TARGET velmora_testsupport)
    add_executable(velmora-demo-tour ${CMAKE_CURRENT_LIST_DIR}/demo-tour/main.cpp)
    target_link_libraries(velmora-demo-tour PRIVATE velmora_testsupport velmora_core velmora_config_demo Qt5::Test)
    velmora_warnings(velmora-demo-tour)
    # The client looks for openvpn/ beside its executable.
    find_program(VELMORA_TOUR_OPENVPN openvpn PATHS /usr/sbin /sbin)
    if(VELMORA_TOUR_OPENVPN)
        add_custom_command(TARGET velmora-demo-tour POST_BUILD
            COMMAND ${CMAKE_COMMAND} -E make_directory $<TARGET_FILE_DIR:velmora-demo-tour>/openvpn
            COMMAND ${CMAKE_COMMAND} -E create_symlink ${VELMORA_TOUR_OPENVPN}
                    $<TARGET_FILE_DIR:velmora-demo-tour>/openvpn/openvpn)
    endif()
endif()
