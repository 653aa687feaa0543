# SPDX-License-Identifier: GPL-3.0-or-later
# The Debian package, built by `cpack -G DEB` from an install of the programs (package.sh). The
# programs go to /usr/games, as Debian's policy asks of the games section; the libraries they link
# are found by dpkg-shlibdeps, and what it cannot see (Qt's platform plugins, Qt's own Japanese
# texts, the Japanese font) is named here.
set(CPACK_PACKAGE_NAME tobiuo)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "トビウオ号 simulator developers <developers@tobiuo.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "simulator of the Tobiuo-go pachislot machine")
# The extended description; CPack puts the summary above it and marks the empty line.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "Plays the stock-type pachislot machine Tobiuo-go (トビウオ号) game by game
and shows what a setting, a number of games and an exchange rate really do
to a player's coins and money: the event log, the coin difference every 100
games and a summary of bonuses, coins, money and modes, in a Japanese window
(tobiuo) and from the command line (tobiuo-sim).

It also shows what each setting pays over many runs, spreads big batches
over many machines, and judges which setting a machine is from what a player
counts.")
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, qt6-translations-l10n, fonts-noto-cjk")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_GENERATOR DEB)

# The copyright file and the changelog where Debian's tools look for them.
set(changelog ${CMAKE_BINARY_DIR}/changelog.gz)
add_custom_command(OUTPUT ${changelog}
                   COMMAND sh -c "gzip -9n < \"${PROJECT_SOURCE_DIR}/data/changelog\" > \"${changelog}\""
                   DEPENDS ${PROJECT_SOURCE_DIR}/data/changelog VERBATIM)
add_custom_target(changelog ALL DEPENDS ${changelog})
install(FILES ${PROJECT_SOURCE_DIR}/data/copyright ${changelog} DESTINATION ${CMAKE_INSTALL_DOCDIR})
include(CPack)
