velmora_add_test(tst_Artwork SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_Artwork.cpp LABELS unit)
velmora_add_test(tst_LoginDialogWindow SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_LoginDialogWindow.cpp LABELS gui)
velmora_add_test(tst_NewUpdateDialogWindow SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_NewUpdateDialogWindow.cpp LABELS gui)

# A resource file that puts something that is no animation where the
# loading animation belongs; the test registers it at run time.
set(damagedAnimationRcc ${CMAKE_CURRENT_BINARY_DIR}/damaged_animation.rcc)
add_custom_command(OUTPUT ${damagedAnimationRcc}
    COMMAND Qt5::rcc --binary ${CMAKE_CURRENT_LIST_DIR}/windows-data/damaged_animation.qrc -o ${damagedAnimationRcc}
    DEPENDS ${CMAKE_CURRENT_LIST_DIR}/windows-data/damaged_animation.qrc ${CMAKE_CURRENT_LIST_DIR}/windows-data/damaged.gif)
add_custom_target(damaged_animation_rcc DEPENDS ${damagedAnimationRcc})
velmora_add_test(tst_ProccessAnimationWidget SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_ProccessAnimationWidget.cpp LABELS gui)
target_compile_definitions(tst_ProccessAnimationWidget PRIVATE VELMORA_DAMAGED_ANIMATION_RCC="${damagedAnimationRcc}")
add_dependencies(tst_ProccessAnimationWidget damaged_animation_rcc)
