# One interface target that every library and program links: the language
# standard, the warnings and the Qt defines.
add_library(wheel_common INTERFACE)
target_compile_features(wheel_common INTERFACE cxx_std_20)
set(CMAKE_CXX_EXTENSIONS OFF)
target_compile_options(wheel_common INTERFACE -Wall -Wextra -pedantic)
target_compile_definitions(wheel_common INTERFACE
    QT_NO_FOREACH
    QT_DISABLE_DEPRECATED_BEFORE=0x060000)
target_include_directories(wheel_common INTERFACE ${PROJECT_SOURCE_DIR})

if(NOT CMAKE_BUILD_TYPE AND NOT CMAKE_CONFIGURATION_TYPES)
    set(CMAKE_BUILD_TYPE RelWithDebInfo CACHE STRING "Build type" FORCE)
endif()
