# The catalogues are whole and true to their originals: every text the sources mark with
# localized() has a translation in each po/LANG.po (none missing, none fuzzy), and each
# translation names the same options and the same number of %s as its original.
# Usage: cmake -DSOURCE_DIR=DIR -DXGETTEXT=FILE -DMSGCMP=FILE -DWORK_DIR=DIR -P check_catalogue.cmake
include(${SOURCE_DIR}/cmake/PoFile.cmake)
file(GLOB_RECURSE sources RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/src/*.cpp ${SOURCE_DIR}/src/*.h)
list(SORT sources)
set(template ${WORK_DIR}/quillet.pot)
execute_process(
    COMMAND ${XGETTEXT} --language=C++ --from-code=UTF-8 --keyword= --keyword=localized
            --add-location=file --no-wrap --package-name=Quillet -o ${template} ${sources}
    WORKING_DIRECTORY ${SOURCE_DIR} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "xgettext failed")
endif()
file(GLOB catalogues ${SOURCE_DIR}/po/*.po)
set(failed "")
foreach(po IN LISTS catalogues)
    get_filename_component(name ${po} NAME)
    # Each text of the sources is in the catalogue, translated (msgfmt --check looks after %s).
    execute_process(COMMAND ${MSGCMP} ${po} ${template}
                    RESULT_VARIABLE status ERROR_VARIABLE complaints)
    if(NOT status EQUAL 0)
        string(APPEND failed "${name} lacks texts of the sources (msgmerge --update po/${name} "
                             "${template}, then translate):\n${complaints}\n")
    endif()
    quillet_read_po(${po} entry)
    math(EXPR last "${entry_COUNT} - 1")
    foreach(i RANGE ${last})
        set(original "${entry_ID_${i}}")
        set(translation "${entry_STR_${i}}")
        if(translation STREQUAL "")
            continue()
        endif()
        foreach(text original translation)
            string(REGEX MATCHALL "--[a-z][a-z0-9-]*|%s" ${text}_names "${${text}}")
            list(SORT ${text}_names)
        endforeach()
        if(NOT original_names STREQUAL translation_names)
            string(APPEND failed "${name}: the translation of \"${original}\" names "
                                 "[${translation_names}] instead of [${original_names}]\n")
        endif()
    endforeach()
endforeach()
if(failed)
    message(FATAL_ERROR "${failed}")
endif()
