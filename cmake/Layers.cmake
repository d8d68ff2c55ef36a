# Each library of src/ puts on its users' include path its own folder and nothing else: a folder
# of the build tree that holds one link, named as the source folder, to that folder. A file
# reaches "menu/SnippetMenu.h" only when its target links quillery_menu, directly or through a
# library it links, so that an include in the wrong direction fails to compile.
# scripts/check-layers.py checks the headers too, each against its own library.
function(quillery_expose_folder target)
    file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR}/src ${CMAKE_CURRENT_SOURCE_DIR})
    set(root ${PROJECT_BINARY_DIR}/include/${target})
    file(MAKE_DIRECTORY ${root})
    if(NOT EXISTS ${root}/${folder})
        file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR} ${root}/${folder} SYMBOLIC)
    endif()
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "INTERFACE_LIBRARY")
        target_include_directories(${target} INTERFACE ${root}) # a library of headers only
    else()
        target_include_directories(${target} PUBLIC ${root})
    endif()
endfunction()
