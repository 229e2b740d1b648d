# Installation and the Debian package (make package, or cpack -G DEB in the build folder).
#
# The program reads its data from the folder of its executable, so both go into
# one folder, /usr/lib/aevorium; /usr/bin/aevorium is a relative symbolic link to
# the executable (the program resolves its own real path). The desktop entry,
# icons, AppStream metainfo and the MIME type of event files (*.aev) follow the
# freedesktop conventions; the package's triggers refresh the menus, icon and
# MIME caches. The manual pages (English and French), the changelog and the
# machine-readable copyright file follow the Debian policy, so that lintian finds
# neither error nor warning (tests/package/check_package.sh runs it).

set(AEV_APP_ID fr.aevorium.Aevorium)
set(AEV_LIB_DIR lib/aevorium)
set(AEV_PKG_BUILD ${CMAKE_BINARY_DIR}/packaging)

# Linked with full RELRO (relro and bindnow): the global offset table is made
# read-only once the program has started.
target_link_options(aevorium PRIVATE LINKER:-z,relro LINKER:-z,now)
install(TARGETS aevorium RUNTIME DESTINATION ${AEV_LIB_DIR})
# CPack strips the installed program (CPACK_STRIP_FILES) with a bare strip, which
# keeps the compiler's notes; they are of no use in the package.
install(CODE "if(CMAKE_INSTALL_DO_STRIP)
  execute_process(COMMAND \"${CMAKE_OBJCOPY}\" --remove-section=.comment --remove-section=.note
                          \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${AEV_LIB_DIR}/aevorium\"
                  RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR \"objcopy failed on the installed program: \${result}\")
  endif()
endif()")
install(DIRECTORY ${CMAKE_SOURCE_DIR}/data/ DESTINATION ${AEV_LIB_DIR})
file(MAKE_DIRECTORY ${AEV_PKG_BUILD})
file(CREATE_LINK ../${AEV_LIB_DIR}/aevorium ${AEV_PKG_BUILD}/aevorium SYMBOLIC)
install(FILES ${AEV_PKG_BUILD}/aevorium DESTINATION bin)

install(FILES packaging/${AEV_APP_ID}.desktop DESTINATION share/applications)
install(FILES packaging/${AEV_APP_ID}.metainfo.xml DESTINATION share/metainfo)
install(FILES packaging/${AEV_APP_ID}.mime.xml DESTINATION share/mime/packages RENAME ${AEV_APP_ID}.xml)
install(FILES packaging/copyright DESTINATION share/doc/aevorium)

# Manual pages and changelog, compressed as Debian wants them: gzip -9, without
# the name and time stamp that would make two builds differ. The package is its
# own upstream (a native package), so its changelog is changelog.gz.
find_program(GZIP_PROGRAM gzip REQUIRED)
set(aev_gz_files)
foreach(pair "man/aevorium.1|man/man1/aevorium.1.gz|share/man/man1"
             "man/aevorium.fr.1|man/fr/man1/aevorium.1.gz|share/man/fr/man1"
             "changelog|doc/changelog.gz|share/doc/aevorium")
  string(REPLACE "|" ";" pair "${pair}")
  list(GET pair 0 source)
  list(GET pair 1 output)
  list(GET pair 2 destination)
  set(source ${CMAKE_SOURCE_DIR}/packaging/${source})
  set(output ${AEV_PKG_BUILD}/${output})
  get_filename_component(output_dir ${output} DIRECTORY)
  add_custom_command(OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${output_dir}
    COMMAND sh -c "\"$0\" -9nc \"$1\" > \"$2\"" ${GZIP_PROGRAM} ${source} ${output}
    DEPENDS ${source}
    COMMENT "Compressing ${output}"
    VERBATIM)
  list(APPEND aev_gz_files ${output})
  install(FILES ${output} DESTINATION ${destination})
endforeach()
add_custom_target(aev_package_docs ALL DEPENDS ${aev_gz_files})

# The icon: the SVG drawn by tools/gen_icon.py, rendered at the sizes menus use.
find_program(RSVG_CONVERT rsvg-convert)
install(FILES packaging/icons/aevorium.svg DESTINATION share/icons/hicolor/scalable/apps RENAME ${AEV_APP_ID}.svg)
set(icon_pngs)
foreach(size 48 128 256)
  set(png ${AEV_PKG_BUILD}/icons/${size}/${AEV_APP_ID}.png)
  add_custom_command(OUTPUT ${png}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${AEV_PKG_BUILD}/icons/${size}
    COMMAND ${RSVG_CONVERT} -w ${size} -h ${size} ${CMAKE_SOURCE_DIR}/packaging/icons/aevorium.svg -o ${png}
    DEPENDS ${CMAKE_SOURCE_DIR}/packaging/icons/aevorium.svg
    COMMENT "Rendering the ${size} pixel icon")
  list(APPEND icon_pngs ${png})
  install(FILES ${png} DESTINATION share/icons/hicolor/${size}x${size}/apps)
endforeach()
add_custom_target(aev_icons ALL DEPENDS ${icon_pngs})

# The screenshot of the main window that the package ships beside the metainfo:
# the built program run under Xvfb on its data set (tools/run_window.sh). Not part
# of the default build; `make package` builds it first.
set(AEV_SCREENSHOT ${AEV_PKG_BUILD}/fenetre-principale.png)
find_program(XVFB_RUN_PROGRAM xvfb-run)
add_custom_command(OUTPUT ${AEV_SCREENSHOT}
  COMMAND ${XVFB_RUN_PROGRAM} -a -s "-screen 0 1280x1024x24"
          ${CMAKE_SOURCE_DIR}/tools/run_window.sh --screenshot ${AEV_SCREENSHOT} $<TARGET_FILE:aevorium>
  DEPENDS aevorium aev_data ${CMAKE_SOURCE_DIR}/tools/run_window.sh
  WORKING_DIRECTORY ${AEV_PKG_BUILD}
  COMMENT "Grabbing the main window for the package's screenshot")
add_custom_target(aev_screenshot DEPENDS ${AEV_SCREENSHOT})
install(CODE "if(NOT EXISTS \"${AEV_SCREENSHOT}\")
  message(FATAL_ERROR \"${AEV_SCREENSHOT} is missing: build the aev_screenshot target first (make package does)\")
endif()")
install(FILES ${AEV_SCREENSHOT} DESTINATION share/aevorium)

# Installing needs only the program, its icons, its compressed manual pages and
# changelog and its screenshot, not the tests: `make package` builds those four
# targets, then runs CPack.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME aevorium)
set(CPACK_PACKAGE_VENDOR Aevorium)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Aevorium <aevorium@aevorium.example>")
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Beyond the shared libraries: the stand-in fonts of the layout, Qt's French
# texts; the desktop's opener shows the documents and the help.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, fonts-dejavu-core")
# No line of the description may start with a dot: it would read as a control
# line (a lone dot is the empty line between paragraphs).
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "geological time scale for pupils / échelle des temps géologiques
Aevorium teaches the geological time scale, in French. Three rotary dials set
a date between 4550 million years ago and 30 million years in the future; the
window shows it in millions of years, rescaled into one calendar year and on a
gauge over the coloured scale, names the period with its colour, pictures and
documents, and draws a 3D spiral of time with events that pupils and teachers
can add, edit, save and open (.aev files).
.
Aevorium fait découvrir l'échelle des temps géologiques. Trois boutons
rotatifs règlent une date entre -4550 et +30 millions d'années ; la fenêtre
l'affiche en millions d'années, ramenée à une année calendaire et sur une
jauge au-dessus de l'échelle colorée, nomme la période avec sa couleur, ses
images et ses documents, et dessine une spirale du temps en 3D avec des
événements que l'on peut ajouter, modifier, enregistrer et ouvrir
(fichiers .aev).")
include(CPack)
