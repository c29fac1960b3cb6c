# cmake -DSOURCE=<tree> -DSCRATCH=<folder> -DGENERATOR=<generator> -DCOMPILER=<c++>
#       -P tst_layers.cmake
# Breaks one layer rule at a time in a scratch copy of the tree and
# configures the copy (no build): each configure must fail, saying which
# rule broke (tools/layers.cmake).
cmake_minimum_required(VERSION 3.25)

# Each row: the file changed, a text in it, the text that replaces it, and
# what the configure step must say.
set(rows
    "src/db/CMakeLists.txt|DEPENDS base|DEPENDS base grid|db DEPENDS grid, which does not come before db"
    "src/stats_window/CMakeLists.txt|LIBS Qt6::Widgets|LIBS Qt6::Quick Qt6::Widgets|qvx_stats_window links Qt6::Quick, a Qt module that its level (windows) does not allow"
    "src/base/texts/bi_text.h|#pragma once|#pragma once\n#include <QWidget>|src/base/texts/bi_text.h includes <QWidget> (Qt Widgets), which base (level core) does not allow"
    "tests/CMakeLists.txt|tst_engine:db|tst_engine:db,ui|tst_engine links Qt6::Widgets, a Qt module that its level (gui+Test) does not allow"
)

file(REMOVE_RECURSE ${SCRATCH})
# The tree without its hidden entries and build folders.
file(GLOB entries RELATIVE ${SOURCE} ${SOURCE}/*)
foreach(entry ${entries})
    if(NOT entry MATCHES "^\\." AND NOT EXISTS ${SOURCE}/${entry}/CMakeCache.txt)
        file(COPY ${SOURCE}/${entry} DESTINATION ${SCRATCH}/tree)
    endif()
endforeach()

set(failures "")
foreach(row ${rows})
    string(REPLACE "|" ";" row "${row}")
    list(GET row 0 file)
    list(GET row 1 text)
    list(GET row 2 broken)
    list(GET row 3 expected)
    set(path ${SCRATCH}/tree/${file})
    file(READ ${path} original)
    string(REPLACE "${text}" "${broken}" changed "${original}")
    if(changed STREQUAL original)
        list(APPEND failures "${file} holds no \"${text}\" to change")
        continue()
    endif()
    file(WRITE ${path} "${changed}")
    # The build folder is kept from row to row: only the first configure
    # looks for the compiler and the packages.
    execute_process(
        COMMAND ${CMAKE_COMMAND} -S ${SCRATCH}/tree -B ${SCRATCH}/build -G ${GENERATOR}
                -DCMAKE_CXX_COMPILER=${COMPILER} -DQUARVENIX_BENCH=OFF
        RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
    file(WRITE ${path} "${original}")
    # CMake wraps the message over lines.
    string(REGEX REPLACE "[ \n]+" " " said "${err}")
    string(FIND "${said}" "${expected}" at)
    if(result EQUAL 0)
        list(APPEND failures "${file}: configured although ${expected}")
    elseif(at EQUAL -1)
        list(APPEND failures "${file}: configuring failed without saying \"${expected}\":\n${err}")
    endif()
endforeach()
file(REMOVE_RECURSE ${SCRATCH})

if(failures)
    list(JOIN failures "\n" listed)
    message(FATAL_ERROR "${listed}")
endif()
