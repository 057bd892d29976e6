# Turns one scdoc page into roff: cmake -DSCDOC=... -DFUENTE=x.1.scd -DSALIDA=x.1 -P this.
# Hyphenation is turned off after .TH: scdoc's own .nh comes before it, and the
# man macros hyphenate with English patterns, which break Spanish words badly.
execute_process(COMMAND ${SCDOC} INPUT_FILE ${FUENTE} OUTPUT_VARIABLE _roff
                RESULT_VARIABLE _codigo ERROR_VARIABLE _error)
if(NOT _codigo EQUAL 0 OR NOT _error STREQUAL "")
  message(FATAL_ERROR "scdoc ${FUENTE}: ${_error}")
endif()
string(REGEX REPLACE "(\n\\.TH [^\n]*\n)" "\\1.nr HY 0\n.nh\n" _roff "${_roff}")
file(WRITE ${SALIDA} "${_roff}")
