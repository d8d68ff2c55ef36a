# Fails unless the zip archive ARCHIVE holds exactly the files EXPECTED (a list of paths relative
# to the archive's top), whatever their order.
cmake_policy(SET CMP0007 NEW)
execute_process(COMMAND ${CMAKE_COMMAND} -E tar tf ${ARCHIVE} OUTPUT_VARIABLE listing
                RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "${ARCHIVE} cannot be read")
endif()
string(REPLACE "\n" ";" held "${listing}")
list(FILTER held EXCLUDE REGEX "(^$|/$)") # folders' own entries
list(SORT held)
list(SORT EXPECTED)
if(NOT held STREQUAL EXPECTED)
    message(FATAL_ERROR "${ARCHIVE} holds\n  ${held}\nnot\n  ${EXPECTED}")
endif()
