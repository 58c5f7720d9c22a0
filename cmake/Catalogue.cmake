# quillet_localized(TARGET): a program whose texts platform::localized() translates finds its
# catalogues. On Windows the string tables go into its resources. On Linux the program looks at
# ../share/locale from its own folder, which is PREFIX/share/locale once installed; in the build
# tree that place is made a link to the compiled catalogues (po/), once for each folder.
function(quillet_localized target)
    add_dependencies(${target} quillet_catalogues)
    if(WIN32)
        target_sources(${target} PRIVATE ${PROJECT_BINARY_DIR}/po/messages.rc)
        return()
    endif()
    get_target_property(folder ${target} BINARY_DIR)
    get_filename_component(share ${folder}/../share ABSOLUTE)
    if(NOT EXISTS ${share}/locale)
        file(MAKE_DIRECTORY ${share})
        file(CREATE_LINK ${QUILLET_LOCALE_DIR} ${share}/locale SYMBOLIC)
    endif()
endfunction()
