# The generator that draws resources/common/images. Run it after changing a
# drawing and commit its output with it:
#   cmake --build build --target velmora-artwork
#   build/tools/velmora-artwork resources/common
add_executable(velmora-artwork ${CMAKE_CURRENT_LIST_DIR}/artwork/ArtworkGenerator.cpp)
target_link_libraries(velmora-artwork PRIVATE Qt5::Gui)
velmora_warnings(velmora-artwork)
