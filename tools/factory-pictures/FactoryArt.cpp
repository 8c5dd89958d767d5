#include "tools/factory-pictures/FactoryArt.h"

#include "picture/RenderWheel.h"

#include <opencv2/imgproc.hpp>

#include <cmath>
#include <vector>

namespace wheel::factory {

namespace {

const cv::Scalar kLight(255);
const cv::Point kMid(kCentre, kCentre);
constexpr double kPi = 3.14159265358979323846;

cv::Mat Blank() { return cv::Mat(kWorkSize, kWorkSize, CV_8UC1, cv::Scalar(0)); }

// Point at radius r and angle a (degrees, clockwise from up).
cv::Point Polar(double r, double degrees)
{
    const double t = degrees * kPi / 180.0;
    return {static_cast<int>(std::lround(kCentre + r * std::sin(t))),
            static_cast<int>(std::lround(kCentre - r * std::cos(t)))};
}

// The text across the upper half of the ring, and again turned half a turn in
// the lower half, so that it reads from outside the wheel at the top and bottom.
cv::Mat Text(const std::string& text)
{
    cv::Mat m = Blank();
    const int font = cv::FONT_HERSHEY_DUPLEX;
    const int thickness = 9;
    int baseline = 0;
    const cv::Size unit = cv::getTextSize(text, font, 1.0, thickness, &baseline);
    const double scale = std::min(220.0 / unit.width, 62.0 / unit.height);
    const cv::Size size = cv::getTextSize(text, font, scale, thickness, &baseline);
    const cv::Point origin(kCentre - size.width / 2, 100);
    cv::putText(m, text, origin, font, scale, kLight, thickness, cv::LINE_8);
    cv::Mat turned;
    cv::rotate(m, turned, cv::ROTATE_180);
    cv::Mat both;
    cv::max(m, turned, both);
    return both;
}

cv::Mat Heart()
{
    cv::Mat m = Blank();
    std::vector<cv::Point> outline;
    for (int i = 0; i < 360; ++i) {
        const double t = i * kPi / 180.0;
        const double x = 16 * std::pow(std::sin(t), 3);
        const double y = 13 * std::cos(t) - 5 * std::cos(2 * t) - 2 * std::cos(3 * t) - std::cos(4 * t);
        outline.emplace_back(static_cast<int>(kCentre + 9.0 * x), static_cast<int>(kCentre + 12 - 9.0 * y));
    }
    cv::fillPoly(m, std::vector<std::vector<cv::Point>>{outline}, kLight, cv::LINE_8);
    return m;
}

cv::Mat SmilingFace()
{
    cv::Mat m = Blank();
    cv::circle(m, kMid, 143, kLight, 12, cv::LINE_8);
    cv::circle(m, {100, 92}, 22, kLight, cv::FILLED, cv::LINE_8);
    cv::circle(m, {212, 92}, 22, kLight, cv::FILLED, cv::LINE_8);
    cv::ellipse(m, {kCentre, 160}, {88, 78}, 0, 20, 160, kLight, 14, cv::LINE_8);
    return m;
}

cv::Mat Star()
{
    cv::Mat m = Blank();
    std::vector<cv::Point> points;
    for (int i = 0; i < 10; ++i)
        points.push_back(Polar(i % 2 == 0 ? 152 : 62, 36.0 * i));
    cv::fillPoly(m, std::vector<std::vector<cv::Point>>{points}, kLight, cv::LINE_8);
    return m;
}

// Four arrows chasing each other clockwise round the ring.
cv::Mat Arrows()
{
    cv::Mat m = Blank();
    for (int q = 0; q < 4; ++q) {
        const double start = 90.0 * q;
        // cv::ellipse angles run clockwise from the x axis; ours from up.
        cv::ellipse(m, kMid, {115, 115}, 0, start - 90 + 5, start - 90 + 62, kLight, 16, cv::LINE_8);
        const std::vector<cv::Point> head = {Polar(145, start + 62), Polar(85, start + 62), Polar(115, start + 82)};
        cv::fillPoly(m, std::vector<std::vector<cv::Point>>{head}, kLight, cv::LINE_8);
    }
    return m;
}

cv::Mat Bicycle()
{
    cv::Mat m = Blank();
    const cv::Point rear(82, 196), front(230, 196), crank(150, 196), seat(124, 104), head(214, 112);
    cv::circle(m, rear, 60, kLight, 8, cv::LINE_8);
    cv::circle(m, front, 60, kLight, 8, cv::LINE_8);
    for (const auto& [a, b] : std::vector<std::pair<cv::Point, cv::Point>>{
             {rear, crank}, {rear, seat}, {seat, crank}, {crank, head}, {seat, head}, {head, front}})
        cv::line(m, a, b, kLight, 7, cv::LINE_8);
    cv::line(m, {106, 92}, {146, 92}, kLight, 9, cv::LINE_8);   // saddle
    cv::line(m, head, {204, 82}, kLight, 7, cv::LINE_8);        // stem
    cv::line(m, {186, 80}, {230, 80}, kLight, 8, cv::LINE_8);   // handlebar
    return m;
}

cv::Mat Sun()
{
    cv::Mat m = Blank();
    cv::circle(m, kMid, 70, kLight, cv::FILLED, cv::LINE_8);
    for (int i = 0; i < 12; ++i)
        cv::line(m, Polar(86, 30.0 * i), Polar(150, 30.0 * i), kLight, 12, cv::LINE_8);
    return m;
}

cv::Mat Moon()
{
    cv::Mat m = Blank();
    cv::circle(m, kMid, 148, kLight, cv::FILLED, cv::LINE_8);
    cv::circle(m, {214, 116}, 128, cv::Scalar(0), cv::FILLED, cv::LINE_8);
    for (const cv::Point& p : {cv::Point(232, 250), cv::Point(270, 170), cv::Point(196, 282)})
        cv::circle(m, p, 9, kLight, cv::FILLED, cv::LINE_8);
    return m;
}

cv::Mat Spiral()
{
    cv::Mat m = Blank();
    std::vector<cv::Point> path;
    for (int a = 0; a <= 3 * 360; a += 3)
        path.push_back(Polar(52 + a * (100.0 / 1080.0), a));
    cv::polylines(m, std::vector<std::vector<cv::Point>>{path}, false, kLight, 12, cv::LINE_8);
    return m;
}

cv::Mat Flower()
{
    cv::Mat m = Blank();
    for (int i = 0; i < 8; ++i) {
        const cv::Point centre = Polar(108, 45.0 * i);
        // The petal's long axis points at the hub.
        cv::ellipse(m, centre, {46, 20}, 45.0 * i - 90, 0, 360, kLight, cv::FILLED, cv::LINE_8);
    }
    cv::circle(m, kMid, 58, kLight, 10, cv::LINE_8);
    return m;
}

cv::Mat Lightning()
{
    cv::Mat m = Blank();
    const std::vector<cv::Point> bolt = {{180, 6}, {84, 170}, {150, 170}, {112, 306}, {236, 124}, {168, 124}, {222, 6}};
    cv::fillPoly(m, std::vector<std::vector<cv::Point>>{bolt}, kLight, cv::LINE_8);
    return m;
}

cv::Mat MusicNotes()
{
    cv::Mat m = Blank();
    cv::ellipse(m, {92, 236}, {34, 24}, -20, 0, 360, kLight, cv::FILLED, cv::LINE_8);
    cv::ellipse(m, {216, 206}, {34, 24}, -20, 0, 360, kLight, cv::FILLED, cv::LINE_8);
    cv::line(m, {122, 230}, {122, 70}, kLight, 10, cv::LINE_8);
    cv::line(m, {246, 200}, {246, 40}, kLight, 10, cv::LINE_8);
    const std::vector<cv::Point> beam = {{117, 52}, {251, 22}, {251, 56}, {117, 86}};
    cv::fillPoly(m, std::vector<std::vector<cv::Point>>{beam}, kLight, cv::LINE_8);
    return m;
}

cv::Mat Target()
{
    cv::Mat m = Blank();
    for (int r = 60; r <= 150; r += 22)
        cv::circle(m, kMid, r, kLight, 10, cv::LINE_8);
    return m;
}

cv::Mat Snowflake()
{
    cv::Mat m = Blank();
    for (int i = 0; i < 6; ++i) {
        const double a = 60.0 * i;
        cv::line(m, Polar(30, a), Polar(152, a), kLight, 10, cv::LINE_8);
        for (double r : {90.0, 126.0}) {
            cv::line(m, Polar(r, a), Polar(r + 30, a - 22), kLight, 8, cv::LINE_8);
            cv::line(m, Polar(r, a), Polar(r + 30, a + 22), kLight, 8, cv::LINE_8);
        }
    }
    return m;
}

cv::Mat Pinwheel()
{
    cv::Mat m = Blank();
    for (int i = 0; i < 4; ++i) {
        const double a = 90.0 * i;
        const std::vector<cv::Point> blade = {kMid, Polar(152, a), Polar(120, a + 52)};
        cv::fillPoly(m, std::vector<std::vector<cv::Point>>{blade}, kLight, cv::LINE_8);
    }
    return m;
}

cv::Mat CheckMark()
{
    cv::Mat m = Text("OK");
    m.rowRange(kCentre, kWorkSize).setTo(cv::Scalar(0));
    cv::polylines(m, std::vector<std::vector<cv::Point>>{{{78, 196}, {136, 262}, {246, 150}}}, false, kLight, 22,
                  cv::LINE_8);
    return m;
}

} // namespace

std::array<Motif, kMotifCount> DrawMotifs()
{
    return {{
        {"text HELLO", Text("HELLO")},
        {"heart", Heart()},
        {"smiling face", SmilingFace()},
        {"star", Star()},
        {"arrows", Arrows()},
        {"bicycle", Bicycle()},
        {"text GO!", Text("GO!")},
        {"sun", Sun()},
        {"moon", Moon()},
        {"spiral", Spiral()},
        {"text RIDE", Text("RIDE")},
        {"flower", Flower()},
        {"lightning", Lightning()},
        {"music notes", MusicNotes()},
        {"target", Target()},
        {"text LOVE", Text("LOVE")},
        {"snowflake", Snowflake()},
        {"pinwheel", Pinwheel()},
        {"text HI!", Text("HI!")},
        {"check mark and OK", CheckMark()},
    }};
}

std::array<TransferBlock, kMotifCount> MakeFactoryBlocks()
{
    const auto motifs = DrawMotifs();
    std::array<TransferBlock, kMotifCount> blocks{};
    for (int p = 0; p < kMotifCount; ++p) {
        WheelFrame frame{};
        RenderFrame(motifs[static_cast<std::size_t>(p)].work, frame);
        const bool last = p == kMotifCount - 1;
        TransferBlock block = MakeTransferBlock(frame, last ? 0x01 : 0xAA);
        block[kTrailerMarker] = last ? MarkerLastPicture : MarkerPicture;
        blocks[static_cast<std::size_t>(p)] = block;
    }
    return blocks;
}

} // namespace wheel::factory
