# Runs tarvin-decode once and checks the result.
#   -DTOOL=path -DARGS="arguments" [-DINPUT=file] -DOUTPUT=file
#   -DEXPECTED=file   standard output must equal this file byte for byte
#   -DEXIT=n          instead: the exit status must be n, with a message on
#                     standard error and nothing on standard output
#   -DUPDATE=ON       rewrite EXPECTED from the output (after a reviewed change)
#   -DSTDERR=text     standard error must hold this text
#   -DFILE=path -DFILE_HOLDS=text   the tool must have written FILE holding text
#   -DEMULATOR=program  runs TOOL through it (Wine, for the Windows build)
separate_arguments(args UNIX_COMMAND "${ARGS}")
set(input)
if(INPUT)
  set(input INPUT_FILE ${INPUT})
endif()
if(DEFINED FILE)
  file(REMOVE ${FILE})
endif()
execute_process(COMMAND ${EMULATOR} ${TOOL} ${args} ${input}
  OUTPUT_FILE ${OUTPUT} ERROR_VARIABLE err RESULT_VARIABLE rc)

if(DEFINED EXIT)
  file(READ ${OUTPUT} out)
  if(NOT rc EQUAL EXIT)
    message(FATAL_ERROR "exit status ${rc}, expected ${EXIT}")
  endif()
  if(err STREQUAL "" OR NOT out STREQUAL "")
    message(FATAL_ERROR "expected a message on stderr only; stdout: '${out}' stderr: '${err}'")
  endif()
  return()
endif()

if(NOT rc EQUAL 0)
  message(FATAL_ERROR "tarvin-decode ${ARGS} failed (${rc}): ${err}")
endif()
if(DEFINED STDERR AND NOT err MATCHES "${STDERR}")
  message(FATAL_ERROR "standard error '${err}' does not hold '${STDERR}'")
endif()
if(DEFINED FILE)
  file(READ ${FILE} written)
  if(NOT written MATCHES "${FILE_HOLDS}")
    message(FATAL_ERROR "${FILE} does not hold '${FILE_HOLDS}'")
  endif()
endif()
if(UPDATE)
  file(COPY_FILE ${OUTPUT} ${EXPECTED})
  return()
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${OUTPUT} ${EXPECTED} RESULT_VARIABLE diff)
if(NOT diff EQUAL 0)
  execute_process(COMMAND diff -a ${EXPECTED} ${OUTPUT})
  message(FATAL_ERROR "output of tarvin-decode ${ARGS} differs from ${EXPECTED}")
endif()
