# Each option a program's --help lists exists: given alone, it is never an unknown option.
# Usage: cmake -DPROGRAM=FILE [-DEMULATOR=RUNNER] -P help_options.cmake
set(english LC_ALL=C)
execute_process(COMMAND ${CMAKE_COMMAND} -E env ${english} ${EMULATOR} ${PROGRAM} --help
                OUTPUT_VARIABLE help RESULT_VARIABLE status TIMEOUT 120)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "${PROGRAM} --help exited with ${status}")
endif()
string(REGEX MATCHALL "--[a-z][a-z0-9-]*" options "${help}")
list(REMOVE_DUPLICATES options)
if(NOT options)
    message(FATAL_ERROR "${PROGRAM} --help lists no option:\n${help}")
endif()
foreach(option IN LISTS options)
    execute_process(COMMAND ${CMAKE_COMMAND} -E env ${english} ${EMULATOR} ${PROGRAM} ${option}
                    OUTPUT_QUIET ERROR_VARIABLE err TIMEOUT 120)
    if(err MATCHES "unknown option")
        message(FATAL_ERROR "${PROGRAM} --help lists ${option}, which it does not know:\n${err}")
    endif()
endforeach()
message("${PROGRAM}: ${options}")
