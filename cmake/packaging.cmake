# Install rules and packages: a Debian package for POSIX builds, a ZIP for
# Windows builds (and from it an installer: packaging/make-msi).
include(GNUInstallDirs)

set(fillwright_man_page ${PROJECT_SOURCE_DIR}/docs/fillwright.1)

# The page carries its version in its header; keep it with the project's.
file(STRINGS ${fillwright_man_page} fillwright_man_header REGEX "^\\.TH ")
if(NOT fillwright_man_header MATCHES "fillwright ${PROJECT_VERSION}\"")
    message(WARNING "docs/fillwright.1 does not name version ${PROJECT_VERSION} in its .TH line")
endif()

if(WIN32)
    # One folder, fillwright-<version>-win64, holding the program and its
    # documents as text with CR LF line ends; packaging/make-msi builds the
    # installer from the same folder.
    install(TARGETS fillwright RUNTIME DESTINATION .)
    set(windows_docs ${PROJECT_BINARY_DIR}/windows)
    configure_file(${PROJECT_SOURCE_DIR}/packaging/README-windows.txt.in ${windows_docs}/README.txt
        @ONLY NEWLINE_STYLE CRLF)
    set(crlf_script ${PROJECT_SOURCE_DIR}/packaging/crlf.cmake)
    set(crlf_copies ${windows_docs}/LICENSE.txt ${windows_docs}/fillwright-completion.ps1)
    add_custom_command(OUTPUT ${crlf_copies}
        COMMAND ${CMAKE_COMMAND} -DIN=${PROJECT_SOURCE_DIR}/LICENSE -DOUT=${windows_docs}/LICENSE.txt
                -P ${crlf_script}
        COMMAND ${CMAKE_COMMAND} -DIN=${PROJECT_SOURCE_DIR}/packaging/fillwright-completion.ps1
                -DOUT=${windows_docs}/fillwright-completion.ps1 -P ${crlf_script}
        DEPENDS ${PROJECT_SOURCE_DIR}/LICENSE ${PROJECT_SOURCE_DIR}/packaging/fillwright-completion.ps1
                ${crlf_script}
        VERBATIM)
    add_custom_target(fillwright_windows_docs ALL DEPENDS ${crlf_copies})
    install(FILES ${windows_docs}/README.txt ${crlf_copies} DESTINATION .)
    # Windows has no man: its users get the page rendered as plain text.
    find_program(FILLWRIGHT_GROFF groff)
    if(FILLWRIGHT_GROFF)
        set(rendered_page ${windows_docs}/fillwright.txt)
        add_custom_command(OUTPUT ${rendered_page}
            COMMAND ${FILLWRIGHT_GROFF} -man -Tascii -P-cbou -rcR=1 ${fillwright_man_page} > ${rendered_page}
            COMMAND ${CMAKE_COMMAND} -DIN=${rendered_page} -DOUT=${rendered_page} -P ${crlf_script}
            DEPENDS ${fillwright_man_page} ${crlf_script}
            COMMENT "Rendering the manual page as text"
            VERBATIM)
        add_custom_target(fillwright_manual ALL DEPENDS ${rendered_page})
        install(FILES ${rendered_page} DESTINATION .)
    else()
        message(WARNING "groff not found: the Windows package will lack its manual, and make-msi will fail")
    endif()
    set(CPACK_GENERATOR ZIP)
    set(CPACK_PACKAGE_FILE_NAME fillwright-${PROJECT_VERSION}-win64)
    set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
else()
    install(TARGETS fillwright RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
    install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR} RENAME copyright)
    install(FILES ${PROJECT_SOURCE_DIR}/packaging/fillwright.bash
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME fillwright)
    # Debian wants manual pages compressed, and reproducibly (-n: no name or
    # time stamp in the archive).
    find_program(FILLWRIGHT_GZIP gzip)
    if(FILLWRIGHT_GZIP)
        set(compressed_page ${PROJECT_BINARY_DIR}/fillwright.1.gz)
        add_custom_command(OUTPUT ${compressed_page}
            COMMAND ${FILLWRIGHT_GZIP} -9 -n -c ${fillwright_man_page} > ${compressed_page}
            DEPENDS ${fillwright_man_page}
            COMMENT "Compressing the manual page"
            VERBATIM)
        add_custom_target(fillwright_manual ALL DEPENDS ${compressed_page})
        install(FILES ${compressed_page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    else()
        install(FILES ${fillwright_man_page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    endif()
    set(CPACK_GENERATOR DEB)
endif()

set(CPACK_PACKAGE_NAME fillwright)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "fillwright developers")
set(CPACK_PACKAGE_CONTACT "fillwright developers <fillwright@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "expand a tree of configuration templates")
# Debian shows the description as it stands, so it is wrapped by hand.
set(CPACK_PACKAGE_DESCRIPTION [[fillwright prepares the configuration files of a machine from templates.
It walks a directory tree and expands every file ending in .pre into the
file of the same name without that ending, replacing $NAME and $(NAME)
tokens from a file of substitutions, command-line options and built-in
keywords derived from the machine (host and domain names, an IPv4
address, LDAP distinguished names). Templates may include other files
and set keywords for the rest of the run.]])
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_RESOURCE_FILE_README ${PROJECT_SOURCE_DIR}/README.md)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
find_program(FILLWRIGHT_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(FILLWRIGHT_DPKG_SHLIBDEPS)
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
endif()

include(CPack)
