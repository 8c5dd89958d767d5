// One keystroke in the DIY dialog: the canvas wraps its text, recomposes the
// picture with it and draws the text box frame. Typing must never lag: the
// goal is well under a quarter of a 60 Hz frame (4 ms).
#include "diy/DiyTemplate.h"
#include "diy/PaintCanvas.h"

#include <QApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdlib>

namespace {

QApplication& App()
{
    static int argc = 1;
    static char name[] = "wheel-bench";
    static char* argv[] = {name, nullptr};
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication app(argc, argv);
    return app;
}

void BM_CanvasTextRedraw(benchmark::State& state)
{
    App();
    QTemporaryDir dir;
    const QString path = dir.filePath(wheel::kDiyPictureName);
    if (!wheel::WriteDiyTemplate(path)) {
        state.SkipWithError("cannot write the template");
        return;
    }
    wheel::CPaintCanvas canvas;
    canvas.resize(450, 450);
    int capacity = 0;
    if (!canvas.LoadBitmapFile(path, &capacity)) {
        state.SkipWithError("cannot load the template");
        return;
    }
    // A user's box: the whole picture, so that all 100 characters are drawn.
    canvas.Tracker().m_rect = wheel::CRect{15, 15, 435, 435};
    const QString sentence = QString::fromUtf8("驰光自行车风火轮DIY wheel light 夜骑更安全！");
    QString text;
    while (text.size() < 100)
        text += sentence;
    text.truncate(100);
    const QString shorter = text.left(99);
    bool flip = false;
    for (auto _ : state) {
        canvas.SetCanvasText(flip ? shorter : text, true);
        flip = !flip;
        benchmark::DoNotOptimize(canvas.Composed().constBits());
    }
    state.SetLabel("440 x 440, 100 characters");
}
BENCHMARK(BM_CanvasTextRedraw)->Unit(benchmark::kMillisecond);

} // namespace
