# The layers of src/, declared once in src/layers.txt: each layer a folder and a library,
# quillery_<layer>, and the layers it may use.
#
# Each library puts on its users' include path its own folder and nothing else: a folder of the
# build tree that holds one link, named as the layer, to the source folder. A file reaches
# "menu/SnippetMenu.h" only when its target links quillery_menu, directly or through a library
# it links, so that an include in the wrong direction fails to compile. quillery_check_layer_links
# refuses, when the project is configured, a link that the table does not allow;
# scripts/check-layers.py checks every include, headers too, against the same table.

set(QUILLERY_LAYER_TABLE ${PROJECT_SOURCE_DIR}/src/layers.txt)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${QUILLERY_LAYER_TABLE})

# Reads the table into QUILLERY_LAYERS (bottom up), QUILLERY_LAYER_FOLDER_<layer> and
# QUILLERY_LAYER_USES_<layer> (what it names and all that those may use).
function(quillery_read_layer_table)
    file(STRINGS ${QUILLERY_LAYER_TABLE} lines REGEX "^[a-z]")
    set(layers "")
    foreach(line IN LISTS lines)
        string(REGEX REPLACE "[ \t]+" ";" fields "${line}")
        list(POP_FRONT fields layer folder)
        set(uses "")
        foreach(used IN LISTS fields)
            if(used STREQUAL "-")
                continue()
            endif()
            if(NOT used IN_LIST layers)
                message(FATAL_ERROR "${QUILLERY_LAYER_TABLE}: ${layer} uses ${used}, which is "
                                    "not a layer below it")
            endif()
            list(APPEND uses ${used} ${QUILLERY_LAYER_USES_${used}})
        endforeach()
        list(REMOVE_DUPLICATES uses)
        list(APPEND layers ${layer})
        set(QUILLERY_LAYER_FOLDER_${layer} ${folder} PARENT_SCOPE)
        set(QUILLERY_LAYER_USES_${layer} ${uses})
        set(QUILLERY_LAYER_USES_${layer} ${uses} PARENT_SCOPE)
    endforeach()
    set(QUILLERY_LAYERS ${layers} PARENT_SCOPE)
endfunction()
quillery_read_layer_table()

# Makes the library of the layer whose folder is the current one (quillery_<layer>) reachable
# as "<layer>/File.h" by whoever links it.
function(quillery_expose_folder target)
    file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR}/src ${CMAKE_CURRENT_SOURCE_DIR})
    set(layer "")
    foreach(candidate IN LISTS QUILLERY_LAYERS)
        if(QUILLERY_LAYER_FOLDER_${candidate} STREQUAL folder)
            set(layer ${candidate})
        endif()
    endforeach()
    if(NOT layer OR NOT target STREQUAL "quillery_${layer}")
        message(FATAL_ERROR "src/${folder}: a library of src/ is quillery_<layer> of a layer "
                            "that ${QUILLERY_LAYER_TABLE} gives this folder, not ${target}")
    endif()
    set(root ${PROJECT_BINARY_DIR}/include/${target})
    file(MAKE_DIRECTORY ${root})
    if(NOT EXISTS ${root}/${layer})
        file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR} ${root}/${layer} SYMBOLIC)
    endif()
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "INTERFACE_LIBRARY")
        target_include_directories(${target} INTERFACE ${root})
    else()
        target_include_directories(${target} PUBLIC ${root})
    endif()
endfunction()

# Refuses every link of a layer's library to another layer's library that the table does not
# let it use: called once, after every library is made.
function(quillery_check_layer_links)
    foreach(layer IN LISTS QUILLERY_LAYERS)
        if(NOT TARGET quillery_${layer})
            continue()
        endif()
        get_target_property(type quillery_${layer} TYPE)
        set(links "")
        if(NOT type STREQUAL "INTERFACE_LIBRARY")
            get_target_property(links quillery_${layer} LINK_LIBRARIES)
        endif()
        get_target_property(interface_links quillery_${layer} INTERFACE_LINK_LIBRARIES)
        foreach(linked IN LISTS links interface_links)
            if(NOT linked MATCHES "^quillery_(.+)$")
                continue()
            endif()
            set(used ${CMAKE_MATCH_1})
            if(used IN_LIST QUILLERY_LAYERS AND NOT used IN_LIST QUILLERY_LAYER_USES_${layer})
                message(FATAL_ERROR "quillery_${layer} links quillery_${used}, which "
                                    "${QUILLERY_LAYER_TABLE} does not let ${layer} use")
            endif()
        endforeach()
    endforeach()
endfunction()
