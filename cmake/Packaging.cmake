# What `cmake --install` puts in place, and the Debian package CPack makes of it
# (`cpack -G DEB`, see tools/package.sh). The sources are in packaging/.
include(GNUInstallDirs)

# The day the version in project() was released; moves with it.
set(QUILLET_RELEASE_DATE 2026-12-08)
set(QUILLET_HOMEPAGE "https://github.com/quillet/quillet" CACHE STRING "Quillet's home page")
set(QUILLET_MAINTAINER "The Quillet developers <quillet@users.noreply.github.com>"
    CACHE STRING "Who answers for the package: name <address>")
# The screenshot as it stands in the repository at the release's tag.
set(QUILLET_SCREENSHOT_URL "${QUILLET_HOMEPAGE}/raw/v${PROJECT_VERSION}/docs/screenshot.png")

# The Debian changelog wants the date in RFC 2822 form.
execute_process(COMMAND ${CMAKE_COMMAND} -E env LC_ALL=C date -u -R -d ${QUILLET_RELEASE_DATE}
                OUTPUT_VARIABLE QUILLET_RELEASE_DATE_RFC2822 OUTPUT_STRIP_TRAILING_WHITESPACE
                COMMAND_ERROR_IS_FATAL ANY)

set(src ${PROJECT_SOURCE_DIR}/packaging)
set(gen ${PROJECT_BINARY_DIR}/packaging)
configure_file(${src}/${QUILLET_APP_ID}.metainfo.xml.in ${gen}/${QUILLET_APP_ID}.metainfo.xml @ONLY)

# Man pages (English, and Japanese in ja/) and the changelog are installed compressed, without a
# time stamp in the gzip header.
find_program(QUILLET_GZIP gzip REQUIRED)
set(compressed)
foreach(name quillet.1 quillet-convert.1 ja/quillet.1 ja/quillet-convert.1 changelog)
    configure_file(${src}/${name}.in ${gen}/${name} @ONLY)
    add_custom_command(OUTPUT ${gen}/${name}.gz
                       COMMAND ${QUILLET_GZIP} -9 -n -k -f ${gen}/${name}
                       DEPENDS ${gen}/${name} VERBATIM)
    list(APPEND compressed ${gen}/${name}.gz)
endforeach()
add_custom_target(quillet_packaging_files ALL DEPENDS ${compressed})

set(docdir ${CMAKE_INSTALL_DATAROOTDIR}/doc/quillet)
install(TARGETS quillet-convert RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${gen}/quillet-convert.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${gen}/ja/quillet-convert.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/ja/man1)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${src}/copyright ${gen}/changelog.gz
        DESTINATION ${docdir})
# The user's guide in Japanese with its screenshots, and the English documents the README links.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs/ DESTINATION ${docdir}/docs
        FILES_MATCHING PATTERN "*.md" PATTERN "*.png")
if(TARGET quillet)
    install(TARGETS quillet quillet-preview RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    # quillet(1) describes the preview's program too; man quillet-preview shows it.
    file(CREATE_LINK quillet.1.gz ${gen}/quillet-preview.1.gz SYMBOLIC)
    install(FILES ${gen}/quillet.1.gz ${gen}/quillet-preview.1.gz
            DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    install(FILES ${gen}/ja/quillet.1.gz ${gen}/quillet-preview.1.gz
            DESTINATION ${CMAKE_INSTALL_MANDIR}/ja/man1)
    # The menu entry handles no file type; the second, hidden entry puts Quillet under "Open with"
    # for CSV and DXF files without becoming their default program (see docs/install.md).
    install(FILES ${src}/${QUILLET_APP_ID}.desktop ${src}/${QUILLET_OPEN_WITH_ID}.desktop
            DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/applications)
    install(FILES ${gen}/${QUILLET_APP_ID}.metainfo.xml
            DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/metainfo)
    # The PNG is rendered once from the SVG and kept in the repository (see README.md, Licence).
    install(FILES ${src}/${QUILLET_APP_ID}.svg
            DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/scalable/apps)
    install(FILES ${src}/${QUILLET_APP_ID}.png
            DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/256x256/apps)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillet)
set(CPACK_PACKAGE_VENDOR "The Quillet developers")
set(CPACK_PACKAGE_CONTACT "${QUILLET_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "turn comma-delimited text into a DXF drawing of texts")
# CPack keeps the line breaks; Debian wants the lines under 80 characters.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
    "Quillet turns a comma-delimited text file into a DXF drawing: every non-empty"
    "field becomes one TEXT entity, the fields of a line stack downward in a column"
    "and an empty line starts the next column. A window in Japanese picks the file"
    "and runs the conversion; quillet-convert does the same from the command line.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${QUILLET_HOMEPAGE}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The window draws its Japanese text in Noto CJK, and Qt's own dialogs speak Japanese through
# Qt's translations; nothing links either, so shlibdeps cannot see them.
if(TARGET quillet)
    set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-noto-cjk, qt6-translations-l10n")
endif()
include(CPack)
unset(src)
unset(gen)
unset(compressed)
unset(docdir)
