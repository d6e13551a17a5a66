# One static library per folder of src/, in the order of src/layers.txt.

file(STRINGS ${CMAKE_SOURCE_DIR}/src/layers.txt QUILLMARK_LAYERS REGEX "^[^#]")

# The library of a folder: "platform/web/dom" is qm_web_dom, "workspace" qm_workspace.
function(quillmark_layer_library folder out)
    string(REGEX REPLACE "^platform/web/" "web/" name "${folder}")
    string(REPLACE "/" "_" name "${name}")
    set(${out} "qm_${name}" PARENT_SCOPE)
endfunction()

# quillmark_add_layer(SOURCES <files...> LINKS <libraries...>)
# Makes the library of the calling folder (header-only when it has no .cpp
# file) and links it. A link to a layer that does not come before this
# one stops the configuration.
function(quillmark_add_layer)
    cmake_parse_arguments(arg "" "" "SOURCES;LINKS" ${ARGN})
    file(RELATIVE_PATH folder ${CMAKE_SOURCE_DIR}/src ${CMAKE_CURRENT_SOURCE_DIR})
    list(FIND QUILLMARK_LAYERS "${folder}" index)
    if(index EQUAL -1)
        message(FATAL_ERROR "src/${folder} is not listed in src/layers.txt")
    endif()
    quillmark_layer_library(${folder} library)

    foreach(link IN LISTS arg_LINKS)
        if(NOT link MATCHES "^qm_")
            continue()
        endif()
        set(linkIndex -1)
        set(position 0)
        foreach(layer IN LISTS QUILLMARK_LAYERS)
            quillmark_layer_library(${layer} candidate)
            if(candidate STREQUAL link)
                set(linkIndex ${position})
            endif()
            math(EXPR position "${position} + 1")
        endforeach()
        if(linkIndex EQUAL -1 OR NOT linkIndex LESS index)
            message(FATAL_ERROR "${library} (src/${folder}) may not link ${link}: "
                                "a layer links only the layers before it in src/layers.txt")
        endif()
    endforeach()

    set(compiled ${arg_SOURCES})
    list(FILTER compiled INCLUDE REGEX "\\.cpp$")
    if(compiled)
        add_library(${library} STATIC ${arg_SOURCES})
        target_include_directories(${library} PUBLIC ${CMAKE_SOURCE_DIR}/src)
        target_link_libraries(${library} PUBLIC ${arg_LINKS})
        quillmark_precompile(${library})
    else()
        add_library(${library} INTERFACE ${arg_SOURCES})
        target_include_directories(${library} INTERFACE ${CMAKE_SOURCE_DIR}/src)
        target_link_libraries(${library} INTERFACE ${arg_LINKS})
    endif()
endfunction()
