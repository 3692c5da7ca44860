# `cpack -G DEB` in the build folder makes tavolex_<version>_amd64.deb from what
# `cmake --install` puts, under /usr, plus the files a Debian package carries: a manual page,
# the copyright file and a changelog in /usr/share/doc/tavolex.

set(TAVOLEX_PACKAGE_MAINTAINER "Tavolex maintainers <maintainers@users.noreply.c-seed-e2ea36c6.example>"
    CACHE STRING "Maintainer named in the Debian package")

find_program(TAVOLEX_GZIP gzip REQUIRED)
set(tavolex_doc_build ${CMAKE_BINARY_DIR}/package)
file(MAKE_DIRECTORY ${tavolex_doc_build})

# The changelog's one entry names this version; SOURCE_DATE_EPOCH pins its date.
string(TIMESTAMP TAVOLEX_PACKAGE_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
configure_file(data/debian/changelog.in ${tavolex_doc_build}/changelog @ONLY)

# gzip -n: no name or time stamp inside, so the same input packs to the same bytes.
foreach(doc ${tavolex_doc_build}/changelog ${CMAKE_SOURCE_DIR}/data/tavolex.1)
    get_filename_component(doc_name ${doc} NAME)
    add_custom_command(OUTPUT ${tavolex_doc_build}/${doc_name}.gz
        COMMAND ${TAVOLEX_GZIP} -9 -n -c ${doc} > ${tavolex_doc_build}/${doc_name}.gz
        DEPENDS ${doc} VERBATIM)
endforeach()
add_custom_target(tavolex_package_docs ALL
    DEPENDS ${tavolex_doc_build}/changelog.gz ${tavolex_doc_build}/tavolex.1.gz)

install(FILES ${tavolex_doc_build}/tavolex.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES data/debian/copyright ${tavolex_doc_build}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/tavolex)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tavolex)
set(CPACK_PACKAGE_VENDOR "Tavolex")
set(CPACK_PACKAGE_CONTACT "${TAVOLEX_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "reader for long plain-text books as two facing pages")
set(CPACK_PACKAGE_DESCRIPTION_FILE ${CMAKE_SOURCE_DIR}/data/debian/description.txt)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${TAVOLEX_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION text)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Reading aloud goes through Qt's speech-dispatcher plugin; the reader works without it.
# Hyphenation patterns and the language guess's fingerprints: without them lines break at
# blanks only.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "qt6-speech-speechd-plugin, speech-dispatcher, speech-dispatcher-espeak-ng, espeak-ng, libexttextcat-data, hyphen-en-us, hyphen-en-gb, hyphen-de, hyphen-fr, hyphen-es, hyphen-it, hyphen-pt-pt, hyphen-pt-br, hyphen-nl, hyphen-ru, hyphen-uk, hyphen-pl, hyphen-cs, hyphen-sv, hyphen-da, hyphen-no, hyphen-hu, hyphen-el, hyphen-bg")
# Ctrl+D looks words up in the dictd and StarDict dictionaries installed.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS
    "qt6-speech-flite-plugin, dict-gcide, dict-wn, dict-freedict-deu-eng, hunspell-en-us")
include(CPack)
