# Makes the request folder FOLDER with TOOL when it holds none of the tables
# yet; leaves a folder that already holds them as it is.
file(GLOB existing LIST_DIRECTORIES false "${FOLDER}/*.dbf")
if(existing)
    return()
endif()
execute_process(COMMAND "${TOOL}" crear "${FOLDER}" --datos "${DATA}" RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "No se pudo crear la carpeta de solicitud ${FOLDER}")
endif()
