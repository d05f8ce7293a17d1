# The win64 build runs its test programs under wine64, in a Wine prefix of its
# own inside the build tree (a copy of the machine's template prefix).
set(IMVEXA_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
execute_process(
  COMMAND ${PROJECT_SOURCE_DIR}/scripts/wine-prefix.sh copy ${IMVEXA_DEPS_DIR}/wineprefix-template ${IMVEXA_WINEPREFIX}
  RESULT_VARIABLE _prefix_result)
if(NOT _prefix_result EQUAL 0)
  message(FATAL_ERROR "Could not make the Wine prefix ${IMVEXA_WINEPREFIX}")
endif()
set(CMAKE_CROSSCOMPILING_EMULATOR ${PROJECT_SOURCE_DIR}/scripts/wine-run ${IMVEXA_WINEPREFIX})
