# What the programs tell about themselves, from one place each: the version from the project()
# line, and the id the desktop knows the window by (its desktop entry, icon and AppStream id).
set(QUILLET_APP_ID io.github.quillet.Quillet)
# The hidden desktop entry that offers Quillet under "Open with"; its name sorts after the other
# programs' so that it never becomes a file type's default (see docs/install.md).
set(QUILLET_OPEN_WITH_ID zz-quillet-open-with)
configure_file(${CMAKE_CURRENT_LIST_DIR}/Version.h.in ${PROJECT_BINARY_DIR}/generated/Version.h
               @ONLY)
add_library(quillet_version INTERFACE)
add_library(quillet::version ALIAS quillet_version)
target_include_directories(quillet_version INTERFACE ${PROJECT_BINARY_DIR}/generated)
