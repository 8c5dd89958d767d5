# cmake -DWHEEL_SOURCE_DIR=... -DWORK_DIR=... -P DebianRevisionTest.cmake
include(${WHEEL_SOURCE_DIR}/cmake/DebianRelease.cmake)
file(MAKE_DIRECTORY ${WORK_DIR})

function(expect what os_release revision distribution)
    set(file ${WORK_DIR}/os-release)
    file(REMOVE ${file})
    if(NOT os_release STREQUAL "<none>")
        file(WRITE ${file} "${os_release}")
    endif()
    wheel_debian_revision(got_revision got_distribution OS_RELEASE ${file})
    if(NOT got_revision STREQUAL revision OR NOT got_distribution STREQUAL distribution)
        message(SEND_ERROR "${what}: got ${got_revision} ${got_distribution}, want ${revision} ${distribution}")
    endif()
endfunction()

expect("Debian 13"
    "PRETTY_NAME=\"Debian GNU/Linux 13 (trixie)\"\nNAME=\"Debian GNU/Linux\"\nVERSION_ID=\"13\"\nVERSION=\"13 (trixie)\"\nVERSION_CODENAME=trixie\nID=debian\n"
    "1~deb13" trixie)
expect("Debian 12"
    "PRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\nNAME=\"Debian GNU/Linux\"\nVERSION_ID=\"12\"\nVERSION=\"12 (bookworm)\"\nVERSION_CODENAME=bookworm\nID=debian\n"
    "1~deb12" bookworm)
# Testing and unstable have no VERSION_ID; their packages are not tied to a release number.
expect("Debian testing"
    "PRETTY_NAME=\"Debian GNU/Linux forky/sid\"\nNAME=\"Debian GNU/Linux\"\nVERSION_CODENAME=forky\nID=debian\n"
    "1" unstable)
expect("Ubuntu" "NAME=\"Ubuntu\"\nVERSION_ID=\"24.04\"\nVERSION_CODENAME=noble\nID=ubuntu\nID_LIKE=debian\n" "1" unstable)
expect("no os-release" "<none>" "1" unstable)

set(WHEEL_DEB_REVISION "2~deb13")
expect("set by hand" "VERSION_ID=\"12\"\nVERSION_CODENAME=bookworm\nID=debian\n" "2~deb13" bookworm)
