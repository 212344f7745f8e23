# Where `cmake --install` puts the programs and their data, and the Debian package of it.
# The programs find their data at ../share/orvessa beside themselves, so the data folder
# stays relative to the binary folder.
include(GNUInstallDirs)
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(orvessa_id org.orvessa.Orvessa)
set(orvessa_assets ${PROJECT_SOURCE_DIR}/assets)
set(orvessa_data ${CMAKE_INSTALL_DATADIR}/orvessa)

install(TARGETS orvessa orvessa-run RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# Read-only program folder: help pages, copy animation, cursor, pictures, autostart entry.
install(FILES ${orvessa_assets}/filecopy.gif ${orvessa_assets}/copy_cursor.png
              ${orvessa_assets}/orvessa.png ${orvessa_assets}/splash.png
        DESTINATION ${orvessa_data})
install(DIRECTORY ${orvessa_assets}/help DESTINATION ${orvessa_data}
        FILES_MATCHING PATTERN "*.html" PATTERN "*.png" PATTERN "*.css")
install(FILES ${orvessa_assets}/autostart/${orvessa_id}.desktop
        DESTINATION ${orvessa_data}/autostart)

# What desktops and software centres read.
install(FILES ${orvessa_assets}/${orvessa_id}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${orvessa_assets}/${orvessa_id}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(size 48 128 256)
  install(FILES ${orvessa_assets}/icons/${size}x${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME ${orvessa_id}.png)
endforeach()
install(FILES ${orvessa_assets}/icons/${orvessa_id}.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# Manual pages and the changelog compressed as Debian wants them, without time stamps.
set(orvessa_compressed)
foreach(file man/orvessa.1 man/orvessa-run.1 changelog)
  get_filename_component(name ${file} NAME)
  set(out ${CMAKE_BINARY_DIR}/compressed/${name}.gz)
  add_custom_command(OUTPUT ${out}
                     COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/compressed
                     COMMAND gzip -9nc ${orvessa_assets}/${file} > ${out}
                     DEPENDS ${orvessa_assets}/${file})
  list(APPEND orvessa_compressed ${out})
endforeach()
add_custom_target(orvessa_compressed ALL DEPENDS ${orvessa_compressed})
install(FILES ${CMAKE_BINARY_DIR}/compressed/orvessa.1.gz
              ${CMAKE_BINARY_DIR}/compressed/orvessa-run.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/orvessa
        RENAME copyright)
install(FILES ${CMAKE_BINARY_DIR}/compressed/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/orvessa)

# cpack -G DEB: orvessa_<version>_<arch>.deb.
set(CPACK_PACKAGE_NAME orvessa)
set(CPACK_PACKAGE_VENDOR "Orvessa Software")
set(CPACK_PACKAGE_CONTACT "Orvessa Software <soporte@orvessa.example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "automatic backups of folders and files")
set(CPACK_PACKAGE_DESCRIPTION
    "Orvessa copies the folders and files you choose into a destination folder,
over the previous copy or into numbered folders that keep a number of prior
copies. It runs a backup when asked, on a schedule or when the computer shuts
down, and waits in the system tray in between. orvessa-run runs a saved backup
job from scripts and timers. It speaks English, Spanish, German and French.")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://www.orvessa.example.org/")
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt loads these at run time, so the library scan cannot see them: the X11 and Wayland
# platform plugins, and Qt's own dialog texts in the program's languages.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, qt6-translations-l10n")
# xdg-open hands the help pages, the web page and the e-mail link to the desktop.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
include(CPack)
