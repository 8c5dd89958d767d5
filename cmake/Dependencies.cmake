# Debian ships no CMake config for the separate OpenCV module packages, so the
# headers and the three libraries are found directly.
find_path(OPENCV_INCLUDE_DIR opencv2/core.hpp PATH_SUFFIXES opencv4 REQUIRED)
find_library(OPENCV_CORE_LIB opencv_core REQUIRED)
find_library(OPENCV_IMGPROC_LIB opencv_imgproc REQUIRED)
find_library(OPENCV_IMGCODECS_LIB opencv_imgcodecs REQUIRED)
add_library(wheel_opencv INTERFACE)
target_include_directories(wheel_opencv SYSTEM INTERFACE ${OPENCV_INCLUDE_DIR})
target_link_libraries(wheel_opencv INTERFACE ${OPENCV_IMGPROC_LIB} ${OPENCV_CORE_LIB})
# imgcodecs brings GDAL and about 140 further libraries to every process that
# links it: the programs reach it only through the codec module (codecs/);
# tests, benchmarks and tools that write pictures link it directly.
add_library(wheel_opencv_codecs INTERFACE)
target_link_libraries(wheel_opencv_codecs INTERFACE wheel_opencv ${OPENCV_IMGCODECS_LIB})

# The JPEG and PNG libraries OpenCV itself uses: picture/ decodes with them
# directly to hear their warnings.
find_package(JPEG REQUIRED)
find_package(PNG REQUIRED)

find_package(PkgConfig REQUIRED)
pkg_check_modules(HIDAPI IMPORTED_TARGET hidapi-hidraw)
pkg_check_modules(LIBUDEV IMPORTED_TARGET libudev)

find_package(Threads REQUIRED)
find_package(GTest REQUIRED)

if(WHEEL_GUI)
    find_package(Qt6 REQUIRED COMPONENTS Core Gui Widgets Test LinguistTools)
else()
    find_package(Qt6 REQUIRED COMPONENTS Core LinguistTools)
endif()
set(CMAKE_AUTOMOC ON)
set(CMAKE_AUTOUIC ON)
set(CMAKE_AUTORCC ON)

if(WHEEL_BENCH)
    find_package(benchmark REQUIRED)
endif()

find_program(XVFB_RUN xvfb-run)
