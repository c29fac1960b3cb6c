# The layer check: a library declared with QT Core or QT Gui (qvx_add_library)
# must not reach a Qt module beyond that, neither by an include in its sources
# nor by its links. All Qt modules' headers share one include root, so the
# include path alone cannot refuse <QtWidgets/QWidget>; check-layers.cmake
# reads the sources. It runs before any such library compiles, and again as
# the test tst_layers (tests/CMakeLists.txt).

# Names of every target `target` links, through the links of the targets it
# names (a PRIVATE link of a static library counts: it is linked all the same).
function(qvx_link_closure target out)
    set(seen "")
    set(todo ${target})
    while(todo)
        list(POP_FRONT todo current)
        if(current IN_LIST seen)
            continue()
        endif()
        list(APPEND seen ${current})
        set(links "")
        foreach(property LINK_LIBRARIES INTERFACE_LINK_LIBRARIES)
            get_target_property(more ${current} ${property})
            if(more)
                list(APPEND links ${more})
            endif()
        endforeach()
        foreach(link ${links})
            string(REGEX REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1" link "${link}")
            if(TARGET ${link})
                get_target_property(aliased ${link} ALIASED_TARGET)
                if(aliased)
                    set(link ${aliased})
                endif()
                list(APPEND todo ${link})
            endif()
        endforeach()
    endwhile()
    list(REMOVE_ITEM seen ${target})
    set(${out} ${seen} PARENT_SCOPE)
endfunction()

function(qvx_check_layers)
    get_property(folders GLOBAL PROPERTY QVX_LAYERED)
    get_target_property(core_includes Qt6::Core INTERFACE_INCLUDE_DIRECTORIES)
    list(FILTER core_includes INCLUDE REGEX "/QtCore$")
    list(GET core_includes 0 qt_headers)
    get_filename_component(qt_headers ${qt_headers} DIRECTORY)
    set(data "set(QT_HEADERS [[${qt_headers}]])\nset(FOLDERS ${folders})\n")
    set(all_sources "")
    foreach(folder ${folders})
        get_target_property(qt qvx_${folder} QVX_QT)
        get_target_property(sources qvx_${folder} QVX_SOURCES)
        qvx_link_closure(qvx_${folder} linked)
        string(APPEND data "set(${folder}_QT ${qt})\nset(${folder}_SOURCES [[${sources}]])\n"
               "set(${folder}_LINKED [[${linked}]])\n")
        list(APPEND all_sources ${sources})
    endforeach()
    set(layers ${CMAKE_BINARY_DIR}/layers.cmake)
    file(GENERATE OUTPUT ${layers} CONTENT "${data}")
    set(script ${PROJECT_SOURCE_DIR}/tools/check-layers.cmake)
    set(stamp ${CMAKE_BINARY_DIR}/layers.checked)
    add_custom_command(OUTPUT ${stamp}
        COMMAND ${CMAKE_COMMAND} -DLAYERS=${layers} -DSTAMP=${stamp} -P ${script}
        DEPENDS ${script} ${layers} ${all_sources}
        COMMENT "Checking that the libraries without windows use no widgets")
    add_custom_target(qvx_layers DEPENDS ${stamp})
    foreach(folder ${folders})
        add_dependencies(qvx_${folder} qvx_layers)
    endforeach()
endfunction()
