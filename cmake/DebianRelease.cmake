# The Debian revision of the package, after the upstream version: "1~deb12" on
# Debian 12, "1~deb13" on Debian 13 (the form Debian's backports use, so a
# package built on 12 sorts before the same version built on 13), and plain
# "1" where /etc/os-release names no Debian release (testing, unstable or
# another system). -DWHEEL_DEB_REVISION=... sets it by hand.
#
#   wheel_debian_revision(REVISION_VAR DISTRIBUTION_VAR [OS_RELEASE FILE])
#
# DISTRIBUTION_VAR gets the release's code name for the changelog
# ("bookworm", "trixie"), or "unstable".
set(WHEEL_DEB_REVISION "" CACHE STRING "Debian revision of the package (empty: from /etc/os-release)")

function(wheel_os_release_field file field out)
    set(value "")
    if(EXISTS ${file})
        file(STRINGS ${file} lines REGEX "^${field}=")
        if(lines)
            list(GET lines 0 line)
            string(REGEX REPLACE "^${field}=\"?([^\"]*)\"?$" "\\1" value "${line}")
        endif()
    endif()
    set(${out} "${value}" PARENT_SCOPE)
endfunction()

function(wheel_debian_revision out_revision out_distribution)
    cmake_parse_arguments(PARSE_ARGV 2 arg "" "OS_RELEASE" "")
    set(os_release /etc/os-release)
    if(NOT EXISTS ${os_release})
        set(os_release /usr/lib/os-release)
    endif()
    if(arg_OS_RELEASE)
        set(os_release ${arg_OS_RELEASE})
    endif()
    wheel_os_release_field(${os_release} ID id)
    wheel_os_release_field(${os_release} VERSION_ID version_id)
    wheel_os_release_field(${os_release} VERSION_CODENAME codename)

    set(revision 1)
    set(distribution unstable)
    if(id STREQUAL "debian" AND version_id MATCHES "^[0-9]+$")
        set(revision "1~deb${version_id}")
        if(codename MATCHES "^[a-z]+$")
            set(distribution ${codename})
        endif()
    endif()
    if(WHEEL_DEB_REVISION)
        if(NOT WHEEL_DEB_REVISION MATCHES "^[0-9][A-Za-z0-9.+~]*$")
            message(FATAL_ERROR "WHEEL_DEB_REVISION \"${WHEEL_DEB_REVISION}\" is not a Debian revision")
        endif()
        set(revision ${WHEEL_DEB_REVISION})
    endif()
    set(${out_revision} ${revision} PARENT_SCOPE)
    set(${out_distribution} ${distribution} PARENT_SCOPE)
endfunction()
