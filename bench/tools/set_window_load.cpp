// Opens a picture set of twenty 12-megapixel JPEG photos in the set window
// and measures, on the window's thread, the longest gap between two ticks of
// a 10 ms timer while the cells load (goal: the window never busy for more
// than 50 ms at a time), and the time until every cell is rendered. The set
// is opened RUNS times (default 5); prints each run and the medians.
//   wheel-set-window-load [RUNS]
// Run it under an X server (scripts/bench-set-window uses xvfb-run).

#include "app/SetWindow.h"
#include "app/WheelDlg.h"
#include "bench/BenchPhotos.h"
#include "dialogs/Fonts.h"
#include "sets/SetFile.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

struct Run {
    double longestGapMs = 0;
    double allRenderedMs = 0;
};

Run OpenOnce(CWheelDlg& main, const QString& setFile)
{
    Run run;
    QElapsedTimer clock;
    qint64 lastTick = 0;
    QEventLoop loop;
    QTimer tick;
    tick.setInterval(10);
    tick.setTimerType(Qt::PreciseTimer);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        run.longestGapMs = std::max(run.longestGapMs, (now - lastTick) / 1e6);
        lastTick = now;
        if (main.SetWindow() && main.SetWindow()->AllRendered()) {
            run.allRenderedMs = now / 1e6;
            loop.quit();
        }
    });
    clock.start();
    tick.start();
    // The open itself runs on the window's thread and counts as a gap.
    main.OpenSetFile(setFile);
    loop.exec();
    return run;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    wheel::InstallApplicationFont();

    QTemporaryDir dir;
    wheel::PictureSet set;
    for (int box = 1; box <= wheel::bench::kPhotos; ++box)
        set.Cell(box) = wheel::SetCell{QString::fromStdString(wheel::bench::Photos()[box - 1]), {}};
    const QString setFile = dir.filePath(QStringLiteral("photos.wheelset"));
    if (!wheel::WriteSetFile(set, setFile)) {
        std::fprintf(stderr, "wheel-set-window-load: cannot write %s\n", qPrintable(setFile));
        return 1;
    }

    wheel::AppOptions options;
    options.simulate = wheel::Simulation::Absent;
    CWheelDlg main(options);
    main.show();
    if (!QTest::qWaitForWindowExposed(main.OpenSetWindow())) {
        std::fprintf(stderr, "wheel-set-window-load: the set window was not shown\n");
        return 1;
    }

    std::vector<double> gaps, totals;
    for (int i = 0; i < runs; ++i) {
        const Run run = OpenOnce(main, setFile);
        std::printf("run %d: longest gap %.1f ms, all cells rendered after %.0f ms\n", i + 1, run.longestGapMs,
                    run.allRenderedMs);
        gaps.push_back(run.longestGapMs);
        totals.push_back(run.allRenderedMs);
    }
    std::printf("median: longest gap %.1f ms (goal <= 50), all cells rendered after %.0f ms\n", Median(gaps),
                Median(totals));
    return 0;
}
