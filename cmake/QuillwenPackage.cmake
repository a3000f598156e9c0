# `make package`: a Debian package of what `cmake --install` puts under /usr.
# The collection is not part of it: users build theirs into
# ~/.local/share/quillwen (or an administrator into /usr/share/quillwen).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillwen)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Quillwen maintainers <maintainers@users.noreply.c-seed-86fa9345.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "reader and full-text search for classical Chinese texts")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Quillwen reads collections of classical Chinese texts, organised as categories,\n"
    "books, volumes and pages, and searches them for phrases combined with and/or,\n"
    "with wildcards, in the full text, the main text or the annotations, counting\n"
    "variant characters as the same. Its user interface is Japanese.\n"
    "\n"
    "The package holds the reader, quillwen-search (the search from the command\n"
    "line) and quillwen-build (which makes a collection from plain text files).\n"
    "No collection comes with it: build one into ~/.local/share/quillwen.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_PACKAGE_RELEASE ${QUILLWEN_DEBIAN_REVISION})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION text)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries the programs link, found by dpkg-shlibdeps.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Without a CJK font the pages show empty boxes; without Qt's catalogue its own
# dialogs speak English.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-noto-cjk, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

include(CPack)
