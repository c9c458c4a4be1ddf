// Checks a screenshot of the Corvalis window: that its picture is a computed diagram (not the
// placeholder) and that the coordinate label shows the expected text at the corner of the
// margin box, pixel for pixel as the label font draws it. With --label-after-drag it prints
// the label that a drag over the window of the screenshot must lead to; with --grey it checks
// that the picture is a diagram in shades of grey (the monochrome scale).
// On screenshots of a window with a frame of its own (the Windows program under Wine): --client
// prints the view's client size, --same-picture compares the picture with a PNG pixel for pixel,
// and --region-after-drag prints the region that a drag between two points of the window
// stores, as the region dialog reads its values back.
#include "label_image.h"
#include "platform/number_text.h"
#include "render/drag_selection.h"
#include "render/region_label.h"

#include <QGuiApplication>
#include <QImage>

#include <cstdio>
#include <string>
#include <string_view>

namespace {

constexpr QRgb kWhite = 0xFFFFFFFF;
constexpr int kMargin = 20;

struct Frame {
    int left = -1;  // first picture column, right of the white frame line
    int top = -1;   // first picture row, below the white frame line
    int right = -1;
    int bottom = -1;
};

// Pixels from the edges of a window's screenshot in which a white line is the window's own
// frame (drawn there by Wine), never the picture's, which has the view's margins around it.
constexpr int kWindowBorder = 8;

// The picture's frame: the longest white run on a row, away from the window's edges, and the
// rows where it closes.
Frame FindFrame(const QImage& shot)
{
    Frame frame;
    int bestLength = 0;
    for (int y = 0; y < shot.height(); ++y) {
        int run = 0;
        for (int x = 0; x <= shot.width(); ++x) {
            if (x < shot.width() && shot.pixel(x, y) == kWhite) {
                ++run;
                continue;
            }
            const bool awayFromTheEdges = x - run >= kWindowBorder && x <= shot.width() - kWindowBorder;
            if (run > bestLength && run > 50 && awayFromTheEdges) {
                bestLength = run;
                frame.left = x - run + 1;
                frame.right = x - 1;
                frame.top = y + 1;
            }
            run = 0;
        }
    }
    if (bestLength == 0) {
        return {};
    }
    for (int y = frame.top; y < shot.height(); ++y) {
        if (shot.pixel(frame.left + 1, y) == kWhite && shot.pixel(frame.right - 1, y) == kWhite) {
            frame.bottom = y;
            break;
        }
    }
    return frame;
}

bool SamePixels(const QImage& a, const QImage& b)
{
    if (a.size() != b.size()) {
        return false;
    }
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            if ((a.pixel(x, y) & 0xFFFFFF) != (b.pixel(x, y) & 0xFFFFFF)) {
                return false;
            }
        }
    }
    return true;
}

QImage LoadShot(const char* path)
{
    return QImage(QString::fromLocal8Bit(path)).convertToFormat(QImage::Format_RGB32);
}

// The view is the window below its menu bar. Its height is found from the picture: the one
// menu-bar height whose placement of the picture puts it where the screenshot shows it.
int MenuBarHeight(const QImage& shot, const Frame& frame)
{
    const Size bitmap{frame.right - frame.left, frame.bottom - frame.top};
    for (int menu = 0; menu < shot.height() / 4; ++menu) {
        const ImagePlacement place = PlaceImage({shot.width(), shot.height() - menu}, {kMargin, kMargin}, bitmap);
        if (place.left == frame.left && place.top + menu == frame.top) {
            return menu;
        }
    }
    return -1;
}

int PrintLabelAfterDrag(char** argv)
{
    const QImage shot = LoadShot(argv[2]);
    const Frame frame = FindFrame(shot);
    const int menu = MenuBarHeight(shot, frame);
    if (frame.bottom < 0 || menu < 0) {
        std::fprintf(stderr, "no framed picture in the screenshot\n");
        return 1;
    }
    const CalcRegion region{std::stod(argv[3]), std::stod(argv[4]), std::stod(argv[5]), std::stod(argv[6])};
    const Point start{std::stoi(argv[7]), std::stoi(argv[8]) - menu};
    const Point end{std::stoi(argv[9]), std::stoi(argv[10]) - menu};
    const Size client{shot.width(), shot.height() - menu};
    const auto dragged = MapDragToRegion(start, end, client, {kMargin, kMargin},
                                         {frame.right - frame.left, frame.bottom - frame.top}, region);
    std::printf("%s\n", FormatRegionLabel(*dragged, client.width, client.height).c_str());
    return 0;
}

int CheckShot(char** argv)
{
    const QImage shot = LoadShot(argv[1]);
    const Frame frame = FindFrame(shot);
    if (frame.bottom < 0) {
        std::printf("no framed picture in the screenshot\n");
        return 1;
    }
    // The placeholder has only black and dark grey; a diagram has coloured cells.
    int coloured = 0;
    for (int y = frame.top; y < frame.bottom; ++y) {
        for (int x = frame.left; x < frame.right; ++x) {
            const QRgb pixel = shot.pixel(x, y) & 0xFFFFFF;
            coloured += pixel != 0x000000 && pixel != 0x404040;
        }
    }
    const int area = (frame.right - frame.left) * (frame.bottom - frame.top);
    std::printf("picture %dx%d at (%d,%d), %d coloured pixels\n", frame.right - frame.left, frame.bottom - frame.top,
                frame.left, frame.top, coloured);
    if (coloured < area / 50) {
        std::printf("the picture is not a diagram\n");
        return 1;
    }
    // The label's top-left corner is the margin box's: 20 pixels left of and above the picture.
    const QImage expected = LabelImage(QString::fromUtf8(argv[2]), 9);
    const QImage shown = shot.copy(frame.left - kMargin, frame.top - kMargin, expected.width(), expected.height());
    if (!SamePixels(shown, expected)) {
        shown.save(QStringLiteral("label-shown.png"));
        expected.save(QStringLiteral("label-expected.png"));
        std::printf("the label differs from \"%s\" (label-shown.png, label-expected.png)\n", argv[2]);
        return 1;
    }
    std::printf("label reads \"%s\"\n", argv[2]);
    return 0;
}

// The view in a screenshot of a window: the black area around the framed picture, as far as the
// window's frame on the left, right and below and its menu bar above.
QRect FindView(const QImage& shot, const Frame& frame)
{
    const auto black = [&shot](int x, int y) { return (shot.pixel(x, y) & 0xFFFFFF) == 0; };
    const int row = (frame.top + frame.bottom) / 2;
    const int column = frame.right + 1;  // right of the picture's frame: no label there
    int left = frame.left - 2;
    while (left > 0 && black(left - 1, row)) {
        --left;
    }
    int right = frame.right + 1;
    while (right < shot.width() && black(right, row)) {
        ++right;
    }
    int top = frame.top - 2;
    while (top > 0 && black(column, top - 1)) {
        --top;
    }
    int bottom = frame.bottom + 1;
    while (bottom < shot.height() && black(column, bottom)) {
        ++bottom;
    }
    return QRect(left, top, right - left, bottom - top);
}

int PrintClientSize(const char* path)
{
    const QImage shot = LoadShot(path);
    const Frame frame = FindFrame(shot);
    if (frame.bottom < 0) {
        std::fprintf(stderr, "no framed picture in the screenshot\n");
        return 1;
    }
    const QRect view = FindView(shot, frame);
    std::printf("%dx%d\n", view.width(), view.height());
    return 0;
}

int ComparePicture(const char* shotPath, const char* picturePath)
{
    const QImage shot = LoadShot(shotPath);
    const QImage picture = LoadShot(picturePath);
    const Frame frame = FindFrame(shot);
    if (frame.bottom < 0 || picture.isNull()) {
        std::printf("no framed picture in the screenshot, or no picture to compare with\n");
        return 1;
    }
    const QImage shown = shot.copy(frame.left, frame.top, frame.right - frame.left, frame.bottom - frame.top);
    if (shown.size() != picture.size()) {
        std::printf("the picture is %dx%d, the expected one %dx%d\n", shown.width(), shown.height(), picture.width(),
                    picture.height());
        return 1;
    }
    int differing = 0;
    for (int y = 0; y < shown.height(); ++y) {
        for (int x = 0; x < shown.width(); ++x) {
            differing += (shown.pixel(x, y) & 0xFFFFFF) != (picture.pixel(x, y) & 0xFFFFFF);
        }
    }
    std::printf("picture %dx%d: %d pixels differ\n", shown.width(), shown.height(), differing);
    return differing == 0 ? 0 : 1;
}

// The value as the region dialog shows it and reads it back.
double ThroughTheDialog(double value)
{
    const std::string text = DoubleToText(value);
    return *TextToDouble(std::u16string(text.begin(), text.end()));
}

int PrintRegionAfterDrag(char** argv)
{
    const QImage shot = LoadShot(argv[2]);
    const Frame frame = FindFrame(shot);
    if (frame.bottom < 0) {
        std::fprintf(stderr, "no framed picture in the screenshot\n");
        return 1;
    }
    const QRect view = FindView(shot, frame);
    const CalcRegion region{std::stod(argv[3]), std::stod(argv[4]), std::stod(argv[5]), std::stod(argv[6])};
    const Point start{std::stoi(argv[7]) - view.left(), std::stoi(argv[8]) - view.top()};
    const Point end{std::stoi(argv[9]) - view.left(), std::stoi(argv[10]) - view.top()};
    const auto dragged = MapDragToRegion(start, end, {view.width(), view.height()}, {kMargin, kMargin},
                                         {frame.right - frame.left, frame.bottom - frame.top}, region);
    std::printf("%.17g %.17g %.17g %.17g\n", ThroughTheDialog(dragged->xmin), ThroughTheDialog(dragged->ymin),
                ThroughTheDialog(dragged->xmax), ThroughTheDialog(dragged->ymax));
    return 0;
}

int CheckGrey(const char* path)
{
    const QImage shot = LoadShot(path);
    const Frame frame = FindFrame(shot);
    if (frame.bottom < 0) {
        std::printf("no framed picture in the screenshot\n");
        return 1;
    }
    int coloured = 0;
    int lit = 0;
    for (int y = frame.top; y < frame.bottom; ++y) {
        for (int x = frame.left; x < frame.right; ++x) {
            const QRgb pixel = shot.pixel(x, y);
            coloured += qRed(pixel) != qGreen(pixel) || qGreen(pixel) != qBlue(pixel);
            lit += (pixel & 0xFFFFFF) != 0x000000 && (pixel & 0xFFFFFF) != 0x404040;
        }
    }
    const int area = (frame.right - frame.left) * (frame.bottom - frame.top);
    std::printf("picture %dx%d: %d pixels not grey, %d lit\n", frame.right - frame.left, frame.bottom - frame.top,
                coloured, lit);
    return coloured == 0 && lit >= area / 50 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    if (argc == 11 && std::string_view(argv[1]) == "--label-after-drag") {
        return PrintLabelAfterDrag(argv);
    }
    if (argc == 3 && std::string_view(argv[1]) == "--grey") {
        return CheckGrey(argv[2]);
    }
    if (argc == 3 && std::string_view(argv[1]) == "--client") {
        return PrintClientSize(argv[2]);
    }
    if (argc == 4 && std::string_view(argv[1]) == "--same-picture") {
        return ComparePicture(argv[2], argv[3]);
    }
    if (argc == 11 && std::string_view(argv[1]) == "--region-after-drag") {
        return PrintRegionAfterDrag(argv);
    }
    if (argc == 3) {
        return CheckShot(argv);
    }
    std::fprintf(stderr,
                 "usage: screenshot_check SHOT.png \"EXPECTED LABEL\"\n"
                 "       screenshot_check --label-after-drag SHOT.png XMIN YMIN XMAX YMAX X1 Y1 X2 Y2\n"
                 "       screenshot_check --grey SHOT.png\n"
                 "       screenshot_check --client SCREEN.png\n"
                 "       screenshot_check --same-picture SCREEN.png PICTURE.png\n"
                 "       screenshot_check --region-after-drag SCREEN.png XMIN YMIN XMAX YMAX X1 Y1 X2 Y2\n");
    return 2;
}
