# Installation and the Debian package: the programs on the PATH, the support
# files in the share folder, the menu entry, the icon and the AppStream data.
# Included last, so that every program target already exists.

include(GNUInstallDirs)

set(APP_ID org.example.projectsales)
set(PROJECTSALES_SHARE_DIR ${CMAKE_INSTALL_DATADIR}/projectsales)
set(PROJECTSALES_HOMEPAGE "https://example.org/projectsales/" CACHE STRING
    "Where the project is published; the metainfo's screenshot is docs/main-window.png under it")

# The program finds its share folder from its own location, so an installed
# tree works wherever it is unpacked.
file(RELATIVE_PATH SUPPORT_FROM_PROGRAM ${CMAKE_INSTALL_FULL_BINDIR}
     ${CMAKE_INSTALL_FULL_DATADIR}/projectsales)
set_property(SOURCE ${CMAKE_SOURCE_DIR}/output/SupportFolder.cpp APPEND PROPERTY
             COMPILE_DEFINITIONS SUPPORT_FOLDER_FROM_PROGRAM="${SUPPORT_FROM_PROGRAM}")

# Installing and packaging build nothing: build the target "programs" first
# (package.sh does), rather than every test and benchmark.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
add_custom_target(programs)
foreach(program projectsales projectsales-newdb projectsales-copy)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    add_dependencies(programs ${program})
  endif()
endforeach()

install(DIRECTORY ${CMAKE_SOURCE_DIR}/resources/Data ${CMAKE_SOURCE_DIR}/resources/Reports
        DESTINATION ${PROJECTSALES_SHARE_DIR})

install(FILES ${CMAKE_CURRENT_LIST_DIR}/${APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
configure_file(${CMAKE_CURRENT_LIST_DIR}/${APP_ID}.metainfo.xml.in
               ${CMAKE_BINARY_DIR}/generated/${APP_ID}.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/generated/${APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The program's own icon; the large sizes were scaled from app-32.png
# (ImageMagick: -filter Lanczos -resize 48x48, 256x256).
foreach(icon resources/icons/app-16.png:16 resources/icons/app-32.png:32
             packaging/icons/app-48.png:48 packaging/icons/app-256.png:256)
  string(REPLACE ":" ";" icon ${icon})
  list(GET icon 0 file)
  list(GET icon 1 size)
  install(FILES ${CMAKE_SOURCE_DIR}/${file} RENAME ${APP_ID}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME projectsales)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Project catalogue developers <sales-catalogue@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "catalogue of software projects and their sales")
set(CPACK_PACKAGE_DESCRIPTION "A desktop catalogue of software projects and their sales, with a\n\
Russian user interface: projects by category with search and sorting, sales\n\
with totals, reference books, a printed project sheet and catalogue, an HTML\n\
catalogue.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${PROJECTSALES_HOMEPAGE})
# Libraries come from dpkg-shlibdeps; Qt's database driver is a plugin loaded
# at run time, out of its sight. libmdb reads legacy Access files.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-sqlite, libmdb3")
# Qt's own buttons and dialogs in Russian; without it they read English. The
# server's driver only for a catalogue on a PostgreSQL server; the keyring
# (libsecret, which QtKeychain loads at run time) for a remembered password.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, libqt6sql6-psql, libsecret-1-0, gnome-keyring")
include(CPack)

if(TARGET projectsales)
  add_test(NAME test_package
           COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/test_package.sh ${CMAKE_BINARY_DIR})
  set_tests_properties(test_package PROPERTIES TIMEOUT 300 SKIP_RETURN_CODE 77)
endif()
