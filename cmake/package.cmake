# The Debian package of the Linux build: `cpack -G DEB` in a Release build (scripts/package.sh
# does it all) gives zarmok_<version>-1_amd64.deb with the programs, their manual pages, the
# desktop entry with its icon, the copyright file, an idle watch's autostart entry as an
# example and the empty host-library folder.
set(ZARMOK_PACKAGING_DIR ${CMAKE_SOURCE_DIR}/packaging)
set(ZARMOK_PACKAGE_BUILD_DIR ${CMAKE_BINARY_DIR}/package-files)

# Every manual page in docs/man, gzipped as Debian wants them (-n: no name or time stamp, so the
# same page always packs the same).
file(GLOB ZARMOK_MAN_PAGES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/docs/man/*.1)
set(zarmok_man_outputs)
foreach(page IN LISTS ZARMOK_MAN_PAGES)
  get_filename_component(name ${page} NAME)
  set(output ${ZARMOK_PACKAGE_BUILD_DIR}/man/${name}.gz)
  add_custom_command(OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${ZARMOK_PACKAGE_BUILD_DIR}/man
    COMMAND gzip -9n -c ${page} > ${output}
    DEPENDS ${page} VERBATIM)
  list(APPEND zarmok_man_outputs ${output})
endforeach()
install(FILES ${zarmok_man_outputs} DESTINATION share/man/man1)

# The icon is the saver's own drawing: one bug in the middle of a black square, drawn by the
# renderer at each size with a bug scaled to it, so the small icons are not blurred copies.
set(zarmok_icon_outputs)
if(TARGET zarmok-render)
  # Size and seed: seeds chosen by looking, each gives a whole bug near the middle.
  foreach(size_seed IN ITEMS 48:2 64:2 128:3)
    string(REPLACE ":" ";" size_seed ${size_seed})
    list(GET size_seed 0 size)
    list(GET size_seed 1 seed)
    math(EXPR radius "${size} * 5 / 16")
    set(ini ${ZARMOK_PACKAGE_BUILD_DIR}/icon-${size}.ini)
    file(WRITE ${ini}
      "[Zarmok]\nMaxBugs=1\nBugSize=${radius}\nBugPtnSize=16\nImageListLen=6\nSpeed=3\nBugsType=0\n")
    set(output ${ZARMOK_PACKAGE_BUILD_DIR}/icons/${size}x${size}/zarmok.png)
    add_custom_command(OUTPUT ${output}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${ZARMOK_PACKAGE_BUILD_DIR}/icons/${size}x${size}
      COMMAND zarmok-render --ini ${ini} --size ${size}x${size} --seed ${seed} --steps 300 --png ${output}
      DEPENDS zarmok-render ${ini} VERBATIM)
    list(APPEND zarmok_icon_outputs ${output})
    install(FILES ${output} DESTINATION share/icons/hicolor/${size}x${size}/apps)
  endforeach()
endif()

# Debian's changelog of the package, gzipped like the manual pages.
set(zarmok_changelog ${ZARMOK_PACKAGE_BUILD_DIR}/changelog.Debian.gz)
add_custom_command(OUTPUT ${zarmok_changelog}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${ZARMOK_PACKAGE_BUILD_DIR}
  COMMAND gzip -9n -c ${ZARMOK_PACKAGING_DIR}/changelog.Debian > ${zarmok_changelog}
  DEPENDS ${ZARMOK_PACKAGING_DIR}/changelog.Debian VERBATIM)

add_custom_target(zarmok_package_files ALL
  DEPENDS ${zarmok_man_outputs} ${zarmok_icon_outputs} ${zarmok_changelog})

install(FILES ${ZARMOK_PACKAGING_DIR}/zarmok.desktop DESTINATION share/applications)
install(FILES ${ZARMOK_PACKAGING_DIR}/copyright ${zarmok_changelog} DESTINATION share/doc/zarmok)
# The autostart entry of an idle watch, for a user who wants one (docs/gnome.md): an example to
# copy into ~/.config/autostart, not an entry in /etc/xdg/autostart that would start a saver in
# every session of every user, chosen or not.
install(FILES ${ZARMOK_PACKAGING_DIR}/zarmok-idle.desktop DESTINATION share/doc/zarmok/examples)
# The host's password libraries go here (see zarmok(1)); the package ships none.
install(DIRECTORY DESTINATION lib/zarmok/host)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zarmok)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_CONTACT "Zarmok developers <zarmok@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "screen saver with a swarm of symmetric colour-shifting bugs")
# The summary above is the synopsis line; this is the text below it, one string.
string(CONCAT CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "Zarmok covers the screen with a small swarm of bilaterally symmetric bugs\n"
  "in random colours that change shape, grow, shrink and die, pulled toward\n"
  "the centre and each other and away from the edges, each dragging a trail\n"
  "of fading copies of itself. It runs full-screen, as a preview inside a\n"
  "screen-saver host's window, and offers a settings dialog.")
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://example.org/zarmok")
# Depends from the libraries the programs really link (dpkg-shlibdeps), never typed by hand.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The dialog's Japanese, and every Japanese text, needs a face with Japanese glyphs.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-ipafont-gothic | fonts-noto-cjk")
include(CPack)
