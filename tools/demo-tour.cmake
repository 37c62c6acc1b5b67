# The demo's guided tour: the real client, driven like a user would, with a
# screenshot of each step. Also prints start-up and memory figures.
if(TARGET velmora_testsupport AND VELMORA_SYSTEM_OPENVPN)
    add_executable(velmora-demo-tour ${CMAKE_CURRENT_LIST_DIR}/demo-tour/main.cpp)
    target_link_libraries(velmora-demo-tour PRIVATE velmora_testsupport velmora_core velmora_config_demo Qt5::Test)
    velmora_warnings(velmora-demo-tour)
    velmora_openvpn_beside(velmora-demo-tour ${VELMORA_SYSTEM_OPENVPN})
endif()
