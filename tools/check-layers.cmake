# cmake -DLAYERS=<build>/layers.cmake [-DSTAMP=file] -P check-layers.cmake
# Reads the includes of every folder's sources again (tools/layers.cmake):
# fails when one reaches a Qt module that the folder's level does not allow.
# STAMP is touched when all is well.

cmake_minimum_required(VERSION 3.25)
include(${LAYERS})
include(${CMAKE_CURRENT_LIST_DIR}/layers.cmake)
set(faults "")
foreach(entry ${QVX_FOLDERS})
    string(REPLACE ":" ";" parts ${entry})
    list(GET parts 0 folder)
    list(GET parts 1 level)
    qvx_include_faults(${folder} ${level} "${${folder}_SOURCES}" ${QT_HEADERS} ${TOP} faults)
endforeach()
qvx_fail_on("${faults}")
if(STAMP)
    file(TOUCH ${STAMP})
endif()
