# Makes the Debian package of a build (cpack -G DEB) into a scratch folder
# and checks it for the release the build runs on: its name and
# architecture, that the program in it is built for that architecture, that
# its dependencies name that release's libgpiod and Qt libraries, and what
# Debian wants of every package and a Raspberry Pi of this one: a maintainer
# with an address, the copyright, a changelog of this version, the udev
# rule with the script that makes its group, the user service.
# Arguments: BUILD_DIR, SCRATCH, VERSION, ARCH (Debian's name for the
# architecture the build compiles for), CHANGELOG (the source of it).
file(REMOVE_RECURSE "${SCRATCH}")
execute_process(COMMAND cpack -G DEB -B "${SCRATCH}" --config "${BUILD_DIR}/CPackConfig.cmake"
    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "cpack -G DEB failed:\n${out}")
endif()
set(deb "${SCRATCH}/kvxtest_${VERSION}_${ARCH}.deb")
if(NOT EXISTS "${deb}")
    file(GLOB made "${SCRATCH}/*.deb")
    message(FATAL_ERROR "No ${deb}; made: ${made}")
endif()

function(feld name out)
    execute_process(COMMAND dpkg-deb -f "${deb}" ${name} OUTPUT_VARIABLE v OUTPUT_STRIP_TRAILING_WHITESPACE
        COMMAND_ERROR_IS_FATAL ANY)
    set(${out} "${v}" PARENT_SCOPE)
endfunction()

feld(Architecture arch)
if(NOT arch STREQUAL ARCH)
    message(FATAL_ERROR "Architecture: ${arch}, expected ${ARCH}")
endif()

# The program inside, for that architecture.
set(inhalt "${SCRATCH}/inhalt")
execute_process(COMMAND dpkg-deb -x "${deb}" "${inhalt}" COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND file -b "${inhalt}/usr/bin/kvxtest" OUTPUT_VARIABLE art COMMAND_ERROR_IS_FATAL ANY)
set(elf_amd64 "x86-64")
set(elf_arm64 "ARM aarch64")
if(NOT DEFINED elf_${ARCH} OR NOT art MATCHES "ELF 64-bit.*${elf_${ARCH}}")
    message(FATAL_ERROR "usr/bin/kvxtest is no ${ARCH} program: ${art}")
endif()

# The libraries of the release: libgpiod 1.6 is libgpiod2 on Debian 12,
# libgpiod 2 is libgpiod3 on Debian 13, whose Qt core library carries the
# 64-bit time suffix.
file(STRINGS /etc/os-release codename REGEX "^VERSION_CODENAME=")
string(REPLACE "VERSION_CODENAME=" "" codename "${codename}")
set(libs_bookworm libgpiod2 libqt6core6 libqt6gui6 libqt6widgets6)
set(libs_trixie libgpiod3 libqt6core6t64 libqt6gui6 libqt6widgets6)
if(NOT DEFINED libs_${codename})
    message(FATAL_ERROR "No library names known for the release ${codename}: add them to ${CMAKE_CURRENT_LIST_FILE}")
endif()
feld(Depends depends)
set(fehlt "")
foreach(lib IN LISTS libs_${codename} ITEMS qt6-qpa-plugins)
    if(NOT depends MATCHES "(^|, )${lib}( |,|$)")
        list(APPEND fehlt ${lib})
    endif()
endforeach()
if(fehlt)
    message(FATAL_ERROR "Depends names no ${fehlt} (${codename}):\n${depends}")
endif()

feld(Maintainer maintainer)
if(NOT maintainer MATCHES "^[^<]+ <[^@ >]+@[^@ >]+>$")
    message(FATAL_ERROR "Maintainer without an address: ${maintainer}")
endif()
feld(Recommends recommends)
if(NOT recommends MATCHES "(^|, )gpiod(,|$)")
    message(FATAL_ERROR "Recommends names no gpiod (its gpiodetect is named in the GPIO messages): ${recommends}")
endif()
foreach(f usr/share/doc/kvxtest/copyright usr/share/doc/kvxtest/changelog.gz
          usr/lib/udev/rules.d/60-kvxtest-gpio.rules usr/lib/systemd/user/kvxtest-web.service)
    if(NOT EXISTS "${inhalt}/${f}")
        message(FATAL_ERROR "The package lacks /${f}")
    endif()
endforeach()
file(READ "${inhalt}/usr/share/doc/kvxtest/copyright" copyright)
if(NOT copyright MATCHES "\nFiles: \\*\nCopyright: [^\n]+\nLicense: GPL-3.0-or-later\n"
   OR NOT copyright MATCHES "\nLicense: GPL-3.0-or-later\n [^\n]+\n")
    message(FATAL_ERROR "The copyright file names GPL-3.0-or-later for Files: * and its text not as the format wants")
endif()
execute_process(COMMAND gzip -dc "${inhalt}/usr/share/doc/kvxtest/changelog.gz" OUTPUT_VARIABLE changelog
    COMMAND_ERROR_IS_FATAL ANY)
string(REGEX MATCH "^kvxtest \\(([^)]+)\\)" kopf "${changelog}")
if(NOT CMAKE_MATCH_1 STREQUAL VERSION)
    message(FATAL_ERROR "The changelog (${CHANGELOG}) begins with '${kopf}', not with version ${VERSION}")
endif()
set(steuer "${SCRATCH}/steuer")
execute_process(COMMAND dpkg-deb -e "${deb}" "${steuer}" COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND test -x "${steuer}/postinst" RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "The package has no executable postinst")
endif()
file(READ "${steuer}/postinst" postinst)
if(NOT postinst MATCHES "groupadd --system gpio")
    message(FATAL_ERROR "The postinst does not make the group gpio")
endif()
message(STATUS "${deb}: ${arch}, ${codename}, Depends: ${depends}")
file(REMOVE_RECURSE "${SCRATCH}")
