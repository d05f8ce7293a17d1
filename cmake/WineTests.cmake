# The Windows builds run their test programs under Wine, each build tree in a
# Wine prefix of its own (a copy of the machine's template): x64 programs
# under wine64; x86 programs through Wine's 32-bit loader under emulation
# (scripts/wine-run32), in a prefix that has the 32-bit system folder.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(_template ${IMVEXA_DEPS_DIR}/wineprefix-template)
  set(_run ${PROJECT_SOURCE_DIR}/scripts/wine-run)
else()
  set(_template ${IMVEXA_DEPS_DIR}/wineprefix-x86-template)
  set(_run ${PROJECT_SOURCE_DIR}/scripts/wine-run32)
endif()
set(IMVEXA_WINE_TEMPLATE ${_template})
set(IMVEXA_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
execute_process(
  COMMAND ${PROJECT_SOURCE_DIR}/scripts/wine-prefix.sh copy ${IMVEXA_WINE_TEMPLATE} ${IMVEXA_WINEPREFIX}
  RESULT_VARIABLE _prefix_result)
if(NOT _prefix_result EQUAL 0)
  message(FATAL_ERROR "Could not make the Wine prefix ${IMVEXA_WINEPREFIX}")
endif()
set(CMAKE_CROSSCOMPILING_EMULATOR ${_run} ${IMVEXA_WINEPREFIX})
