# cmake -DLAYERS=<build>/layers.cmake [-DSTAMP=file] -P check-layers.cmake
# Fails when a library declared QT Core or QT Gui includes a header of a Qt
# module beyond that, or links one. STAMP is touched when all is well.

# The Qt modules each level refuses.
set(refused_Gui Widgets PrintSupport Charts OpenGLWidgets)
set(refused_Core Gui OpenGL ${refused_Gui})

include(${LAYERS})
set(faults "")
foreach(folder ${FOLDERS})
    set(refused ${refused_${${folder}_QT}})
    foreach(module ${refused})
        foreach(link ${${folder}_LINKED})
            if(link MATCHES "^Qt6?::${module}$")
                list(APPEND faults "qvx_${folder} links ${link}")
            endif()
        endforeach()
    endforeach()
    foreach(source ${${folder}_SOURCES})
        file(STRINGS ${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]")
        foreach(line ${includes})
            string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*[<\"]([^>\"]*)[>\"].*" "\\1" header
                                 "${line}")
            foreach(module ${refused})
                # <QtWidgets>, <QtWidgets/QWidget> or <QWidget>
                if(header MATCHES "^Qt${module}(/|$)" OR
                   EXISTS "${QT_HEADERS}/Qt${module}/${header}")
                    file(RELATIVE_PATH shown ${CMAKE_CURRENT_LIST_DIR}/.. ${source})
                    list(APPEND faults "${shown} includes <${header}> (Qt ${module})")
                endif()
            endforeach()
        endforeach()
    endforeach()
endforeach()

if(faults)
    list(JOIN faults "\n  " listed)
    message(FATAL_ERROR "A library without windows reaches for a window module (libraries "
                        "and their Qt level: src/CMakeLists.txt):\n  ${listed}")
endif()
if(STAMP)
    file(TOUCH ${STAMP})
endif()
