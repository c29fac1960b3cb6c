# The layer check. The folders' order and levels are QVX_FOLDERS in
# src/CMakeLists.txt; this file says what each level allows of Qt, and
# checks, once the whole tree has been read, that
#   - a library links only folders that come before its own (by DEPENDS or
#     any other link, also through the libraries it links);
#   - the links of every library and of every program (src/, tools/) reach
#     only the Qt modules their level allows, and so do those of the test
#     programs declared at a level (qvx_program_at_level);
#   - no source of a folder, its sub-folders included, includes a header of
#     a Qt module the folder's level does not allow.
# Any fault fails the configure step. Editing a source does not configure
# anew, so the includes are read again before the libraries compile
# (check-layers.cmake). The test tst_layers breaks each rule in a scratch
# copy of the tree.

# The Qt modules each level allows; every other module is refused.
macro(qvx_levels)
    set(QVX_LEVEL_core Core Network SerialPort)
    set(QVX_LEVEL_gui ${QVX_LEVEL_core} Gui)
    set(QVX_LEVEL_windows ${QVX_LEVEL_gui} Widgets PrintSupport Charts)
    # The programs' level.
    set(QVX_PROGRAM_LEVEL windows)
endmacro()
qvx_levels()

# The place (0 for the first) and level of a folder in QVX_FOLDERS; -1 when
# it is not there.
function(qvx_folder_place folder out_place out_level)
    set(place 0)
    foreach(entry ${QVX_FOLDERS})
        string(REPLACE ":" ";" parts ${entry})
        list(GET parts 0 name)
        if(name STREQUAL folder)
            list(GET parts 1 level)
            set(${out_place} ${place} PARENT_SCOPE)
            set(${out_level} ${level} PARENT_SCOPE)
            return()
        endif()
        math(EXPR place "${place} + 1")
    endforeach()
    set(${out_place} -1 PARENT_SCOPE)
    set(${out_level} "" PARENT_SCOPE)
endfunction()

# Every name that `target` links, through the links of the targets of this
# tree it names (a PRIVATE link of a static library counts: it is linked all
# the same). Imported targets (Qt's modules, libpq, ...) are not followed.
function(qvx_link_closure target out)
    set(seen "")
    set(names "")
    set(todo ${target})
    while(todo)
        list(POP_FRONT todo current)
        if(current IN_LIST seen)
            continue()
        endif()
        list(APPEND seen ${current})
        foreach(property LINK_LIBRARIES INTERFACE_LINK_LIBRARIES)
            get_target_property(links ${current} ${property})
            foreach(link ${links})
                string(REGEX REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1" link "${link}")
                if(link MATCHES "^\\$<" OR link MATCHES "-NOTFOUND$")
                    continue()
                endif()
                list(APPEND names ${link})
                if(TARGET ${link})
                    get_target_property(imported ${link} IMPORTED)
                    if(NOT imported)
                        list(APPEND todo ${link})
                    endif()
                endif()
            endforeach()
        endforeach()
    endwhile()
    list(REMOVE_DUPLICATES names)
    list(REMOVE_ITEM names ${target})
    set(${out} ${names} PARENT_SCOPE)
endfunction()

# The Qt modules whose header folders hold `header`, as written in an
# include: <QtWidgets/QWidget> and <QtWidgets> name their module, <QWidget>
# is looked up. Empty for a header that is not Qt's.
function(qvx_qt_modules_of header qt_headers out)
    get_property(known GLOBAL PROPERTY "QVX_HEADER_${header}" SET)
    if(known)
        get_property(modules GLOBAL PROPERTY "QVX_HEADER_${header}")
        set(${out} ${modules} PARENT_SCOPE)
        return()
    endif()
    set(modules "")
    if(header MATCHES "^Qt([A-Za-z0-9]+)/")
        set(modules ${CMAKE_MATCH_1})
    elseif(header MATCHES "^Qt([A-Za-z0-9]+)$" AND IS_DIRECTORY ${qt_headers}/${header})
        set(modules ${CMAKE_MATCH_1})
    elseif(header MATCHES "^Q")
        get_property(dirs GLOBAL PROPERTY QVX_QT_HEADER_DIRS)
        if(NOT dirs)
            file(GLOB dirs LIST_DIRECTORIES true RELATIVE ${qt_headers} ${qt_headers}/Qt*)
            set_property(GLOBAL PROPERTY QVX_QT_HEADER_DIRS ${dirs})
        endif()
        foreach(dir ${dirs})
            if(EXISTS ${qt_headers}/${dir}/${header})
                string(REGEX REPLACE "^Qt" "" module ${dir})
                list(APPEND modules ${module})
            endif()
        endforeach()
    endif()
    set_property(GLOBAL PROPERTY "QVX_HEADER_${header}" ${modules})
    set(${out} ${modules} PARENT_SCOPE)
endfunction()

# Appends to the list named by `out_faults` each include of the sources of a folder of
# `level` that reaches only Qt modules the level does not allow.
function(qvx_include_faults folder level sources qt_headers top out_faults)
    set(found ${${out_faults}})
    foreach(source ${sources})
        file(STRINGS ${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]Q")
        foreach(line ${includes})
            string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*[<\"]([^>\"]*)[>\"].*" "\\1" header
                                 "${line}")
            qvx_qt_modules_of(${header} ${qt_headers} modules)
            if(NOT modules)
                continue()
            endif()
            set(allowed FALSE)
            foreach(module ${modules})
                if(module IN_LIST QVX_LEVEL_${level})
                    set(allowed TRUE)
                endif()
            endforeach()
            if(NOT allowed)
                file(RELATIVE_PATH shown ${top} ${source})
                list(JOIN modules "/" named)
                list(APPEND found "${shown} includes <${header}> (Qt ${named}), which \
${folder} (level ${level}) does not allow")
            endif()
        endforeach()
    endforeach()
    set(${out_faults} ${found} PARENT_SCOPE)
endfunction()

# Appends to the list named by `out_faults` each link of `target` (of `level`) to a Qt module the
# level does not allow, and, when `place` >= 0, each link to a folder that
# does not come before the target's own.
function(qvx_link_faults target level place out_faults)
    set(found ${${out_faults}})
    qvx_link_closure(${target} names)
    foreach(name ${names})
        if(name MATCHES "^Qt6?::([A-Za-z0-9]+)$")
            if(NOT CMAKE_MATCH_1 IN_LIST QVX_LEVEL_${level})
                list(APPEND found "${target} links ${name}, a Qt module that its level \
(${level}) does not allow")
            endif()
        elseif(place GREATER_EQUAL 0 AND TARGET ${name})
            get_target_property(folder ${name} QVX_FOLDER)
            if(folder)
                qvx_folder_place(${folder} other_place other_level)
                if(NOT other_place LESS place)
                    list(APPEND found "${target} links ${name}, whose folder does not \
come before its own in QVX_FOLDERS")
                endif()
            endif()
        endif()
    endforeach()
    set(${out_faults} ${found} PARENT_SCOPE)
endfunction()

# The programs built from src/ and tools/.
function(qvx_programs out)
    set(programs "")
    set(todo ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tools)
    while(todo)
        list(POP_FRONT todo dir)
        get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
        get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
        list(APPEND todo ${subdirs})
        foreach(target ${targets})
            get_target_property(type ${target} TYPE)
            if(type STREQUAL "EXECUTABLE")
                list(APPEND programs ${target})
            endif()
        endforeach()
    endwhile()
    set(${out} ${programs} PARENT_SCOPE)
endfunction()

# Declares that a program outside src/ and tools/ (a test suite, a test's
# helper) stays at `level`: its links are checked as a folder's of that
# level are, with Qt Test allowed besides.
function(qvx_program_at_level target level)
    set_property(GLOBAL APPEND PROPERTY QVX_LEVELLED_PROGRAMS ${target}:${level})
endfunction()

function(qvx_fail_on listed_faults)
    if(listed_faults)
        list(JOIN listed_faults "\n  " listed)
        message(FATAL_ERROR "The layers are broken (the folders' order and levels: "
                            "src/CMakeLists.txt; what each level allows: tools/layers.cmake):"
                            "\n  ${listed}")
    endif()
endfunction()

# Where Qt's module header folders (QtCore, QtWidgets, ...) live.
function(qvx_qt_headers out)
    get_target_property(core_includes Qt6::Core INTERFACE_INCLUDE_DIRECTORIES)
    list(FILTER core_includes INCLUDE REGEX "/QtCore$")
    list(GET core_includes 0 qt_headers)
    get_filename_component(qt_headers ${qt_headers} DIRECTORY)
    set(${out} ${qt_headers} PARENT_SCOPE)
endfunction()

function(qvx_check_layers)
    qvx_levels()
    get_property(QVX_FOLDERS GLOBAL PROPERTY QVX_FOLDERS)
    qvx_qt_headers(qt_headers)
    set(faults "")
    string(CONCAT data "set(QT_HEADERS [[${qt_headers}]])\nset(TOP [[${PROJECT_SOURCE_DIR}]])\n"
                  "set(QVX_FOLDERS ${QVX_FOLDERS})\n")
    set(all_sources "")
    set(place -1)
    foreach(entry ${QVX_FOLDERS})
        math(EXPR place "${place} + 1")
        string(REPLACE ":" ";" parts ${entry})
        list(GET parts 0 folder)
        list(GET parts 1 level)
        if(NOT DEFINED QVX_LEVEL_${level})
            list(APPEND faults "${folder} has the level ${level}, which is none of \
those tools/layers.cmake names")
            continue()
        endif()
        if(NOT TARGET qvx_${folder})
            list(APPEND faults "src/${folder}/CMakeLists.txt makes no qvx_${folder} \
(qvx_add_library)")
            continue()
        endif()
        get_target_property(sources qvx_${folder} QVX_SOURCES)
        qvx_link_faults(qvx_${folder} ${level} ${place} faults)
        qvx_include_faults(${folder} ${level} "${sources}" ${qt_headers} ${PROJECT_SOURCE_DIR}
                           faults)
        string(APPEND data "set(${folder}_SOURCES [[${sources}]])\n")
        list(APPEND all_sources ${sources})
    endforeach()
    qvx_programs(programs)
    foreach(program ${programs})
        qvx_link_faults(${program} ${QVX_PROGRAM_LEVEL} -1 faults)
    endforeach()
    get_property(levelled GLOBAL PROPERTY QVX_LEVELLED_PROGRAMS)
    foreach(entry ${levelled})
        string(REPLACE ":" ";" parts ${entry})
        list(GET parts 0 program)
        list(GET parts 1 level)
        if(NOT DEFINED QVX_LEVEL_${level})
            list(APPEND faults "${program} is declared at the level ${level}, which is none \
of those tools/layers.cmake names")
            continue()
        endif()
        set(QVX_LEVEL_${level}+Test ${QVX_LEVEL_${level}} Test)
        qvx_link_faults(${program} ${level}+Test -1 faults)
    endforeach()
    qvx_fail_on("${faults}")

    set(layers ${CMAKE_BINARY_DIR}/layers.cmake)
    file(GENERATE OUTPUT ${layers} CONTENT "${data}")
    set(script ${PROJECT_SOURCE_DIR}/tools/check-layers.cmake)
    set(stamp ${CMAKE_BINARY_DIR}/layers.checked)
    add_custom_command(OUTPUT ${stamp}
        COMMAND ${CMAKE_COMMAND} -DLAYERS=${layers} -DSTAMP=${stamp} -P ${script}
        DEPENDS ${script} ${PROJECT_SOURCE_DIR}/tools/layers.cmake ${layers} ${all_sources}
        COMMENT "Checking that each folder includes only the Qt modules its level allows")
    add_custom_target(qvx_layers DEPENDS ${stamp})
    foreach(entry ${QVX_FOLDERS})
        string(REGEX REPLACE ":.*" "" folder ${entry})
        add_dependencies(qvx_${folder} qvx_layers)
    endforeach()
endfunction()

# Runs qvx_check_layers once the top directory has been read, so that the
# programs of tools/ are there too.
function(qvx_check_layers_later)
    set_property(GLOBAL PROPERTY QVX_FOLDERS ${QVX_FOLDERS})
    cmake_language(DEFER DIRECTORY ${PROJECT_SOURCE_DIR} CALL qvx_check_layers)
endfunction()
