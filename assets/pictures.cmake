# pictures: the catalogue with the 72 JPEG files (drawn by tools/figures/make_figures) in
# kavr_pictures, which needs QtCore only (the results report embeds the files as they are); the
# decoder that turns them into pixels in kavr_assets. Every file of pictures/ is embedded: a new
# variant's pictures come with its row, and test_assets_pictures holds the files and the
# catalogue's numbers to each other.
add_library(kavr_pictures STATIC
    ${CMAKE_CURRENT_LIST_DIR}/PictureCatalogue.h ${CMAKE_CURRENT_LIST_DIR}/PictureCatalogue.cpp)
target_link_libraries(kavr_pictures PUBLIC kavr_error kavr_parameters kavr_settings Qt6::Core)
# The fuzzers' build takes the catalogue alone (the report's pages number pictures by it).
if(TARGET kavr_assets)
    target_sources(kavr_assets PRIVATE
        ${CMAKE_CURRENT_LIST_DIR}/JpegDecoder.h ${CMAKE_CURRENT_LIST_DIR}/JpegDecoder.cpp)
    target_link_libraries(kavr_assets PUBLIC kavr_pictures)
endif()
file(GLOB kavr_picture_files CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/pictures/*.jpg)
qt_add_resources(kavr_pictures "pictures" PREFIX "/pictures" BASE ${CMAKE_CURRENT_LIST_DIR}/pictures
    FILES ${kavr_picture_files})
