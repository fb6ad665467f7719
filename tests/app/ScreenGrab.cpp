// folivo_screen_grab: the screenshot test's eyes on an X display where the real program runs.
//
//   folivo_screen_grab page SHOT.png REFERENCE.png [SECONDS]
//     Grabs the whole screen until it shows the page drawn in REFERENCE.png (folivo-cli's render
//     of the same page at the same zoom) with its text, or until SECONDS (default 20) have
//     passed. The last grab is saved to SHOT.png either way. Exit 0 when found, 1 when not.
//   folivo_screen_grab icon TITLE
//     Checks that a top-level window whose name contains TITLE carries a window icon.
//     Exit 0 when it does, 1 when not.
//
// The page is found as the largest connected white area on the screen. It is matched against
// the reference by width, by the amount of dark (text) pixels and by which rows hold text, so
// the check stays loose enough for hinting and antialiasing, yet a blank page, a page without
// text, or another white widget (the folder views of the opening tab hold text too) fails.
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QThread>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

struct WhiteArea {
    int left = 0, top = 0, right = -1, bottom = -1;  // inclusive; empty when right < left
    long long pixels = 0;
    int Width() const { return right - left + 1; }
    int Height() const { return bottom - top + 1; }
};

bool IsWhite(QRgb c) { return qRed(c) >= 248 && qGreen(c) >= 248 && qBlue(c) >= 248; }
bool IsDark(QRgb c) { return qGray(c) < 128; }

// The largest 4-connected area of white pixels, by pixel count.
WhiteArea LargestWhiteArea(const QImage& image)
{
    const int w = image.width(), h = image.height();
    std::vector<unsigned char> seen(static_cast<size_t>(w) * h, 0);
    std::vector<int> stack;
    WhiteArea best;
    for (int y0 = 0; y0 < h; ++y0) {
        for (int x0 = 0; x0 < w; ++x0) {
            const size_t start = static_cast<size_t>(y0) * w + x0;
            if (seen[start] || !IsWhite(image.pixel(x0, y0))) continue;
            WhiteArea area{x0, y0, x0, y0, 0};
            seen[start] = 1;
            stack.assign(1, static_cast<int>(start));
            while (!stack.empty()) {
                const int at = stack.back();
                stack.pop_back();
                const int x = at % w, y = at / w;
                ++area.pixels;
                area.left = std::min(area.left, x);
                area.right = std::max(area.right, x);
                area.top = std::min(area.top, y);
                area.bottom = std::max(area.bottom, y);
                const int next[4][2] = {{x - 1, y}, {x + 1, y}, {x, y - 1}, {x, y + 1}};
                for (const auto& n : next) {
                    if (n[0] < 0 || n[1] < 0 || n[0] >= w || n[1] >= h) continue;
                    const size_t i = static_cast<size_t>(n[1]) * w + n[0];
                    if (seen[i] || !IsWhite(image.pixel(n[0], n[1]))) continue;
                    seen[i] = 1;
                    stack.push_back(static_cast<int>(i));
                }
            }
            if (area.pixels > best.pixels) best = area;
        }
    }
    return best;
}

struct DarkCount {
    long long pixels = 0;
    std::vector<bool> rows;  // per row of the rectangle: holds a dark pixel
    int RowsWithDark() const { return static_cast<int>(std::count(rows.begin(), rows.end(), true)); }
};

// Dark pixels in a rectangle, which may reach past the image's edges.
DarkCount CountDark(const QImage& image, int left, int top, int width, int height)
{
    DarkCount count;
    count.rows.assign(static_cast<size_t>(std::max(0, height)), false);
    for (int y = std::max(0, top); y < top + height && y < image.height(); ++y) {
        for (int x = std::max(0, left); x < left + width && x < image.width(); ++x) {
            if (IsDark(image.pixel(x, y))) {
                ++count.pixels;
                count.rows[static_cast<size_t>(y - top)] = true;
            }
        }
    }
    return count;
}

// Whether the screen shows the reference page; says what it saw in `report`. The largest white
// area of the reference (the whole page for a plain text page, the inside of a frame for a
// framed one) is looked for on the screen; from it follows where the page sits.
bool ShowsPage(const QImage& shot, const QImage& reference, const WhiteArea& referenceArea, QByteArray& report)
{
    const WhiteArea area = LargestWhiteArea(shot);
    if (area.pixels == 0) {
        report = "no white area on the screen";
        return false;
    }
    const int pageLeft = area.left - referenceArea.left;
    const int pageTop = area.top - referenceArea.top;
    // The scroll area shows the page from its top, cut off at the bottom when it is too small.
    const int band = std::max(0, std::min(area.bottom - pageTop + 1, reference.height()));
    const DarkCount seen = CountDark(shot, pageLeft, pageTop, reference.width(), band);
    const DarkCount expected = CountDark(reference, 0, 0, reference.width(), band);
    // Of the rows with text on either side, how many have it on both: the lines sit in place.
    int rowsEither = 0, rowsBoth = 0;
    for (size_t y = 0; y < static_cast<size_t>(band); ++y) {
        rowsEither += seen.rows[y] || expected.rows[y];
        rowsBoth += seen.rows[y] && expected.rows[y];
    }

    report = QByteArray("white area ") + QByteArray::number(area.Width()) + "x" + QByteArray::number(area.Height()) +
             " at " + QByteArray::number(area.left) + "," + QByteArray::number(area.top) + " (reference " +
             QByteArray::number(referenceArea.Width()) + "x" + QByteArray::number(referenceArea.Height()) +
             "); top " + QByteArray::number(band) + " rows of the page: dark px " + QByteArray::number(seen.pixels) +
             " on screen, " + QByteArray::number(expected.pixels) + " in the reference; rows with text " +
             QByteArray::number(seen.RowsWithDark()) + ", in both " + QByteArray::number(rowsBoth) + " of " +
             QByteArray::number(rowsEither);

    const int tolerance = std::max(4, referenceArea.Width() / 25);
    const bool sameWidth = std::abs(area.Width() - referenceArea.Width()) <= tolerance;
    const bool fitsHeight = area.Height() >= std::min(100, referenceArea.Height()) &&
                            area.Height() <= referenceArea.Height() + tolerance;
    const bool mostlyWhite = area.pixels * 2 >= static_cast<long long>(area.Width()) * area.Height();
    const bool hasText = seen.pixels >= 200 && seen.RowsWithDark() >= 10;
    const bool textLikeReference = seen.pixels * 3 >= expected.pixels && seen.pixels <= expected.pixels * 3;
    const bool linesInPlace = rowsBoth * 4 >= rowsEither * 3;
    return pageLeft >= 0 && pageTop >= 0 && sameWidth && fitsHeight && mostlyWhite && hasText && textLikeReference &&
           linesInPlace;
}

int GrabPage(const char* shotPath, const char* referencePath, int seconds)
{
    QImage reference(QString::fromLocal8Bit(referencePath));
    if (reference.isNull()) {
        std::fprintf(stderr, "folivo_screen_grab: cannot read %s\n", referencePath);
        return 1;
    }
    reference = reference.convertToFormat(QImage::Format_RGB32);
    const WhiteArea referenceArea = LargestWhiteArea(reference);
    if (referenceArea.pixels == 0) {
        std::fprintf(stderr, "folivo_screen_grab: the reference %s has no white area\n", referencePath);
        return 1;
    }
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) {
        std::fprintf(stderr, "folivo_screen_grab: no screen\n");
        return 1;
    }
    QElapsedTimer clock;
    clock.start();
    QImage shot;
    QByteArray report;
    bool found = false;
    do {
        shot = screen->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32);
        found = !shot.isNull() && ShowsPage(shot, reference, referenceArea, report);
        if (!found) QThread::msleep(500);
    } while (!found && clock.elapsed() < seconds * 1000LL);
    if (shot.isNull() || !shot.save(QString::fromLocal8Bit(shotPath), "PNG")) {
        std::fprintf(stderr, "folivo_screen_grab: cannot grab the screen into %s\n", shotPath);
        return 1;
    }
    std::printf("%s: %s\n", found ? "page found" : "page not found", report.constData());
    return found ? 0 : 1;
}

// A top-level window's title, preferring the UTF-8 name that Qt sets.
QByteArray WindowTitle(Display* display, Window window)
{
    const Atom netName = XInternAtom(display, "_NET_WM_NAME", False);
    const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0, rest = 0;
    unsigned char* data = nullptr;
    QByteArray title;
    if (XGetWindowProperty(display, window, netName, 0, 1024, False, utf8, &type, &format, &count, &rest, &data) ==
            Success &&
        data) {
        title = QByteArray(reinterpret_cast<const char*>(data), static_cast<int>(count));
    }
    if (data) XFree(data);
    if (title.isEmpty()) {
        char* name = nullptr;
        if (XFetchName(display, window, &name) && name) title = name;
        if (name) XFree(name);
    }
    return title;
}

int CheckIcon(const char* titlePart)
{
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "folivo_screen_grab: cannot open the display\n");
        return 1;
    }
    const Atom netIcon = XInternAtom(display, "_NET_WM_ICON", False);
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned int childCount = 0;
    int result = 1;
    bool windowFound = false;
    if (XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &childCount)) {
        for (unsigned int i = 0; i < childCount && result != 0; ++i) {
            const QByteArray title = WindowTitle(display, children[i]);
            if (title.isEmpty() || !title.contains(titlePart)) continue;
            windowFound = true;
            Atom type = None;
            int format = 0;
            unsigned long count = 0, rest = 0;
            unsigned char* data = nullptr;
            if (XGetWindowProperty(display, children[i], netIcon, 0, 1 << 20, False, XA_CARDINAL, &type, &format,
                                   &count, &rest, &data) == Success &&
                data && format == 32) {
                // Xlib hands 32-bit items as longs: width, height, then width*height ARGB pixels, repeated.
                const auto* items = reinterpret_cast<const unsigned long*>(data);
                unsigned long at = 0;
                int sizes = 0;
                long long opaque = 0;
                QByteArray list;
                while (at + 2 <= count) {
                    const unsigned long w = items[at], h = items[at + 1];
                    if (w == 0 || h == 0 || w > 4096 || h > 4096 || at + 2 + w * h > count) break;
                    for (unsigned long p = 0; p < w * h; ++p) opaque += (items[at + 2 + p] >> 24) & 0xff ? 1 : 0;
                    list += " " + QByteArray::number(static_cast<qulonglong>(w)) + "x" +
                            QByteArray::number(static_cast<qulonglong>(h));
                    ++sizes;
                    at += 2 + w * h;
                }
                if (sizes > 0 && opaque > 0) {
                    std::printf("window \"%s\" has an icon:%s\n", title.constData(), list.constData());
                    result = 0;
                }
            }
            if (data) XFree(data);
            if (result != 0) std::printf("window \"%s\" has no usable icon\n", title.constData());
        }
    }
    if (children) XFree(children);
    if (!windowFound) std::printf("no top-level window named like \"%s\"\n", titlePart);
    XCloseDisplay(display);
    return result;
}

int Usage()
{
    std::fprintf(stderr,
                 "usage: folivo_screen_grab page SHOT.png REFERENCE.png [SECONDS]\n"
                 "       folivo_screen_grab icon TITLE\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) return Usage();
    const QByteArray mode = argv[1];
    if (mode == "icon") return CheckIcon(argv[2]);
    if (mode != "page" || argc < 4) return Usage();
    // Only argv[0] goes to Qt, which would take options such as -display from the rest.
    int qtArgc = 1;
    char* qtArgv[] = {argv[0], nullptr};
    QGuiApplication application(qtArgc, qtArgv);
    const int seconds = argc > 4 ? std::max(1, std::atoi(argv[4])) : 20;
    return GrabPage(argv[2], argv[3], seconds);
}
