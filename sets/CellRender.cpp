#include "sets/CellRender.h"

#include "io/LocalPath.h"
#include "picture/RenderWheel.h"
#include "picture/WheelPicture.h"


#include <opencv2/imgproc.hpp>

#include <new>

namespace wheel {

namespace {

CellRendering Render(const SetCell& cell, bool mode48, int previewSize)
{
    CellRendering rendering;
    LoadOptions options;
    options.wantOriginal = false;  // a cell shows only its round preview
    options.adjustments = cell.adjustments;
    LoadResult loaded = LoadPicture(wheel::LocalPath(cell.picture), options);
    if (!loaded) {
        rendering.error = loaded.error;
        return rendering;
    }
    WheelPicture picture;
    picture.SetPicture(std::move(loaded.picture));
    picture.RenderWheel(mode48 ? 1 : 0);
    rendering.block = picture.Block();
    rendering.otsuThreshold = picture.OtsuThreshold();
    if (previewSize <= 0)
        return rendering;  // no preview wanted
    if (previewSize == kWorkSize)
        rendering.preview = picture.Preview().clone();
    else
        cv::resize(picture.Preview(), rendering.preview, cv::Size(previewSize, previewSize), 0, 0, cv::INTER_AREA);
    return rendering;
}

} // namespace

CellRendering RenderCell(const SetCell& cell, bool mode48, int previewSize)
{
    // Runs on worker threads, where nothing may escape: a picture too large
    // for the memory left is a picture that cannot be loaded.
    try {
        return Render(cell, mode48, previewSize);
    } catch (const cv::Exception&) {
    } catch (const std::bad_alloc&) {
    }
    CellRendering failed;
    failed.error = LoadError::DecodeFailed;
    return failed;
}

} // namespace wheel
