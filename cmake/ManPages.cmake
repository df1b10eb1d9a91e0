# SPDX-License-Identifier: GPL-3.0-or-later
# kestrow_install_man_page(<file.N>): fills in @PROJECT_VERSION@, compresses the page as Debian
# wants it (gzip -9n: no name, no time stamp, so the same page gives the same bytes) and
# installs it into man/manN.
find_program(KESTROW_GZIP gzip REQUIRED)

function(kestrow_install_man_page source)
    get_filename_component(name ${source} NAME)
    string(REGEX MATCH "[0-9]$" section ${name})
    set(page ${CMAKE_CURRENT_BINARY_DIR}/${name})
    configure_file(${source} ${page} @ONLY)
    add_custom_command(
        OUTPUT ${page}.gz
        COMMAND ${KESTROW_GZIP} -9nkf ${page}
        DEPENDS ${page}
        VERBATIM)
    string(MAKE_C_IDENTIFIER "man_${name}" target)
    add_custom_target(${target} ALL DEPENDS ${page}.gz)
    install(FILES ${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man${section})
endfunction()
