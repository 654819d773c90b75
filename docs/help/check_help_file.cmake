# Run by ctest: the help file beside the program exists and is a compiled help file (it
# opens with the signature "ITSF").
if(NOT EXISTS "${HELP_FILE}")
    message(FATAL_ERROR "missing: ${HELP_FILE}")
endif()
file(READ "${HELP_FILE}" signature LIMIT 4 HEX)
if(NOT signature STREQUAL "49545346")
    message(FATAL_ERROR "not a compiled help file: ${HELP_FILE}")
endif()
