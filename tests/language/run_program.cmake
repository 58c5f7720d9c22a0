# Runs one program as a user would and checks its exit status and what it wrote.
# Usage: cmake -DPROGRAM=FILE [-DEMULATOR=RUNNER] [-DSET=VAR=VALUE|...] [-DARGS=ARG|...]
#              -DSTATUS=N -DOUT=REGEX -DERR=REGEX -P run_program.cmake
# The language variables are cleared first, so that only SET chooses. A run that asks for a
# Japanese locale this machine does not have (tools/install-deps.sh makes ja_JP.UTF-8) prints
# "SKIPPED: ..." and passes nothing.
string(REPLACE "|" ";" SET "${SET}")
string(REPLACE "|" ";" ARGS "${ARGS}")
if(SET MATCHES "ja_JP" AND NOT WIN32)
    execute_process(COMMAND locale -a OUTPUT_VARIABLE locales ERROR_QUIET)
    if(NOT locales MATCHES "ja_JP\\.(utf8|UTF-8)")
        message("SKIPPED: no ja_JP.UTF-8 locale here (tools/install-deps.sh test makes it)")
        return()
    endif()
endif()
execute_process(
    COMMAND ${CMAKE_COMMAND} -E env --unset=LC_ALL --unset=LC_MESSAGES --unset=LANG
            --unset=LANGUAGE ${SET} ${EMULATOR} ${PROGRAM} ${ARGS}
    RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 120)
# Wine adds its own complaints to standard error; the program's lines are the ones asked for.
string(REGEX REPLACE "(^|\n)[0-9a-f]+:(err|fixme|warn):[^\n]*" "" err "${err}")
set(failed "")
if(NOT status STREQUAL STATUS)
    string(APPEND failed "exit status ${status}, not ${STATUS}\n")
endif()
if(NOT out MATCHES "${OUT}")
    string(APPEND failed "standard output does not match ${OUT}\n")
endif()
if(NOT err MATCHES "${ERR}")
    string(APPEND failed "standard error does not match ${ERR}\n")
endif()
if(failed)
    message(FATAL_ERROR "${SET} ${PROGRAM} ${ARGS}:\n${failed}--- standard output:\n${out}"
                        "--- standard error:\n${err}")
endif()
