# amiscan_add_layer(NAME FOLDER [LINKS layers and libraries...])
# A static library for one folder. Its headers are reached as "FOLDER/name.h" through an include
# directory that holds only a link to FOLDER, so a layer that does not link it cannot include it.
function(amiscan_add_layer name folder)
    cmake_parse_arguments(ARG "" "" "LINKS" ${ARGN})
    set(include_dir ${CMAKE_BINARY_DIR}/layers/${folder})
    file(MAKE_DIRECTORY ${include_dir})
    file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${folder} ${include_dir}/${folder} SYMBOLIC)
    add_library(${name} STATIC)
    target_include_directories(${name} PUBLIC ${include_dir})
    target_link_libraries(${name} PUBLIC ${ARG_LINKS})
endfunction()
