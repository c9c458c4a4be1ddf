# Writes OUTPUT: INPUT with @SCHEMES@ standing for the colour schemes that RENDER --help lists,
# in its order: as *blue*|*red*|… in a manual page (.scd), as blue red … elsewhere.
# Usage: cmake -DRENDER=PROGRAM -DINPUT=FILE -DOUTPUT=FILE -P fill-schemes.cmake
execute_process(COMMAND "${RENDER}" --help OUTPUT_VARIABLE help COMMAND_ERROR_IS_FATAL ANY)
if(NOT help MATCHES "\n  --scheme ([^ \n]+)")
  message(FATAL_ERROR "${RENDER} --help lists no colour schemes")
endif()
string(REPLACE "|" ";" schemes "${CMAKE_MATCH_1}")
if(INPUT MATCHES "\\.scd$")
  list(TRANSFORM schemes REPLACE "(.+)" "*\\1*")
  list(JOIN schemes "|" schemes)
else()
  list(JOIN schemes " " schemes)
endif()
file(READ "${INPUT}" text)
string(REPLACE "@SCHEMES@" "${schemes}" text "${text}")
file(WRITE "${OUTPUT}" "${text}")
