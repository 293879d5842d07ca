# cmake --install and the Debian package (make package): the three programs, the desktop
# entry, icon and metainfo, the man pages, the serial adapter rule and the service example.
include(GNUInstallDirs)

set(ORX_APP_ID io.github.orxboot.OrxBoot)
set(ORX_HOMEPAGE "https://github.com/orxboot/orxboot" CACHE STRING
  "Home page named by the package and the metainfo")
set(ORX_SCREENSHOT_URL "${ORX_HOMEPAGE}/raw/main/docs" CACHE STRING
  "Where the README's screenshots are published (software centres need web addresses)")
set(ORX_MAINTAINER "ORX Boot Server developers <orxboot@localhost>" CACHE STRING
  "Maintainer field of the Debian package")

install(TARGETS orxboot orxunit orx-mkimage RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES res/${ORX_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
configure_file(res/${ORX_APP_ID}.metainfo.xml.in ${ORX_APP_ID}.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/${ORX_APP_ID}.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES res/orxboot.svg RENAME ${ORX_APP_ID}.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# Man pages, compressed without a name or time stamp so that every build gives the same bytes.
set(ORX_MAN_PAGES)
foreach(page orxboot orxunit orx-mkimage)
  configure_file(man/${page}.1 man/${page}.1 @ONLY)
  add_custom_command(OUTPUT man/${page}.1.gz
    COMMAND gzip -9nf -k man/${page}.1
    DEPENDS ${CMAKE_BINARY_DIR}/man/${page}.1)
  list(APPEND ORX_MAN_PAGES ${CMAKE_BINARY_DIR}/man/${page}.1.gz)
endforeach()
add_custom_target(manpages ALL DEPENDS ${ORX_MAN_PAGES})
install(FILES ${ORX_MAN_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# udev reads lib/udev/rules.d under /usr only; a build installed elsewhere copies the rule
# to /etc/udev/rules.d (README, Serial boot).
install(FILES packaging/60-orxboot-serial.rules DESTINATION lib/udev/rules.d)
install(FILES packaging/orxboot.service README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME orxboot)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${ORX_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "boot image server for HV7 and HV6 handheld units")
set(CPACK_PACKAGE_DESCRIPTION
  "ORX Boot Server puts operating-system firmware onto HV7 and HV6 handheld units, over the
local network (UDP port 980) or over serial cables, many units at once. It comes with a
window, a wizard for one serial download, a headless mode for bench servers, orxboot --info
to inspect a boot image, a unit simulator (orxunit) and a sample image maker (orx-mkimage).")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES TRUE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${ORX_HOMEPAGE}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# arp clears a unit's cache entry after its transfer; setcap runs in the post-install script.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "net-tools, libcap2-bin")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
  ${CMAKE_SOURCE_DIR}/packaging/debian/postinst ${CMAKE_SOURCE_DIR}/packaging/debian/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
include(CPack)

# The package and the service example, checked by the tools that judge them (77: tool missing).
add_test(NAME package.deb
  COMMAND bash ${CMAKE_SOURCE_DIR}/tests/package/package_test.sh ${CMAKE_BINARY_DIR})
add_test(NAME package.service COMMAND bash ${CMAKE_SOURCE_DIR}/tests/package/service_test.sh
  ${CMAKE_BINARY_DIR} ${CMAKE_SOURCE_DIR})
set_tests_properties(package.deb package.service PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 300)
